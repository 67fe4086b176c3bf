#include "core/betting/over_under_hall.h"

#include "core/notation/totals_notation.h"
#include "core/protocol/market_type.h"

namespace brindle::betting {

const std::vector<HallColumn>& OverUnderHall::columns() const {
  static const std::vector<HallColumn> kColumns{
      {"", {0, 0, 0}},
      {"时间", {110, 80, 100}},
      {"主队(名)", {220, 150, 210}},
      {"赔率（大）", {110, 80, 110}, CellKind::kText, true},
      {"分界线", {120, 90, 120}},
      {"客队(名)", {220, 150, 210}},
      {"赔率（小）", {110, 80, 110}, CellKind::kText, true},
  };
  return kColumns;
}

int OverUnderHall::market_type() const { return protocol::kTypeOverUnder; }

const protocol::OddsLine* OverUnderHall::side_line(std::size_t line, bool over) const {
  return first_line(line, [over](const protocol::OddsLine& l) {
    const bool totals =
        l.market_type == protocol::kTypeOverUnder || l.market_type == protocol::kTypeBasketballTotals;
    return totals && (over ? l.line_code > 0 : l.line_code < 0);
  });
}

std::string OverUnderHall::cell_text(std::size_t line, int column) const {
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
    case kOverOdds:
    case kUnderOdds: {
      const auto* l = side_line(line, column == kOverOdds);
      return l ? odds_text(l->price) : kNoLineText;
    }
    case kLine: {
      const auto* l = side_line(line, true);
      if (!l) l = side_line(line, false);
      const std::string text = l ? notation::totals_line_text(l->line_code) : std::string();
      return text.empty() ? kNoLineText : text;
    }
    default:
      return {};
  }
}

void OverUnderHall::bet_click(std::size_t line, int column) {
  const auto* l = side_line(line, column == kOverOdds);
  // No line on that side: the cell shows "-" and a click has nothing to bet on.
  if (!l) return;
  HallServices& s = services();
  TicketServices ticket{s.session, s.messages, s.stake_window, s.bet_confirmation, s.frame};
  run_over_under_ticket(ticket, OverUnderTicketLine{matches()[line], *l});
}

std::optional<std::pair<int, double>> OverUnderHall::cell_price(std::size_t line, int column) const {
  if (column != kOverOdds && column != kUnderOdds) return std::nullopt;
  const auto* l = side_line(line, column == kOverOdds);
  if (!l) return std::nullopt;
  return std::pair{l->selection_number, l->price};
}

}  // namespace brindle::betting
