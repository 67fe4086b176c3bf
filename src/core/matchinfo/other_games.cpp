#include "core/matchinfo/other_games.h"

#include <array>

#include "core/ports/message_port.h"
#include "core/ports/shell_port.h"

namespace brindle::matchinfo {
namespace {

using A = GameAction;
using G = net::OtherGames;

// The two web buttons are bound the other way round from the Main window's menu: "真人天王厅" opens
// the Casino1Web text and "真人至尊厅  网页版" the Casino2 text.
constexpr std::array kButtons = {
    GameButton{48, "真人至尊厅", "Casino0", A::launch_casino, &G::casino1},
    GameButton{98, "真人天王厅", "Casino1", A::open_text, &G::casino1_web},
    GameButton{148, "真人至尊厅  网页版", "Casino2", A::open_text, &G::casino2},
    GameButton{198, "路子游戏", "Luzi0", A::open_text, &G::luzi},
    GameButton{248, "棋牌游戏", "Poker0", A::open_text, &G::poker},
    GameButton{298, "乐透游戏", "Lotto0", A::open_on_server, &G::lotto},
    GameButton{348, "KENO游戏", "Keno0", A::open_on_server, &G::keno},
    GameButton{398, "德州扑克", "Texas0", A::launch_texas, &G::texas},
};

// Fills each "%s" in turn; the texts are taken literally however long they are.
std::string fill(const char* format, const std::string& first, const std::string& second = {}) {
  std::string out;
  int filled = 0;
  for (const char* p = format; *p != '\0'; ++p) {
    if (p[0] == '%' && p[1] == 's') {
      out += filled++ == 0 ? first : second;
      ++p;
    } else {
      out += *p;
    }
  }
  return out;
}

}  // namespace

void open_game_address(ports::ShellPort& shell, ports::MessagePort& messages, const std::string& address) {
  if (address.empty()) {
    messages.show_message(kGameNotConfigured, false);
  } else {
    shell.open_address(address);
  }
}

std::span<const GameButton> game_buttons() { return kButtons; }

std::string game_button_image(const char* prefix, int state) {
  return std::string(prefix) + static_cast<char>('0' + (state < 0 ? 0 : state > 2 ? 2 : state)) + ".bmp";
}

std::string OtherGamesPage::games_page_address() const {
  return fill(kOtherGamesPageFormat, context_.current_server);
}

void OtherGamesPage::open() { view_.show_in_browser(games_page_address()); }

bool OtherGamesPage::launch(const std::string& program) {
  if (program.empty() || !shell_.file_exists(program)) return false;
  if (!shell_.start_program(program)) {
    // A program that is there but will not start ends the client, as it always has.
    messages_.show_message(kProgramStartFailed, false);
    view_.end_client();
  }
  return true;
}

void OtherGamesPage::click(std::size_t index) {
  if (index >= kButtons.size()) return;
  const GameButton& button = kButtons[index];
  const net::OtherGames& games = context_.other_games;
  const std::string& text = games.*button.text;
  switch (button.action) {
    case A::launch_casino:
      if (!launch(text)) open_game_address(shell_, messages_, games.casino1_web);
      return;
    case A::launch_texas:
      if (!launch(text)) view_.show_in_browser(fill(kTexasPageFormat, context_.current_server));
      return;
    case A::open_text:
      open_game_address(shell_, messages_, text);
      return;
    case A::open_on_server:
      shell_.open_address(
          net::is_whole_web_address(text) ? text : fill(kServerGameFormat, context_.current_server, text));
      return;
  }
}

}  // namespace brindle::matchinfo
