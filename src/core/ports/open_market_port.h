#pragma once

namespace brindle::ports {

//! The modal "对战开盘" window as the hall sees it.
class OpenMarketPort {
 public:
  virtual ~OpenMarketPort() = default;
  //! Shows the window on the tab of `initial_tab` (0–4) until "取消" or close.
  virtual void open_market_window(int initial_tab) = 0;
};

}  // namespace brindle::ports
