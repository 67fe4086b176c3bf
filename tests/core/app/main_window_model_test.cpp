// The Main window's model with scripted ports: buttons and menus, pages, the account panel, the
// one-second timer and the messages other windows send.

#include "core/app/main_window_model.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "core/app/account_panel.h"
#include "core/app/main_window_commands.h"
#include "core/net/fake_transport.h"
#include "core/net/request_gate.h"
#include "core/ports/main_window_view.h"
#include "core/ports/message_port.h"
#include "core/ports/progress_sink.h"
#include "core/ports/shell_port.h"
#include "support/recording_ports.h"
#include "support/temp_dir.h"

namespace {

using brindle::app::MainWindowModel;
using brindle::ports::MainWindowDialog;
using brindle::ports::WindowMessage;

class ScriptedShell final : public brindle::ports::ShellPort {
 public:
  std::vector<std::string> opened, started;
  std::vector<std::string> existing;
  bool start_works = true;
  void open_address(const std::string& address) override { opened.push_back(address); }
  bool file_exists(const std::string& path) override {
    return std::find(existing.begin(), existing.end(), path) != existing.end();
  }
  bool start_program(const std::string& path) override {
    started.push_back(path);
    return start_works;
  }
};

class RecordingView final : public brindle::ports::MainWindowView {
 public:
  std::vector<std::string> calls;  // one line per call, for order checks
  std::map<int, bool> disabled;
  std::vector<int> created, shown;
  std::vector<std::pair<int, int>> page_messages;  // page, message
  std::map<int, std::string> location;
  std::string running, account;
  bool notices_shown = true;
  std::vector<MainWindowDialog> dialogs;
  std::vector<std::pair<std::string, std::string>> page_windows;
  std::vector<int> menus;
  std::map<int, std::string> bitmaps, pictures;
  bool closed = false;
  bool creation_works = true;

  void show_home() override { calls.push_back("home"); }
  bool create_page(int page) override {
    created.push_back(page);
    return creation_works;
  }
  void show_page(int page, int) override {
    shown.push_back(page);
    calls.push_back("show " + std::to_string(page));
  }
  void send_to_page(int page, int message, int, int) override { page_messages.emplace_back(page, message); }
  void set_location_text(int page, const std::string& text) override { location[page] = text; }
  void set_running_text(const std::string& text) override { running = text; }
  void set_notices_shown(bool shown) override { notices_shown = shown; }
  void set_account_text(const std::string& text) override { account = text; }
  void set_button_bitmaps(int control, const std::string& prefix) override { bitmaps[control] = prefix; }
  void set_button_picture(int control, const std::string& name) override { pictures[control] = name; }
  void set_button_enabled(int control, bool enabled) override { disabled[control] = !enabled; }
  void pop_up_menu(int, int menu) override { menus.push_back(menu); }
  void open_page_window(const std::string& title, const std::string& address) override {
    page_windows.emplace_back(title, address);
  }
  void open_dialog(MainWindowDialog dialog) override { dialogs.push_back(dialog); }
  void close() override { closed = true; }
};

struct Fixture {
  brindle::testing::TempDir dir;
  brindle::net::ClientContext context;
  brindle::testing::FakeTransport transport;
  brindle::ports::SilentProgress progress;
  brindle::testing::AnsweringMessages messages;
  ScriptedShell shell;
  RecordingView view;
  MainWindowModel model{{context, transport, progress, messages, shell, view}};

