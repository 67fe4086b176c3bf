#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "core/accounts/market_cancellation.h"
#include "core/notation/odds_format.h"
#include "core/ports/list_output_port.h"
#include "core/protocol/bet_records.h"
#include "core/protocol/records_queries.h"
#include "wire/ole_date.h"

namespace brindle::accounts {

// The records window's ten kinds, one tab each; the tab index is the kind number of the queries.
inline constexpr int kRecordTabCount = 10;
inline constexpr int kUnsettledOpenedMarketsTab = 4;
inline constexpr char kDetailText[] = "详细";

std::string record_tab_text(int tab);  // "未结单式" … "已结总冠军"; empty outside 0–9
// The settled kinds (odd tabs) are queried over a date range.
inline bool record_tab_has_range(int tab) { return tab % 2 == 1; }
// Tabs 4–7 hold one row per opened market or parlay, each with a detail list.
inline bool record_tab_has_details(int tab) { return tab >= 4 && tab <= 7; }

// The last list received of every kind, as the queries delivered it.
struct RecordLists {
  std::vector<protocol::SingleBetRecord> unsettled_singles;      // 0
  std::vector<protocol::SingleBetRecord> settled_singles;        // 1
  std::vector<protocol::BankerBetRecord> unsettled_banker_bets;  // 2
  std::vector<protocol::BankerBetRecord> settled_banker_bets;    // 3
  std::vector<protocol::OpenedMarketRecord> unsettled_opened;    // 4
  std::vector<protocol::OpenedMarketRecord> settled_opened;      // 5
  std::vector<protocol::GroupedBetRecord> unsettled_parlays;     // 6
  std::vector<protocol::GroupedBetRecord> settled_parlays;       // 7
  std::vector<protocol::GroupedBetRecord> unsettled_outrights;   // 8
  std::vector<protocol::GroupedBetRecord> settled_outrights;     // 9
};

// A tab's columns; those that show prices name the odds format when it is not decimal.
std::vector<ports::ListColumn> record_columns(int tab,
                                              notation::OddsFormat format = notation::OddsFormat::kDecimal);

// "未结算单式投注记录(2026/12/08)": unsettled kinds carry today's date, settled ones the range.
std::string records_print_title(int tab, const protocol::DateRange& range, const wire::CivilDateTime& today);

// A tab's list exactly as the window shows it: the print title, the columns, one row of cell texts
// per row shown, and the summary line (none when no row is shown). Empty outside 0–9.
// Prices show in `format`.
ports::PrintableList records_list(int tab, const RecordLists& lists, const protocol::DateRange& range,
                                  const wire::CivilDateTime& today,
                                  notation::OddsFormat format = notation::OddsFormat::kDecimal);

// The detail list ("详细") of a row of tabs 4–7: the bets against an opened market or the legs of a
// parlay. Nothing for another tab or a row past the end.
std::optional<ports::PrintableList> record_detail(
    int tab, const RecordLists& lists, std::size_t row,
    notation::OddsFormat format = notation::OddsFormat::kDecimal);

// The opened market a tab-4 row names, for 撤单; nothing past the end.
std::optional<OpenedMarket> opened_market_of_row(const RecordLists& lists, std::size_t row);

}  // namespace brindle::accounts
