#pragma once

#include <string>
#include <vector>

namespace brindle::ports {

//! One of the 44 choices of an outright tab page.
struct OutrightChoiceView {
  std::string text;  //!< "%s (%.3f)": the selection and its odds
  bool shown = false;
  bool enabled = false;
};

//! One tab of the outright ticket: its caption, its frame and 44 choices in four columns of eleven.
struct OutrightTabView {
  std::string caption;
  std::string frame_title;
  std::vector<OutrightChoiceView> choices;
};

struct OutrightTicketView {
  std::string event_name;  //!< replaces "比赛"
  std::vector<OutrightTabView> tabs;
  std::string currency_label;  //!< "元整（不含小数）"
};

//! What the window asks of the ticket while it is open.
class OutrightTicketHandler {
 public:
  virtual ~OutrightTicketHandler() = default;
  //! "确定" with the current tab (-1 for none), choice (-1 for none) and stake text; true when the
  //! checks passed and the window closes.
  virtual bool confirm(int tab, int choice, const std::string& stake_text) = 0;
  //! "玩法说明".
  virtual void show_instructions() = 0;
};

//! The outright ticket window and the Page window it opens.
class OutrightTicketPort {
 public:
  virtual ~OutrightTicketPort() = default;
  //! Shows the window modally until "确定" passes the handler's checks (true) or it is cancelled.
  virtual bool run(const OutrightTicketView& view, OutrightTicketHandler& handler) = 0;
  //! The modal Page window with an embedded browser.
  virtual void open_page(const std::string& title, const std::string& address) = 0;
};

}  // namespace brindle::ports
