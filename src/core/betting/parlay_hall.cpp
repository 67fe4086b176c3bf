#include "core/betting/parlay_hall.h"

#include "core/protocol/market_type.h"

namespace brindle::betting {
namespace {

int outcome_code(int column) {
  switch (column) {
    case ParlayHall::kHomeWin:
      return kHomeWinCode;
    case ParlayHall::kDraw:
      return kDrawCode;
    case ParlayHall::kAwayWin:
      return kAwayWinCode;
    default:
      return 0;
  }
}

}  // namespace

ParlayHall::ParlayHall(HallServices services, ports::ParlayWindowsPort& windows)
    : MatchListHall(services), ticket_({services.session, services.messages, services.frame, windows}) {}

void ParlayHall::bet_click(std::size_t line, int column) {
  if (line >= matches().size()) return;
  const auto* l = outcome_line(line, outcome_code(column));
  if (!l) return;
  ticket_.add_from_hall(matches()[line], *l);
}

void ParlayHall::more_click(std::size_t line) {
  if (line < matches().size()) ticket_.choose_more(matches()[line]);
}

const std::vector<HallColumn>& ParlayHall::columns() const {
  static const std::vector<HallColumn> kColumns{
      {"", {0, 0, 0}},
      {"时间", {100, 70, 100}},
      {"主队胜(独赢)", {110, 80, 110}, CellKind::kText, true},
      {"主队(名)", {190, 130, 180}},
      {"和局", {90, 70, 90}, CellKind::kText, true},
      {"客队(名)", {190, 130, 180}},
      {"客队胜(独赢)", {110, 80, 110}, CellKind::kText, true},
      {"更多玩法", {90, 80, 90}, CellKind::kMoreButton},
  };
  return kColumns;
}

int ParlayHall::market_type() const { return protocol::kTypeParlayList; }

const protocol::OddsLine* ParlayHall::outcome_line(std::size_t line, int code) const {
  return first_line(line, [code](const protocol::OddsLine& l) {
    return l.market_type == protocol::kType1x2 && l.line_code == code;
  });
}

std::string ParlayHall::cell_text(std::size_t line, int column) const {
  if (line >= matches().size()) return {};
  const protocol::MatchRecord& m = matches()[line];
  switch (column) {
    case kKey:
      return std::to_string(m.match_number);
    case kTime:
      return m.kick_off_time;
    case kHomeTeam:
      return m.home_team;
    case kAwayTeam:
      return m.away_team;
    case kHomeWin:
    case kDraw:
    case kAwayWin: {
      const auto* l = outcome_line(line, outcome_code(column));
      return l ? odds_text(l->price) : kNoLineText;
    }
    default:
      return {};
  }
}

std::optional<std::pair<int, double>> ParlayHall::cell_price(std::size_t line, int column) const {
  const int code = outcome_code(column);
  if (code == 0) return std::nullopt;
  const auto* l = outcome_line(line, code);
  if (!l) return std::nullopt;
  return std::pair{l->selection_number, l->price};
}

}  // namespace brindle::betting
