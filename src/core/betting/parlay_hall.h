#pragma once

#include "core/betting/hall_match_list.h"
#include "core/betting/parlay_ticket.h"

namespace brindle::betting {

inline constexpr char kParlayPrivateRoomRefused[] = "只有真钱用户才可使用私人房间！";
// The 1X2 line codes of home win, draw and away win.
inline constexpr int kHomeWinCode = 1;
inline constexpr int kDrawCode = 2;
inline constexpr int kAwayWinCode = 4;

// Page 4: the match list with the 1X2 prices over the parlay ticket. The outcome cells and
// "更多玩法" add legs; every refresh checks the legs against fresh prices.
class ParlayHall final : public MatchListHall {
 public:
  enum Column { kKey, kTime, kHomeWin, kHomeTeam, kDraw, kAwayTeam, kAwayWin, kMore };

  ParlayHall(HallServices services, ports::ParlayWindowsPort& windows);

  ParlayTicket& ticket() { return ticket_; }
  const ParlayTicket& ticket() const { return ticket_; }

  int page() const override { return kParlayPage; }
  const std::vector<HallColumn>& columns() const override;
  std::string cell_text(std::size_t line, int column) const override;
  // The match's first 1X2 line with one outcome code.
  const protocol::OddsLine* outcome_line(std::size_t line, int code) const;

 protected:
  int market_type() const override;
  std::optional<std::pair<int, double>> cell_price(std::size_t line, int column) const override;
  void bet_click(std::size_t line, int column) override;
  void more_click(std::size_t line) override;
  void refreshed() override { ticket_.check_legs(); }
  const char* private_room_refusal() const override { return kParlayPrivateRoomRefused; }
  std::string public_location() const override { return " 您现在的位置：过关 — 公共房间"; }
  std::string private_location_prefix() const override { return " 您现在的位置：私人房间 — "; }

 private:
  ParlayTicket ticket_;
};

}  // namespace brindle::betting
