#pragma once

#include "core/betting/hall_match_list.h"

namespace brindle::betting {

// Page 6: the outright and index events. Their ticket belongs to outright betting; until it lands
// "更多" does nothing.
class OutrightHall final : public MatchListHall {
 public:
  enum Column { kKey, kTime, kName, kMore };

  using MatchListHall::MatchListHall;

  int page() const override { return kOutrightPage; }
  const std::vector<HallColumn>& columns() const override;
  std::string cell_text(std::size_t line, int column) const override;
  bool has_league_chooser() const override { return false; }

 protected:
  int market_type() const override { return 0; }
  protocol::Outcome fetch(bool filtered) override;
  std::string public_location() const override { return " 您现在的位置：冠军/指数"; }
  std::string private_location_prefix() const override { return " 您现在的位置：冠军/指数"; }
};

}  // namespace brindle::betting
