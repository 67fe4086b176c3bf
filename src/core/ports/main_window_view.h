#pragma once

#include <string>

namespace brindle::ports {

//! The windows the Main window opens from its buttons and menus; each belongs to its own feature.
enum class MainWindowDialog {
  registration,
  account_information,
  super_cash_out,
  customer_service,
  bet_list,
  bet_records,
  match_query,
  settings,
};

//! The Main window's widgets as its model drives them.
class MainWindowView {
 public:
  virtual ~MainWindowView() = default;
  //! Hides every page and shows the home page's own controls.
  virtual void show_home() = 0;
  //! Creates the window of page 1–7; false when it could not be made (the page stays blank).
  virtual bool create_page(int page) = 0;
  //! Hides the home controls and every other page, shows this one and gives it the focus.
  virtual void show_page(int page, int argument) = 0;
  //! Hands a page one of the Main window's messages (0x504 timed refresh, 0x505 room switch).
  virtual void send_to_page(int page, int message, int first, int second) = 0;
  //! The location line of a page.
  virtual void set_location_text(int page, const std::string& utf8_text) = 0;
  //! The running information line.
  virtual void set_running_text(const std::string& utf8_text) = 0;
  //! Shows or puts away the notices: the running line and the halls' advertisement panes.
  virtual void set_notices_shown(bool shown) = 0;
  //! The account panel (control 1011).
  virtual void set_account_text(const std::string& utf8_text) = 0;
  //! Reloads a bitmap button's four state bitmaps from "<prefix>00.bmp" … "<prefix>03.bmp".
  virtual void set_button_bitmaps(int control, const std::string& prefix) = 0;
  //! Shows one bitmap file on a button that has no states of its own.
  virtual void set_button_picture(int control, const std::string& file_name) = 0;
  virtual void set_button_enabled(int control, bool enabled) = 0;
  //! Drops the pop-up menu `menu` below the button `control`.
  virtual void pop_up_menu(int control, int menu) = 0;
  //! The modal Page window on one address.
  virtual void open_page_window(const std::string& utf8_title, const std::string& address) = 0;
  virtual void open_dialog(MainWindowDialog dialog) = 0;
  //! Ends the Main window, and with it the program.
  virtual void close() = 0;
};

}  // namespace brindle::ports
