#pragma once

#include "core/betting/hall_match_list.h"
#include "core/betting/outright_ticket.h"

namespace brindle::betting {

// Page 6: the outright and index events; "更多" opens an event's ticket.
class OutrightHall final : public MatchListHall {
 public:
  enum Column { kKey, kTime, kName, kMore };

  OutrightHall(HallServices services, ports::OutrightTicketPort& ticket_window)
      : MatchListHall(services), ticket_window_(ticket_window) {}

  int page() const override { return kOutrightPage; }
  const std::vector<HallColumn>& columns() const override;
  std::string cell_text(std::size_t line, int column) const override;
  bool has_league_chooser() const override { return false; }

 protected:
  int market_type() const override { return 0; }
  protocol::Outcome fetch(bool filtered) override;
  std::string public_location() const override { return " 您现在的位置：冠军/指数"; }
  std::string private_location_prefix() const override { return " 您现在的位置：冠军/指数"; }
  bool shows_room_name() const override { return false; }
  void more_click(std::size_t line) override;

 private:
  ports::OutrightTicketPort& ticket_window_;
  HeldOutrightEntries held_entries_;
};

}  // namespace brindle::betting
