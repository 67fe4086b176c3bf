#include "core/accounts/records_window_model.h"

#include <utility>

#include "core/accounts/query_range.h"
#include "core/ports/message_port.h"

namespace brindle::accounts {

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
  protocol::Session& s = services_.session;
  RecordLists& l = lists_;
  protocol::Outcome outcome = protocol::Outcome::failure("");
  switch (tab_) {
    case 0:
      outcome = protocol::fetch_unsettled_single_bets(s, l.unsettled_singles);
      break;
    case 1:
      outcome = protocol::fetch_settled_single_bets(s, range_, l.settled_singles);
      break;
    case 2:
      outcome = protocol::fetch_unsettled_banker_bets(s, l.unsettled_banker_bets);
      break;
    case 3:
      outcome = protocol::fetch_settled_banker_bets(s, range_, l.settled_banker_bets);
      break;
    case 4:
      outcome = protocol::fetch_unsettled_opened_markets(s, l.unsettled_opened);
      break;
    case 5:
      outcome = protocol::fetch_settled_opened_markets(s, range_, l.settled_opened);
      break;
    case 6:
      outcome = protocol::fetch_unsettled_parlays(s, l.unsettled_parlays);
      break;
    case 7:
      outcome = protocol::fetch_settled_parlays(s, range_, l.settled_parlays);
      break;
    case 8:
      outcome = protocol::fetch_unsettled_outrights(s, l.unsettled_outrights);
      break;
    case 9:
      outcome = protocol::fetch_settled_outrights(s, range_, l.settled_outrights);
      break;
    default:
      return false;
  }
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
                      services_.now ? services_.now() : wire::CivilDateTime{});
}

std::optional<ports::PrintableList> RecordsWindowModel::detail(std::size_t row) const {
  return record_detail(tab_, lists_, row);
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
