#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>

#include "core/accounts/bet_record_tabs.h"
#include "core/ports/list_output_port.h"
#include "core/protocol/list_rows.h"
#include "core/protocol/records_queries.h"
#include "wire/ole_date.h"

namespace brindle::protocol {
struct Session;
}
namespace brindle::ports {
class ConfirmationPort;
class MessagePort;
}  // namespace brindle::ports

namespace brindle::accounts {

inline constexpr char kNoRecordsToPrintText[] = "没有可以打印的记录。";
inline constexpr char kChooseRecordForDetailText[] = "请选择您要查看详细清单的记录。";

// Runs the query of a tab's kind into its list in `lists` (over `range` for the settled kinds); the
// list is replaced only on success. No range check here: callers refuse a bad range first.
protocol::Outcome fetch_record_tab(protocol::Session& session, int tab, const protocol::DateRange& range,
                                   RecordLists& lists);

struct RecordsWindowServices {
  protocol::Session& session;
  ports::MessagePort& messages;
  ports::ConfirmationPort& confirmation;
  ports::ListOutputPort& output;
  std::function<wire::CivilDateTime()> now;  // local time: the unsettled print titles' date
};

// The records window without its widgets: one list per kind, the chosen tab and the range of the
// settled kinds. A kind's list is replaced only by a successful query of that kind.
class RecordsWindowModel {
 public:
  RecordsWindowModel(RecordsWindowServices services, protocol::DateRange range);

  // Shows tab 0, fetched.
  void open();
  // Shows the tab; an unsettled kind is fetched the first time it is shown (again after a failure).
  void select_tab(int tab);
  int tab() const { return tab_; }

  const protocol::DateRange& range() const { return range_; }
  void set_range(const protocol::DateRange& range) { range_ = range; }

  // Runs the current tab's query (every tab has its 查询), after the range check on settled tabs (a
  // refusal is shown and nothing is sent). A failure shows the message and keeps the list. True on
  // success.
  bool query();

  // The current tab's list as shown, with its print title and summary line. A settled list's title
  // names the range it was fetched over.
  ports::PrintableList list() const;
  std::optional<ports::PrintableList> detail(std::size_t row) const;
  // The "详细" button: the chosen row's detail list, or a message that a row is to be chosen first.
  std::optional<ports::PrintableList> detail_of_chosen(std::optional<std::size_t> row) const;

  // 撤单 of the opened market on a tab-4 row; after the request the list is fetched again.
  void cancel(std::optional<std::size_t> row);

  void print();
  void export_csv();

  const RecordLists& lists() const { return lists_; }

 private:
  std::optional<ports::PrintableList> printable();

  RecordsWindowServices services_;
  protocol::DateRange range_;
  RecordLists lists_;
  int tab_ = 0;
  std::array<bool, kRecordTabCount> fetched_{};
  // The range each settled list was fetched over: its print title names that one, not the range
  // the pickers show now.
  std::array<protocol::DateRange, kRecordTabCount> fetched_range_{};
};

}  // namespace brindle::accounts