  explicit Fixture(int login_mode = brindle::net::kLoginModeMember) {
    context.program_directory = dir.path();  // no settings file: the refresh periods' defaults
    context.current_server = "bet.example:47443";
    context.user_name = "demo_rmb";
    context.password = "pw";
    context.login_mode = login_mode;
    context.currency_code = 1;
    context.balance = 1234.5;
    context.frozen_amount = 10;
    context.latest_information = "latest";
  }
  void balance_reply() { transport.reply({"1|ok|0|10|1234.5|1|0"}); }
};

// --- Account panel ---

TEST(AccountPanel, NamesOfElevenCharactersOrMoreAreCutToEight) {
  const std::pair<const char*, const char*> cases[] = {
      {"abcdefghij", "abcdefghij"},         // 10: whole
      {"abcdefghijk", "abcdefgh..."},       // 11: cut
      {"abcdefghijklmnop", "abcdefgh..."},  //
      {"", ""},
      {"张三李四王五赵六钱七孙", "张三李四王五赵六..."},  // characters, never half a character
      {"张三李四王五赵六钱七", "张三李四王五赵六钱七"},
  };
  for (auto [name, shown] : cases) EXPECT_EQ(brindle::app::account_panel_name(name), shown) << name;
}

TEST(AccountPanel, ShowsBalanceAndFrozenAmountInTheCurrencyAndNothingForVisitors) {
  brindle::net::ClientContext context;
  context.user_name = "abcdefghijk";
  context.balance = 1234.567;
  context.frozen_amount = 0.5;
  context.currency_code = 3;
  EXPECT_EQ(brindle::app::account_panel_text(context),
            "abcdefgh...帐户彩金：1234.57港元\n冻结帐户彩金：0.50港元");
  context.login_mode = brindle::net::kLoginModeSecondary;
  EXPECT_FALSE(brindle::app::account_panel_text(context).empty());
  context.login_mode = brindle::net::kLoginModeVisitor;
  EXPECT_EQ(brindle::app::account_panel_text(context), "");
}

// --- Buttons and menus ---

TEST(MainWindowButtons, EveryBitmapButtonHasFourStateNamesAndUniqueNumbers) {
  std::map<int, int> seen;
  for (const auto& button : brindle::app::main_window_buttons()) {
    EXPECT_EQ(++seen[button.id], 1) << "control " << button.id << " twice";
    if (button.command == brindle::app::MainCommand::pop_up_menu) {
      EXPECT_NE(brindle::app::find_menu(button.menu), nullptr) << button.id;
    }
  }
  EXPECT_EQ(brindle::app::button_bitmap_name("bt_home", 3), "bt_home03.bmp");
  for (const auto& menu : brindle::app::main_window_menus()) {
    for (int command : menu.commands) EXPECT_NE(brindle::app::find_menu_command(command), nullptr) << command;
  }
}

TEST(MainWindowButtons, LoginModeGatesAccountRecordsServiceAndSuper) {
  for (int mode : {0, 2, 3}) {
    Fixture f(mode);
    f.model.open(false);
    const bool visitor = mode == 2;
    EXPECT_EQ(f.view.disabled[1005], visitor) << mode;
    EXPECT_EQ(f.view.disabled[3], visitor) << mode;
    EXPECT_EQ(f.view.disabled[1009], visitor) << mode;
    EXPECT_EQ(f.view.disabled[5], mode == 3) << mode;
    EXPECT_EQ(f.view.disabled.count(1013), 0u) << mode;
    EXPECT_EQ(f.view.account.empty(), visitor) << mode;

    // A disabled button that is clicked anyway does nothing.
    f.model.click(1005);
    f.model.click(5);
    EXPECT_EQ(f.view.dialogs.size(), mode == 0 ? 2u : 1u) << mode;
  }
}

TEST(MainWindowButtons, EachButtonReachesItsAction) {
  Fixture f;
  auto& games = f.context.other_games;
  games.lotto = "lotto.aspx";
  games.luzi = "http://luzi.example/";
  games.poker = "/opt/poker/client";
  games.keno = "keno.aspx";
  games.phone = "phone.aspx";
  games.promo = "promo.aspx";
  struct Case {
    int control;
    std::string opened;
  };
  const Case opens[] = {
      {1013, "http://bet.example:47443/"},
      {1003, "https://bet.example:47443/fc/login.aspx"},
      {6, "http://bet.example:47443/news/"},
      {1006, "http://bet.example:47443/news/"},
      {1381, "https://bet.example:47443/lotto.aspx"},
      {1359, "https://bet.example:47443/lotto.aspx"},
      {1363, "http://luzi.example/"},
      {1361, "/opt/poker/client"},
      {1360, "https://bet.example:47443/keno.aspx"},
      {1308, "https://bet.example:47443/phone.aspx"},
      {1371, "https://bet.example:47443/promo.aspx"},
  };
  for (const auto& c : opens) {
    f.shell.opened.clear();
    f.model.click(c.control);
    ASSERT_EQ(f.shell.opened.size(), 1u) << c.control;
    EXPECT_EQ(f.shell.opened[0], c.opened) << c.control;
  }

  const std::pair<int, MainWindowDialog> dialogs[] = {
      {1007, MainWindowDialog::registration}, {1005, MainWindowDialog::account_information},
      {5, MainWindowDialog::super_cash_out},  {1009, MainWindowDialog::customer_service},
      {3, MainWindowDialog::bet_list},        {4, MainWindowDialog::match_query},
      {1069, MainWindowDialog::settings},
  };
  for (auto [control, dialog] : dialogs) {
    f.view.dialogs.clear();
    f.model.click(control);
    ASSERT_EQ(f.view.dialogs.size(), 1u) << control;
    EXPECT_EQ(f.view.dialogs[0], dialog) << control;
  }

  for (auto [control, menu] : {std::pair{1008, 191}, std::pair{1368, 405}, std::pair{1370, 412}}) {
    f.view.menus.clear();
    f.model.click(control);
    EXPECT_EQ(f.view.menus, std::vector<int>{menu}) << control;
  }

  f.model.click(1067);
  f.model.click(1012);
  f.model.click(1250);
  const std::vector<std::pair<std::string, std::string>> windows = {
      {"声明", "http://bet.example:47443/doc/law.htm"},
      {"走地历史公告", "http://bet.example:47443/livebetmsg"},
      {"走地历史公告", "http://bet.example:47443/livebetmsg"},
  };
  EXPECT_EQ(f.view.page_windows, windows);

  for (auto [control, page] :
       {std::pair{1001, 1}, std::pair{1002, 5}, std::pair{1057, 4}, std::pair{1348, 6}, std::pair{1355, 7}}) {
    f.model.click(control);
    EXPECT_EQ(f.model.current_page(), page) << control;
  }

  f.shell.opened.clear();
  f.view.calls.clear();
  f.model.click(1367);  // the blank button
  EXPECT_TRUE(f.shell.opened.empty());
  EXPECT_TRUE(f.view.calls.empty());

  f.model.click(1249);
  EXPECT_EQ(f.view.pictures[1249], "show01.bmp");
  EXPECT_FALSE(f.view.notices_shown);
  f.model.click(1249);
  EXPECT_EQ(f.view.pictures[1249], "show00.bmp");
  EXPECT_TRUE(f.view.notices_shown);
}

TEST(MainWindowButtons, LongAddressesAreOpenedInFull) {
  Fixture f;
  f.context.current_server = std::string(90, 'h') + ".example";
  f.context.other_games.promo = "promotions/" + std::string(120, 'p') + ".html";
  f.model.click(1371);
  ASSERT_EQ(f.shell.opened.size(), 1u);
  EXPECT_EQ(f.shell.opened[0], "https://" + f.context.current_server + "/" + f.context.other_games.promo);
}

TEST(MainWindowButtons, PercentSignsInGameTextsAreTakenLiterally) {
  EXPECT_EQ(brindle::app::format_address("https://%s/%s", "h", "a%sb%d"), "https://h/a%sb%d");
  EXPECT_EQ(brindle::app::format_address("100%", "h"), "100%");
}

TEST(MainWindowMenus, CommandsReachTheirActions) {
  Fixture f;
  auto& games = f.context.other_games;
  games.casino1 = "/opt/casino/client";
  games.casino1_web = "http://casino.example/";
  games.casino2 = "casino2.aspx";
  games.texas = "texas.aspx";
  games.phone = "phone.aspx";

  f.model.menu_command(32771);
  f.model.menu_command(32772);
  ASSERT_EQ(f.view.page_windows.size(), 2u);
  EXPECT_EQ(f.view.page_windows[0],
            (std::pair<std::string, std::string>{"投注规则", "http://bet.example:47443/doc/rule.htm"}));
  EXPECT_EQ(f.view.page_windows[1],
            (std::pair<std::string, std::string>{"玩法问答", "http://bet.example:47443/doc/paq.htm"}));

  f.model.menu_command(32787);
  f.model.menu_command(32788);
  f.model.menu_command(1362);
  f.model.menu_command(32783);
  f.model.menu_command(32786);
  const std::vector<std::string> opened = {"http://casino.example/", "https://bet.example:47443/casino2.aspx",
                                           "https://bet.example:47443/texas.aspx",
                                           "https://bet.example:47443/phone.aspx",
                                           "https://bet.example:47443/phone.aspx"};
  EXPECT_EQ(f.shell.opened, opened);

  // A text that is a whole address already is not put after the server.
  f.shell.opened.clear();
  games.casino2 = "https://games.example/live2.html";
  f.model.menu_command(32788);
  EXPECT_EQ(f.shell.opened, std::vector<std::string>{games.casino2});

  f.model.menu_command(32775);
  f.model.menu_command(32782);
  EXPECT_EQ(f.view.dialogs, (std::vector{MainWindowDialog::customer_service, MainWindowDialog::bet_records}));
}

TEST(MainWindowMenus, CasinoClientStartsWhenInstalledAndFallsBackToTheWeb) {
  Fixture f;
  f.context.other_games.casino1 = "/opt/casino/client";
  f.context.other_games.casino1_web = "http://casino.example/";

  f.model.menu_command(32789);  // not installed
  EXPECT_EQ(f.shell.opened, std::vector<std::string>{"http://casino.example/"});
  EXPECT_TRUE(f.shell.started.empty());

  f.shell.existing = {"/opt/casino/client"};
  f.shell.opened.clear();
  f.model.menu_command(32789);
  EXPECT_EQ(f.shell.started, std::vector<std::string>{"/opt/casino/client"});
  EXPECT_TRUE(f.shell.opened.empty());
  EXPECT_TRUE(f.messages.shown.empty());

  f.shell.start_works = false;
  f.model.menu_command(32789);
  EXPECT_EQ(f.messages.shown, std::vector<std::string>{"创建失败!"});

  // Neither the program nor a web address: the user is told, and nothing opens.
  f.shell.existing.clear();
  f.shell.opened.clear();
  f.messages.shown.clear();
  f.context.other_games.casino1_web.clear();
  f.model.menu_command(32789);
  f.model.menu_command(32787);
  f.model.click(1363);
  EXPECT_TRUE(f.shell.opened.empty());
  EXPECT_EQ(f.messages.shown, std::vector<std::string>(3, "这一项没有设置地址，无法打开。"));
}

// --- Pages ---

TEST(MainWindowPages, OpeningShowsPageOneAndEachPageIsCreatedOnce) {
  Fixture f;
  f.model.open(false);
  EXPECT_EQ(f.model.current_page(), 1);
  EXPECT_EQ(f.view.created, std::vector<int>{1});
  EXPECT_EQ(f.view.running, "latest");

  f.model.switch_page(2);
  f.model.switch_page(1);
  f.model.switch_page(2);
  EXPECT_EQ(f.view.created, (std::vector<int>{1, 2}));
  EXPECT_EQ(f.view.shown, (std::vector<int>{1, 2, 1, 2}));

  f.model.switch_page(0);
  EXPECT_EQ(f.view.calls.back(), "home");
  f.model.switch_page(8);
  f.model.switch_page(-1);
  EXPECT_EQ(f.model.current_page(), 0) << "pages outside 0–7 are ignored";
}

TEST(MainWindowPages, SwitchingToThePageOnShowDoesNothing) {
  Fixture f;
  f.model.open(false);
  f.view.calls.clear();
  f.model.switch_page(1);
  f.model.handle(WindowMessage::go_to_page, 1, 0);
  EXPECT_TRUE(f.view.calls.empty());
  EXPECT_TRUE(f.transport.exchanges().empty());
}

TEST(MainWindowPages, PageThatCannotBeCreatedStaysBlankButTheSwitchHappens) {
  Fixture f;
  f.view.creation_works = false;
  f.model.switch_page(6);
  EXPECT_EQ(f.model.current_page(), 6);
  EXPECT_EQ(f.view.shown, std::vector<int>{6});
  f.model.switch_page(0);
  f.model.switch_page(6);
  EXPECT_EQ(f.view.created, std::vector<int>{6}) << "a failed creation is not retried on every switch";
}

TEST(MainWindowPages, InPlayPageFetchesTheSecondInformationOnlyWhileItIsEmpty) {
  Fixture f;
  f.transport.reply({"1|ok|second text"});
  f.model.switch_page(3);
  EXPECT_EQ(f.view.running, "second text");
  ASSERT_EQ(f.transport.exchanges().size(), 1u);
  EXPECT_NE(f.transport.exchanges()[0].body.find("txtSubjectID=1005"), std::string::npos);

  f.model.switch_page(1);
  f.view.running.clear();
  f.model.switch_page(3);
  EXPECT_EQ(f.view.running, "second text");
  EXPECT_EQ(f.transport.exchanges().size(), 1u);
}

// --- Timer ---

TEST(MainWindowTimer, InPlayCountdownRunsFromSixtyToOneAndRefreshesWhenItWouldShowSixtyAgain) {
  Fixture f;
  f.context.asia_refresh_period = 60;
  f.context.second_information = "second";
  f.model.switch_page(3);
  std::vector<std::string> shown;
  for (int i = 0; i < 59; ++i) {
    f.model.tick();
    shown.push_back(f.view.location[3]);
  }
  EXPECT_EQ(shown.front(), " 您现在的位置：走地盘 (剩余刷新时间：59 秒)");
  EXPECT_EQ(shown.back(), " 您现在的位置：走地盘 (剩余刷新时间：1 秒)");
  EXPECT_TRUE(f.view.page_messages.empty());
  EXPECT_TRUE(f.transport.exchanges().empty());

  f.balance_reply();
  f.transport.reply({"1|ok|second again"});
  f.model.tick();  // the 60th second
  EXPECT_EQ(f.view.location[3], " 您现在的位置：走地盘 (剩余刷新时间：60 秒)");
  EXPECT_EQ(f.view.page_messages, (std::vector<std::pair<int, int>>{{3, 0x504}}));
  EXPECT_EQ(f.model.refresh_counter(), 0u);
  EXPECT_EQ(f.view.running, "second again") << "the account refresh on page 3 renews the second information";

  f.model.tick();
  EXPECT_EQ(f.view.location[3], " 您现在的位置：走地盘 (剩余刷新时间：59 秒)");
  EXPECT_EQ(f.model.tick_counter(), 61u);
}

TEST(MainWindowTimer, RefreshQueriesTheAccountAndRebuildsThePanel) {
  Fixture f;
  f.context.asia_refresh_period = 60;
  f.model.switch_page(2);
  f.transport.reply({"1|ok|0|5|99.75|1|0"});
  for (int i = 0; i < 60; ++i) f.model.tick();
  ASSERT_EQ(f.transport.exchanges().size(), 1u);
  EXPECT_NE(f.transport.exchanges()[0].body.find("txtSubjectID=4012"), std::string::npos);
  EXPECT_EQ(f.view.account, "demo_rmb帐户彩金：99.75元\n冻结帐户彩金：5.00元");
  EXPECT_EQ(f.view.page_messages, (std::vector<std::pair<int, int>>{{2, 0x504}}));
}

TEST(MainWindowTimer, FailedAccountQueryShowsItsMessageAndKeepsTheFigures) {
  Fixture f;
  f.transport.reply({"0|busy"});
  f.model.click(1068);  // the refresh button acts at once
  EXPECT_EQ(f.messages.shown, std::vector<std::string>{"busy"});
  EXPECT_EQ(f.view.account, "demo_rmb帐户彩金：1234.50元\n冻结帐户彩金：10.00元");
}

TEST(MainWindowTimer, VisitorRefreshSendsNoAccountQuery) {
  Fixture f(brindle::net::kLoginModeVisitor);
  f.model.switch_page(1);
  f.model.refresh();
  EXPECT_TRUE(f.transport.exchanges().empty());
  EXPECT_EQ(f.view.account, "");
  EXPECT_EQ(f.view.page_messages, (std::vector<std::pair<int, int>>{{1, 0x504}}));
}

TEST(MainWindowTimer, EverySixHundredTicksTheLatestInformationOrTheWelcomeText) {
  Fixture f;
  f.context.asia_refresh_period = 7200;  // keep the account refresh out of the way
  f.model.switch_page(1);
  f.transport.reply({"1|ok|news of the day"});
  for (int i = 0; i < 599; ++i) f.model.tick();
  EXPECT_TRUE(f.transport.exchanges().empty());
  f.model.tick();
  ASSERT_EQ(f.transport.exchanges().size(), 1u);
  EXPECT_NE(f.transport.exchanges()[0].body.find("txtSubjectID=1001"), std::string::npos);
  EXPECT_EQ(f.view.running, "news of the day");

  f.transport.reply({"1|ok|null"});
  for (int i = 0; i < 600; ++i) f.model.tick();
  EXPECT_EQ(f.view.running, brindle::app::welcome_text("demo_rmb"));
  EXPECT_TRUE(f.view.running.starts_with("欢迎demo_rmb光临澜川国际体育 "));

  f.transport.fail("offline");
  for (int i = 0; i < 600; ++i) f.model.tick();
  EXPECT_EQ(f.view.running, brindle::app::welcome_text("demo_rmb")) << "a failed fetch keeps the line";
  EXPECT_TRUE(f.messages.shown.empty());
}

TEST(MainWindowTimer, HomePageRunsOnlyTheRefresh) {
  Fixture f;
  f.context.asia_refresh_period = 60;
  f.model.switch_page(0);
  f.balance_reply();
  for (int i = 0; i < 600; ++i) {
    if (i == 100) f.balance_reply();
    f.model.tick();
  }
  EXPECT_TRUE(f.view.page_messages.empty());
  EXPECT_TRUE(f.view.location.empty());
}

TEST(MainWindowTimer, TickWhileARequestIsInFlightWaitsForTheNextOne) {
  Fixture f;
  f.context.asia_refresh_period = 60;
  f.model.switch_page(3);
  {
    auto pass = brindle::net::RequestGate::try_enter();
    ASSERT_TRUE(pass);
    f.model.tick();
  }
  EXPECT_EQ(f.model.tick_counter(), 0u);
  EXPECT_TRUE(f.view.location.empty());
  f.model.tick();
  EXPECT_EQ(f.model.tick_counter(), 1u);
}

TEST(MainWindowTimer, RefreshPeriodBelowTheMinimumCountsAsTheMinimum) {
  EXPECT_EQ(brindle::app::in_play_countdown_text(0, 1), " 您现在的位置：走地盘 (剩余刷新时间：59 秒)");
  EXPECT_EQ(brindle::app::in_play_countdown_text(180, 1), " 您现在的位置：走地盘 (剩余刷新时间：179 秒)");
}

// --- Messages ---

TEST(MainWindowMessages, EachMessageDoesItsWork) {
  Fixture f;
  f.model.open(false);

  f.model.handle(WindowMessage::bank_client_notice, 0, 1);
  EXPECT_TRUE(f.messages.shown.empty());
  f.model.handle(WindowMessage::bank_client_notice, 0, 0);
  EXPECT_EQ(f.messages.shown, std::vector<std::string>{"请安装招行专业版客户端汇款！"});

  f.context.balance = 7;
  f.model.handle(WindowMessage::bet_placed);
  EXPECT_EQ(f.view.account, "demo_rmb帐户彩金：7.00元\n冻结帐户彩金：10.00元");
  f.context.balance = 8;
  f.model.handle(WindowMessage::rebuild_account_panel);
  EXPECT_EQ(f.view.account, "demo_rmb帐户彩金：8.00元\n冻结帐户彩金：10.00元");
  EXPECT_TRUE(f.transport.exchanges().empty()) << "rebuilding the panel sends nothing";

  f.model.handle(WindowMessage::go_to_page, 6, 0);
  EXPECT_EQ(f.model.current_page(), 6);
  f.model.handle(WindowMessage::go_home);
  EXPECT_EQ(f.model.current_page(), 0);

  f.model.handle(WindowMessage::private_rooms, 1, 0);
  EXPECT_EQ(f.model.cash_out_mode(), 1);
  EXPECT_EQ(f.view.bitmaps[5], "bt_cash");
  f.model.handle(WindowMessage::private_rooms, 0, 0);
  EXPECT_EQ(f.view.bitmaps[5], "bt_super");
  f.context.room_star_member = f.context.user_name;  // the star member in his own room
  f.model.handle(WindowMessage::private_rooms, 1, 0);
  EXPECT_EQ(f.view.bitmaps[5], "bt_super");
}

TEST(MainWindowMessages, PrivateRoomsGoToTheHallsOfPagesOneToFourForMembersOnly) {
  for (int mode : {0, 2, 3}) {
    Fixture f(mode);
    f.model.switch_page(2);
    f.model.handle(WindowMessage::private_rooms, 1, 1);
    if (mode == 2) {
      EXPECT_EQ(f.messages.shown, std::vector<std::string>{"您现在不能使用私人房间！"});
      EXPECT_TRUE(f.view.page_messages.empty());
    } else {
      EXPECT_TRUE(f.messages.shown.empty()) << mode;
      EXPECT_EQ(f.view.page_messages, (std::vector<std::pair<int, int>>{{2, 0x505}})) << mode;
    }
    f.view.page_messages.clear();
    f.model.switch_page(6);
    f.model.handle(WindowMessage::private_rooms, 1, 1);
    EXPECT_TRUE(f.view.page_messages.empty()) << "page 6 has no rooms";
  }
}

TEST(MainWindowMessages, PrivateRoomRequestFromTheLoginWindowReachesTheFirstHall) {
  Fixture f;
  f.model.open(true);
  EXPECT_EQ(f.view.page_messages, (std::vector<std::pair<int, int>>{{1, 0x505}}));
}

// --- Shutdown ---

TEST(MainWindowExit, AsksFirstExceptForAnUnfundedAccountDuringAPeakPeriod) {
  Fixture f;
  f.messages.answer = brindle::ports::MessagePort::cancel;
  f.model.click(2);
  EXPECT_FALSE(f.view.closed);
  EXPECT_EQ(f.messages.shown, std::vector<std::string>{"您确定要退出吗？\n"});

  f.messages.answer = brindle::ports::MessagePort::ok;
  f.model.click(2);
  EXPECT_TRUE(f.view.closed);

  Fixture peak;
  peak.context.currency_code = 0;
  peak.context.peak_period = 1;
  peak.model.click(2);
  EXPECT_TRUE(peak.view.closed);
  EXPECT_TRUE(peak.messages.shown.empty());

  Fixture funded_peak;  // a funded account is still asked during a peak period
  funded_peak.context.peak_period = 1;
  funded_peak.messages.answer = brindle::ports::MessagePort::cancel;
  funded_peak.model.click(2);
  EXPECT_FALSE(funded_peak.view.closed);
}

}  // namespace
