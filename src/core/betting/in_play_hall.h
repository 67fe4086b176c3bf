#pragma once

#include "core/betting/hall_match_list.h"

namespace brindle::ports {
class ClockPort;
}

namespace brindle::betting {

class InPlayFollowUps;

// In-play lines whose status is this or more are not shown.
inline constexpr int kInPlayHiddenStatus = 2;

// Page 3: the running matches with their score, in-play Asian handicap and in-play over/under
// lines. A price click runs the in-play ticket when the hall has a clock and a follow-up table.
class InPlayHall final : public MatchListHall {
 public:
  enum Column {
    kKey,
    kTime,
    kScore,
    kGivingTeam,
    kPositiveOdds,
    kHandicap,
    kNegativeOdds,
    kOtherTeam,
    kOverOdds,
    kLine,
    kUnderOdds,
  };

  using MatchListHall::MatchListHall;
  InPlayHall(HallServices services, ports::ClockPort& clock, InPlayFollowUps& follow_ups)
      : MatchListHall(services), clock_(&clock), follow_ups_(&follow_ups) {}

  int page() const override { return kInPlayPage; }
  const std::vector<HallColumn>& columns() const override;
  std::string cell_text(std::size_t line, int column) const override;

 protected:
  int market_type() const override;
  // Always the one in-play list; a chosen league narrows it here rather than on the server.
  protocol::Outcome fetch(bool filtered) override;
  bool fetches_balance() const override { return false; }
  std::optional<std::pair<int, double>> cell_price(std::size_t line, int column) const override;
  void bet_click(std::size_t line, int column) override;
  std::string public_location() const override { return " 您现在的位置：走地盘 — 公共房间"; }
  std::string private_location_prefix() const override { return " 您现在的位置：走地盘私人房间 — "; }

 private:
  const protocol::OddsLine* shown_line(std::size_t line, int market_type, int sign) const;

  ports::ClockPort* clock_ = nullptr;
  InPlayFollowUps* follow_ups_ = nullptr;
};

}  // namespace brindle::betting
