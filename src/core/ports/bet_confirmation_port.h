#pragma once

#include <string>

namespace brindle::ports {

//! The Bet confirmation window: choice, odds and stake under the ticket's market name.
struct BetConfirmation {
  std::string title;  //!< the market name, e.g. "亚洲盘投注"
  std::string choice;
  std::string odds;
  std::string stake;     //!< "%d"
  std::string currency;  //!< the Chinese currency name
};

class BetConfirmationPort {
 public:
  virtual ~BetConfirmationPort() = default;
  //! True when "确认" was pressed; "取消" and closing answer false.
  virtual bool confirm_bet(const BetConfirmation& confirmation) = 0;
  //! Closes the window on show as if "取消" had been pressed (a ticket's time limit ran out).
  virtual void close_as_cancelled() {}
};

}  // namespace brindle::ports
