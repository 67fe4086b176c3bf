#include "core/app/main_window_commands.h"

#include <algorithm>
#include <array>

namespace brindle::app {

namespace {

using C = MainCommand;
using G = GameText;

constexpr std::array kButtons = {
    CommandEntry{1013, "bt_home", C::open_server_address, "http://%s/"},
    CommandEntry{1007, "bt_register", C::registration},
    CommandEntry{1003, "bt_finance", C::open_server_address, "https://%s/fc/login.aspx"},
    CommandEntry{kAccountButton, "bt_account", C::account_information},
    CommandEntry{kSuperButton, kSuperPrefix, C::super_cash_out},
    CommandEntry{6, "bt_newss", C::open_server_address, "http://%s/news/"},
    CommandEntry{1008, "bt_rule", C::pop_up_menu, nullptr, G::none, 0, 191},
    CommandEntry{kServiceButton, "bt_service", C::customer_service},
    CommandEntry{1367, "bt_blank", C::none},
    CommandEntry{1368, "bt_casinodrop", C::pop_up_menu, nullptr, G::none, 0, 405},
    CommandEntry{1381, "bt_slot", C::open_game_address, kGameAddress, G::lotto},
    CommandEntry{1359, nullptr, C::open_game_address, kGameAddress, G::lotto},
    CommandEntry{1363, "bt_luzi", C::open_game_text, nullptr, G::luzi},
    CommandEntry{1361, "bt_poker", C::open_game_text, nullptr, G::poker},
    CommandEntry{1360, "bt_Keno", C::open_game_address, kGameAddress, G::keno},
    CommandEntry{1370, "bt_dzpk", C::pop_up_menu, nullptr, G::none, 0, 412},
    CommandEntry{1308, "bt_phone", C::open_game_address, kGameAddress, G::phone},
    CommandEntry{1371, "bt_Promo", C::open_game_address, kGameAddress, G::promo},
    CommandEntry{2, "bt_exit", C::exit},
    CommandEntry{1067, "bt_declare", C::page_window, "http://%s/doc/law.htm", G::none, 0, 0, "声明"},
    CommandEntry{1068, "bt_refresh", C::refresh},
    CommandEntry{kRecordsButton, "bt_records", C::bet_list, nullptr, G::none, 0, 0, "投注清单"},
    CommandEntry{4, "bt_matchs", C::match_query, nullptr, G::none, 0, 0, "赛事查询"},
    CommandEntry{1001, "asia", C::show_page, nullptr, G::none, 1},
    CommandEntry{1002, "interactive", C::show_page, nullptr, G::none, 5},
    CommandEntry{1057, "parlay", C::show_page, nullptr, G::none, 4},
    CommandEntry{1006, "news", C::open_server_address, "http://%s/news/"},
    CommandEntry{kShowButton, kShowPrefix, C::toggle_show},
    CommandEntry{1348, nullptr, C::show_page, nullptr, G::none, 6},
    CommandEntry{1355, nullptr, C::show_page, nullptr, G::none, 7},
    CommandEntry{1069, nullptr, C::settings},
    CommandEntry{1012, nullptr, C::page_window, "http://%s/livebetmsg", G::none, 0, 0, "走地历史公告"},
    CommandEntry{1250, nullptr, C::page_window, "http://%s/livebetmsg", G::none, 0, 0, "走地历史公告"},
};

constexpr std::array kMenuCommands = {
    CommandEntry{32771, nullptr, C::page_window, "http://%s/doc/rule.htm", G::none, 0, 0, "投注规则"},
    CommandEntry{32772, nullptr, C::page_window, "http://%s/doc/paq.htm", G::none, 0, 0, "玩法问答"},
    CommandEntry{32775, nullptr, C::customer_service, nullptr, G::none, 0, 0, "快速解答"},
    CommandEntry{32787, nullptr, C::open_game_text, nullptr, G::casino1_web, 0, 0, "至尊厅网页版"},
    CommandEntry{32789, nullptr, C::start_casino_client, nullptr, G::casino1, 0, 0, "至尊厅客户端"},
    CommandEntry{32788, nullptr, C::open_game_address, kGameAddress, G::casino2, 0, 0, "天王厅"},
    CommandEntry{1362, nullptr, C::open_game_address, kGameAddress, G::texas, 0, 0, "德州扑克"},
    CommandEntry{32782, nullptr, C::bet_records, nullptr, G::none, 0, 0, "投注记录"},
    CommandEntry{32783, nullptr, C::open_game_address, kGameAddress, G::phone},
    CommandEntry{32786, nullptr, C::open_game_address, kGameAddress, G::phone},
};

constexpr std::array kRuleMenu = {32771, 32772};
constexpr std::array kCasinoMenu = {32787, 32789, 32788};
constexpr std::array kTexasMenu = {1362};
constexpr std::array kMenus = {
    PopUpMenu{191, kRuleMenu},
    PopUpMenu{405, kCasinoMenu},
    PopUpMenu{412, kTexasMenu},
};

template <typename Table>
auto find_id(const Table& table, int id) -> decltype(&table[0]) {
  auto it = std::find_if(table.begin(), table.end(), [id](const auto& entry) { return entry.id == id; });
  return it == table.end() ? nullptr : &*it;
}

}  // namespace

std::span<const CommandEntry> main_window_buttons() { return kButtons; }
std::span<const CommandEntry> main_window_menu_commands() { return kMenuCommands; }
std::span<const PopUpMenu> main_window_menus() { return kMenus; }
const CommandEntry* find_button(int control) { return find_id(kButtons, control); }
const CommandEntry* find_menu_command(int command) { return find_id(kMenuCommands, command); }
const PopUpMenu* find_menu(int id) { return find_id(kMenus, id); }

std::string format_address(std::string_view format, std::string_view first, std::string_view second) {
  std::string out;
  out.reserve(format.size() + first.size() + second.size());
  int filled = 0;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == 's') {
      out += filled++ == 0 ? first : second;
      ++i;
    } else {
      out += format[i];
    }
  }
  return out;
}

const std::string& game_text(const net::OtherGames& games, GameText which) {
  static const std::string empty;
  switch (which) {
    case GameText::none:
      return empty;
    case GameText::casino1:
      return games.casino1;
    case GameText::casino1_web:
      return games.casino1_web;
    case GameText::casino2:
      return games.casino2;
    case GameText::lotto:
      return games.lotto;
    case GameText::poker:
      return games.poker;
    case GameText::luzi:
      return games.luzi;
    case GameText::keno:
      return games.keno;
    case GameText::texas:
      return games.texas;
    case GameText::phone:
      return games.phone;
    case GameText::promo:
      return games.promo;
  }
  return empty;
}

bool button_enabled(int control, int login_mode) {
  if (login_mode == net::kLoginModeVisitor &&
      (control == kAccountButton || control == kRecordsButton || control == kServiceButton)) {
    return false;
  }
  return !(login_mode == net::kLoginModeSecondary && control == kSuperButton);
}

std::string button_bitmap_name(std::string_view prefix, int state) {
  std::string name(prefix);
  name += '0';
  name += static_cast<char>('0' + (state < 0 ? 0 : state > 9 ? 9 : state));
  name += ".bmp";
  return name;
}

}  // namespace brindle::app
