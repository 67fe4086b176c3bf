#pragma once

#include <span>
#include <string>

#include "core/net/client_context.h"

namespace brindle::ports {
class MessagePort;
class ShellPort;
}  // namespace brindle::ports

namespace brindle::matchinfo {

inline constexpr char kOtherGamesLocation[] = " 您现在的位置：其他游戏";
inline constexpr char kOtherGamesPageFormat[] = "https://%s/OtherGames.asp";
inline constexpr char kTexasPageFormat[] = "https://%s/Texas.aspx";
inline constexpr char kServerGameFormat[] = "https://%s/%s";
inline constexpr char kProgramStartFailed[] = "创建失败!";
// A game whose address the operator left out of the settings file: said, rather than nothing at all.
inline constexpr char kGameNotConfigured[] = "这一项没有设置地址，无法打开。";

// Opens a game's address in the shell, or tells the user the settings give the game none.
void open_game_address(ports::ShellPort& shell, ports::MessagePort& messages, const std::string& address);

// Every game button's place: a column at x 28, one button each 50 pixels from y 48.
inline constexpr int kGameButtonX = 28;
inline constexpr int kGameButtonWidth = 129;
inline constexpr int kGameButtonHeight = 39;

enum class GameAction {
  launch_casino,   // the Casino1 program, else the Casino1Web text in the shell
  launch_texas,    // the Texas program, else the Texas page in the page's own browser
  open_text,       // the text itself in the shell
  open_on_server,  // "https://%s/%s" with the current server and the text
};

struct GameButton {
  int y = 0;
  const char* caption = nullptr;
  const char* image_prefix = nullptr;  // "<prefix>00.bmp" … "<prefix>02.bmp": normal, hover, pressed
  GameAction action = GameAction::open_text;
  std::string net::OtherGames::*text = nullptr;
};

std::span<const GameButton> game_buttons();
// "Casino00.bmp" for prefix "Casino" and state 0.
std::string game_button_image(const char* prefix, int state);

// What the page does beside the shell: its own browser, and the end of the client.
class OtherGamesView {
 public:
  virtual ~OtherGamesView() = default;
  virtual void show_in_browser(const std::string& address) = 0;
  // Ends the client process at once with exit code 0; nothing is saved before.
  virtual void end_client() = 0;
};

// Page 7, "其他游戏", without its widgets: the games page its browser opens with and what each game
// button does.
class OtherGamesPage {
 public:
  OtherGamesPage(const net::ClientContext& context, ports::ShellPort& shell, ports::MessagePort& messages,
                 OtherGamesView& view)
      : context_(context), shell_(shell), messages_(messages), view_(view) {}

  std::string games_page_address() const;
  // The page's start: its browser shows the service's games page.
  void open();
  // A click on the game button at `index` of game_buttons().
  void click(std::size_t index);

 private:
  // Starts `program` when its file can be read; false when there is none and the fallback is due.
  bool launch(const std::string& program);

  const net::ClientContext& context_;
  ports::ShellPort& shell_;
  ports::MessagePort& messages_;
  OtherGamesView& view_;
};

}  // namespace brindle::matchinfo
