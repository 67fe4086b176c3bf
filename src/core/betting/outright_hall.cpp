#include "core/betting/outright_hall.h"

#include "core/protocol/market_data.h"

namespace brindle::betting {

const std::vector<HallColumn>& OutrightHall::columns() const {
  static const std::vector<HallColumn> kColumns{
      {"", {0, 0, 0}},
      {"时间", {160, 110, 150}},
      {"名称", {600, 420, 600}},
      {"更多", {120, 90, 120}, CellKind::kMoreButton},
  };
  return kColumns;
}

std::string OutrightHall::cell_text(std::size_t line, int column) const {
  if (line >= matches().size()) return {};
  const protocol::MatchRecord& m = matches()[line];
  switch (column) {
    case kKey:
      return std::to_string(m.match_number);
    case kTime:
      return m.kick_off_date + " " + m.kick_off_time;
    case kName:
      return m.home_team;
    default:
      return {};
  }
}

// There is no league chooser: every refresh is the one list.
protocol::Outcome OutrightHall::fetch(bool) {
  return protocol::fetch_outright_list(services().session, fetched_matches_, fetched_odds_);
}

void OutrightHall::more_click(std::size_t line) {
  if (line >= matches().size()) return;
  // A copy: a timed refresh under the open window replaces the list.
  const protocol::MatchRecord event = matches()[line];
  HallServices& s = services();
  run_outright_ticket({s.session, s.messages, s.bet_confirmation, s.frame, ticket_window_}, event,
                      held_entries_);
}

}  // namespace brindle::betting
