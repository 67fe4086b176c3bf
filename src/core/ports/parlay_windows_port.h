#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace brindle::ports {

//! One item of a "玩法选择" tab; a hidden item keeps its place (the correct-score grid).
struct MarketChoiceItem {
  std::string text;  //!< "%s (%.3f)"
  bool visible = true;
};

struct MarketChoiceTab {
  std::string title;  //!< the market kind name
  std::vector<MarketChoiceItem> items;
  int columns = 2;  //!< items per row
};

//! The "玩法选择" window: a title line and one tab per market kind.
struct MarketChoiceContent {
  std::string title;  //!< "%s vs %s"
  std::vector<MarketChoiceTab> tabs;
};

struct MarketChoice {
  int tab = 0;
  int item = 0;
};

//! The two windows of the parlay ticket.
class ParlayWindowsPort {
 public:
  virtual ~ParlayWindowsPort() = default;
  //! Shows the "玩法选择" window modally. Each "确认" hands `confirm` the chosen item (nothing when
  //! none is chosen); the window closes when it answers true and stays otherwise. The item confirmed
  //! last, or nothing when the window was cancelled.
  virtual std::optional<MarketChoice> choose_market(
      const MarketChoiceContent& content,
      const std::function<bool(std::optional<MarketChoice>)>& confirm) = 0;
  //! The Overview window: a title and a text with "确认" and "取消"; true for "确认".
  virtual bool confirm_overview(const std::string& title, const std::string& text) = 0;
};

}  // namespace brindle::ports
