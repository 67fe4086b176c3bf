#pragma once

#include <span>
#include <string>
#include <string_view>

#include "core/net/client_context.h"

namespace brindle::app {

// What a Main window button or menu command does.
enum class MainCommand {
  none,
  open_server_address,  // `address` on the current server, in the browser
  open_game_address,    // "https://%s/%s" with the current server and the game text
  open_game_text,       // the game text itself, an address or a program
  start_casino_client,  // the Casino1 program when it is installed, else the Casino1Web text
  show_page,
  page_window,  // `address` on the current server, inside the client under `title`
  pop_up_menu,
  registration,
  account_information,
  super_cash_out,
  customer_service,
  bet_list,
  bet_records,
  match_query,
  settings,
  toggle_show,
  refresh,
  exit,
};

// The OTHERGAMES texts a command names.
enum class GameText { none, casino1, casino1_web, casino2, lotto, poker, luzi, keno, texas, phone, promo };

struct CommandEntry {
  int id = 0;                           // control or menu command number
  const char* bitmap_prefix = nullptr;  // buttons drawn from "<prefix>00.bmp" … "<prefix>03.bmp"
  MainCommand command = MainCommand::none;
  const char* address = nullptr;  // "%s" is the current server
  GameText game = GameText::none;
  int page = 0;                // show_page
  int menu = 0;                // pop_up_menu
  const char* text = nullptr;  // the Page window's title, or the menu command's text
};

struct PopUpMenu {
  int id = 0;
  std::span<const int> commands;
};

inline constexpr int kSuperButton = 5;
inline constexpr int kAccountButton = 1005;
inline constexpr int kRecordsButton = 3;
inline constexpr int kServiceButton = 1009;
inline constexpr int kShowButton = 1249;
inline constexpr int kAccountPanel = 1011;
inline constexpr char kSuperPrefix[] = "bt_super";
inline constexpr char kCashPrefix[] = "bt_cash";
inline constexpr char kShowPrefix[] = "show";
inline constexpr char kGameAddress[] = "https://%s/%s";

std::span<const CommandEntry> main_window_buttons();
std::span<const CommandEntry> main_window_menu_commands();
std::span<const PopUpMenu> main_window_menus();
const CommandEntry* find_button(int control);
const CommandEntry* find_menu_command(int command);
const PopUpMenu* find_menu(int id);

// Fills each "%s" of `format` in turn, in full however long the texts are; other "%" signs and the
// texts themselves are taken literally.
std::string format_address(std::string_view format, std::string_view first, std::string_view second = {});

const std::string& game_text(const net::OtherGames& games, GameText which);

// The visitor has no account, records or questions; the secondary sign-in has no super cash-out.
bool button_enabled(int control, int login_mode);

// "bt_home00.bmp" … "bt_home03.bmp" for states 0 to 3 (normal, hover, pressed, disabled).
std::string button_bitmap_name(std::string_view prefix, int state);

}  // namespace brindle::app
