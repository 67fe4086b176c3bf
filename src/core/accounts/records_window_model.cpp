#include "core/accounts/records_window_model.h"

#include <string>
#include <utility>

#include "core/accounts/query_range.h"
#include "core/net/client_context.h"
#include "core/ports/message_port.h"

namespace brindle::accounts {

protocol::Outcome fetch_record_tab(protocol::Session& s, int tab, const protocol::DateRange& range,
                                   RecordLists& l) {
  switch (tab) {
    case 0:
      return protocol::fetch_unsettled_single_bets(s, l.unsettled_singles);
    case 1:
      return protocol::fetch_settled_single_bets(s, range, l.settled_singles);
    case 2:
      return protocol::fetch_unsettled_banker_bets(s, l.unsettled_banker_bets);
    case 3:
      return protocol::fetch_settled_banker_bets(s, range, l.settled_banker_bets);
    case 4:
      return protocol::fetch_unsettled_opened_markets(s, l.unsettled_opened);
    case 5:
      return protocol::fetch_settled_opened_markets(s, range, l.settled_opened);
    case 6:
      return protocol::fetch_unsettled_parlays(s, l.unsettled_parlays);
    case 7:
      return protocol::fetch_settled_parlays(s, range, l.settled_parlays);
    case 8:
      return protocol::fetch_unsettled_outrights(s, l.unsettled_outrights);
    case 9:
      return protocol::fetch_settled_outrights(s, range, l.settled_outrights);
    default:
      return protocol::Outcome::failure("no such kind of records: " + std::to_string(tab));
  }
}

RecordsWindowModel::RecordsWindowModel(RecordsWindowServices services, protocol::DateRange range)
    : services_(std::move(services)), range_(range) {}

void RecordsWindowModel::open() {
  tab_ = -1;  // so that tab 0 counts as newly shown
  select_tab(0);
}

void RecordsWindowModel::select_tab(int tab) {
  if (tab < 0 || tab >= kRecordTabCount || tab == tab_) return;
  tab_ = tab;
  if (!record_tab_has_range(tab) && !fetched_[static_cast<std::size_t>(tab)]) query();
}

bool RecordsWindowModel::query() {
  if (record_tab_has_range(tab_)) {
    if (const auto refusal = range_refusal(range_)) {
      services_.messages.show_message(*refusal, false);
      return false;
    }
  }
  const protocol::Outcome outcome = fetch_record_tab(services_.session, tab_, range_, lists_);
  if (!outcome) {
    services_.messages.show_message(outcome.error(), false);
    return false;
  }
  fetched_[static_cast<std::size_t>(tab_)] = true;
  fetched_range_[static_cast<std::size_t>(tab_)] = range_;
  return true;
}

ports::PrintableList RecordsWindowModel::list() const {
  if (tab_ < 0) return {};
  const auto index = static_cast<std::size_t>(tab_);
  return records_list(tab_, lists_, fetched_[index] ? fetched_range_[index] : range_,
                      services_.now ? services_.now() : wire::CivilDateTime{},
                      services_.session.context.odds_format);
}

std::optional<ports::PrintableList> RecordsWindowModel::detail(std::size_t row) const {
  return record_detail(tab_, lists_, row, services_.session.context.odds_format);
}

std::optional<ports::PrintableList> RecordsWindowModel::detail_of_chosen(
    std::optional<std::size_t> row) const {
  if (!row) {
    services_.messages.show_message(kChooseRecordForDetailText, false);
    return std::nullopt;
  }
  return detail(*row);
}

void RecordsWindowModel::cancel(std::optional<std::size_t> row) {
  if (tab_ != kUnsettledOpenedMarketsTab) return;
  const auto market = row ? opened_market_of_row(lists_, *row) : std::nullopt;
  if (cancel_opened_market(services_.session, services_.messages, services_.confirmation, market)) query();
}

std::optional<ports::PrintableList> RecordsWindowModel::printable() {
  auto shown = list();
  if (shown.rows.empty()) {
    services_.messages.show_message(kNoRecordsToPrintText, false);
    return std::nullopt;
  }
  return shown;
}

void RecordsWindowModel::print() {
  if (auto shown = printable()) services_.output.print(*shown);
}

void RecordsWindowModel::export_csv() {
  if (auto shown = printable()) services_.output.export_csv(*shown);
}

}  // namespace brindle::accounts
