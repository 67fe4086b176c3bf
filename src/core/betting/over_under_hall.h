#pragma once

#include "core/betting/hall_match_list.h"
#include "core/betting/single_ticket.h"

namespace brindle::betting {

// Page 2: every match with its first over and first under line (football or basketball totals).
class OverUnderHall final : public MatchListHall {
 public:
  enum Column { kKey, kTime, kHomeTeam, kOverOdds, kLine, kAwayTeam, kUnderOdds };

  using MatchListHall::MatchListHall;

  int page() const override { return kOverUnderPage; }
  const std::vector<HallColumn>& columns() const override;
  std::string cell_text(std::size_t line, int column) const override;

  // The first totals line of a match on one side: over for a positive code, under for a negative.
  const protocol::OddsLine* side_line(std::size_t line, bool over) const;

 protected:
  int market_type() const override;
  void bet_click(std::size_t line, int column) override;
  std::optional<std::pair<int, double>> cell_price(std::size_t line, int column) const override;
  std::string public_location() const override { return " 您现在的位置：大小球盘 — 公共房间"; }
  std::string private_location_prefix() const override { return " 您现在的位置：大小球盘私人房间 — "; }
};

}  // namespace brindle::betting
