#include "core/matchinfo/other_games.h"

#include <gtest/gtest.h>

#include <set>

#include "core/ports/message_port.h"
#include "core/ports/shell_port.h"

namespace brindle::matchinfo {
namespace {

struct ScriptedShell final : ports::ShellPort {
  void open_address(const std::string& address) override { log.push_back("open " + address); }
  bool file_exists(const std::string& path) override { return files.count(path) != 0; }
  bool start_program(const std::string& path) override {
    log.push_back("start " + path);
    return programs.count(path) != 0;
  }
  std::set<std::string> files, programs;
  std::vector<std::string> log;
};

struct Recorder final : ports::MessagePort, OtherGamesView {
  int show_message(const std::string& text, bool) override {
    log.push_back("message " + text);
    return ok;
  }
  void show_in_browser(const std::string& address) override { log.push_back("browse " + address); }
  void end_client() override { log.push_back("end"); }
  std::vector<std::string> log;
};

struct GamesFixture {
  GamesFixture() {
    context.current_server = "bet.example:8443";
    auto& g = context.other_games;
    g.casino1 = "/opt/games/casino";
    g.casino1_web = "http://casino.example/web";
    g.casino2 = "http://casino2.example/";
    g.luzi = "http://luzi.example/";
    g.poker = "http://poker.example/";
    g.lotto = "lotto/index.aspx";
    g.keno = "keno/index.aspx";
    g.texas = "/opt/games/texas";
  }
  std::vector<std::string> click(std::size_t index) {
    page.click(index);
    std::vector<std::string> all = shell.log;
    all.insert(all.end(), view.log.begin(), view.log.end());
    return all;
  }
  net::ClientContext context;
  ScriptedShell shell;
  Recorder view;
  OtherGamesPage page{context, shell, view, view};
};

using Log = std::vector<std::string>;

TEST(OtherGames, ButtonsPlacesAndImages) {
  const auto buttons = game_buttons();
  ASSERT_EQ(buttons.size(), 8u);
  for (std::size_t i = 0; i < buttons.size(); ++i) EXPECT_EQ(buttons[i].y, 48 + 50 * static_cast<int>(i));
  EXPECT_EQ(game_button_image(buttons[0].image_prefix, 2), "Casino02.bmp");
  EXPECT_EQ(game_button_image(buttons[7].image_prefix, 0), "Texas00.bmp");
  EXPECT_STREQ(buttons[2].caption, "真人至尊厅  网页版");
}

TEST(OtherGames, EachButtonsAction) {
  struct Case {
    std::size_t button;
    std::function<void(GamesFixture&)> set_up;
    Log log;
  } cases[] = {
      {0,
       [](GamesFixture& f) { f.shell.files = f.shell.programs = {"/opt/games/casino"}; },
       {"start /opt/games/casino"}},
      {0, [](GamesFixture&) {}, {"open http://casino.example/web"}},
      {0, [](GamesFixture& f) { f.context.other_games.casino1.clear(); }, {"open http://casino.example/web"}},
      // The web buttons the other way round from the Main window's menu.
      {1, [](GamesFixture&) {}, {"open http://casino.example/web"}},
      {2, [](GamesFixture&) {}, {"open http://casino2.example/"}},
      {3, [](GamesFixture&) {}, {"open http://luzi.example/"}},
      {4, [](GamesFixture&) {}, {"open http://poker.example/"}},
      {5, [](GamesFixture&) {}, {"open https://bet.example:8443/lotto/index.aspx"}},
      {6, [](GamesFixture&) {}, {"open https://bet.example:8443/keno/index.aspx"}},
      // No Texas program: the page's own browser, no new window.
      {7, [](GamesFixture&) {}, {"browse https://bet.example:8443/Texas.aspx"}},
      {7,
       [](GamesFixture& f) { f.shell.files = f.shell.programs = {"/opt/games/texas"}; },
       {"start /opt/games/texas"}},
      // A Texas file that is no program: the message, then the client ends.
      {7,
       [](GamesFixture& f) { f.shell.files = {"/opt/games/texas"}; },
       {"start /opt/games/texas", "message 创建失败!", "end"}},
      {0,
       [](GamesFixture& f) { f.shell.files = {"/opt/games/casino"}; },
       {"start /opt/games/casino", "message 创建失败!", "end"}},
      {8, [](GamesFixture&) {}, {}},
      // A game the settings leave without an address is said so, not passed over in silence.
      {3,
       [](GamesFixture& f) { f.context.other_games.luzi.clear(); },
       {"message 这一项没有设置地址，无法打开。"}},
      {0,
       [](GamesFixture& f) { f.context.other_games.casino1_web.clear(); },
       {"message 这一项没有设置地址，无法打开。"}},
  };
  for (const auto& c : cases) {
    GamesFixture f;
    c.set_up(f);
    EXPECT_EQ(f.click(c.button), c.log) << "button " << c.button;
  }
}

TEST(OtherGames, OpensTheGamesPage) {
  GamesFixture f;
  f.page.open();
  EXPECT_EQ(f.view.log, Log{"browse https://bet.example:8443/OtherGames.asp"});
}

}  // namespace
}  // namespace brindle::matchinfo
