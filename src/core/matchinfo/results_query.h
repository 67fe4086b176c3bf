#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/ports/list_output_port.h"
#include "core/protocol/history_records.h"
#include "core/protocol/records_queries.h"
#include "wire/ole_date.h"

namespace brindle::protocol {
struct Session;
}
namespace brindle::ports {
class MessagePort;
}

namespace brindle::matchinfo {

inline constexpr char kResultsWindowTitle[] = "赛事查询";
inline constexpr char kResultsEndBeforeStartText[] = "选择查询的结束日期不能小于开始日期！";
inline constexpr char kResultsRangeTooLongText[] = "只能查询31天的记录！";
inline constexpr char kNoValidMatchText[] = "无效比赛";
inline constexpr char kReceivedPrefix[] = "受让";
// 31 days with the opening times (00:00:01 to 23:59:59) stay below this many hours.
inline constexpr int kResultsHourLimit = 745;

enum class ResultsTab { results = 0, fixtures = 1, outright_index = 2 };
inline constexpr std::array<const char*, 3> kResultsTabTitles = {"赛果查询", "赛事预告", "冠军/指数赛果查询"};

// The range the window opens with: the previous day at 00:00:01 to `today` at 23:59:59.
protocol::DateRange opening_results_range(const wire::CivilDateTime& today);

// The refusal a range earns on any tab before anything is sent, or nothing when it may go. A bound
// that names no real date-time cannot be ordered and is refused as the order is.
std::optional<std::string> results_range_refusal(const protocol::DateRange& range);

// The fixtures carry no dates: the tab hides the date pickers.
inline bool shows_dates(ResultsTab tab) { return tab != ResultsTab::fixtures; }

std::vector<ports::ListColumn> results_columns(ResultsTab tab);
std::vector<std::string> results_row(ResultsTab tab, const protocol::ResultItem& item);

// The "赛事查询" window without its widgets: the selected tab, the range the pickers hold, each
// tab's last reply (kept until the window closes) and the rows the list shows.
class ResultsQueryModel {
 public:
  ResultsQueryModel(protocol::Session& session, ports::MessagePort& messages,
                    const protocol::DateRange& range);

  // The opening: the results tab, queried at once.
  void open();

  const protocol::DateRange& range() const { return range_; }
  void set_range(const protocol::DateRange& range) { range_ = range; }
  ResultsTab tab() const { return tab_; }

  // Shows a tab from its kept reply; a tab never queried is queried first.
  void select_tab(ResultsTab tab);

  // "查询" on the selected tab: a refused range is shown and sends nothing; a failed request is
  // shown and leaves the tab empty, also when it comes back. True when a reply was received.
  bool query();

  bool queried(ResultsTab tab) const { return kept_[index(tab)].has_value(); }
  const std::vector<ports::ListColumn>& columns() const { return columns_; }
  const std::vector<std::vector<std::string>>& rows() const { return rows_; }

 private:
  static std::size_t index(ResultsTab tab) { return static_cast<std::size_t>(tab); }
  void fill();

  protocol::Session& session_;
  ports::MessagePort& messages_;
  protocol::DateRange range_;
  ResultsTab tab_ = ResultsTab::results;
  std::array<std::optional<std::vector<protocol::ResultItem>>, 3> kept_;
  std::vector<ports::ListColumn> columns_;
  std::vector<std::vector<std::string>> rows_;
};

}  // namespace brindle::matchinfo
