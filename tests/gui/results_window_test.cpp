// The results window against a scripted HTTPS server through the real transport (the opening query,
// the tabs and their kept replies, a refused range), and page 7 with its game buttons. With
// BRINDLE_SCREENSHOT_DIR set both are saved, drawn with the skin of BRINDLE_SKIN_ROOT when set.

#include "gui/matchinfo/results_window.h"

#include <gtest/gtest.h>

#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTableView>
#include <QTest>
#include <cstdlib>

#include "core/app/startup_flow.h"
#include "core/net/client_context.h"
#include "core/net/curl_transport.h"
#include "core/net/login_request.h"
#include "core/net/network_card_address.h"
#include "core/ports/message_port.h"
#include "core/ports/progress_sink.h"
#include "core/ports/shell_port.h"
#include "core/protocol/session.h"
#include "gui/app/main_window.h"
#include "gui/betting/hall_pages.h"
#include "gui/matchinfo/other_games_page.h"
#include "gui/ui/bitmap_button.h"
#include "gui/ui/list_table_model.h"
#include "support/recording_ports.h"
#include "support/screenshots.h"
#include "support/scripted_session.h"

namespace {

using namespace brindle;
using brindle::testing::RecordingMessages;
using brindle::testing::save_screenshot;
using brindle::testing::ScreenshotSkin;

std::filesystem::path skin_root() {
  const char* root = std::getenv("BRINDLE_SKIN_ROOT");
  return root == nullptr ? std::filesystem::path() : std::filesystem::path(root);
}

struct ResultsWindowFixture : brindle::testing::ScriptedSession {
  QString cell(int row, int column) const {
    return window.table_model()->index(row, column).data().toString();
  }

  ScreenshotSkin skin;
  brindle::testing::RecordingMessages messages;
  gui::ResultsWindow window{session, messages, nullptr, QDate(2026, 3, 2)};
};

TEST(ResultsWindow, TabsKeepTheirRepliesAndRangesAreCheckedFirst) {
  ResultsWindowFixture f;
  f.reply({"1|ok", "英格兰超级联赛|阿森纳|切尔西|2|1|46082.8125|6|1|0|",
           "意大利甲级联赛|国际米兰|AC米兰|-1|-1|46082.9|1|0|0|"});
  f.window.show();
  f.window.start();
  ASSERT_EQ(f.server.requests().size(), 1u);
  EXPECT_EQ(f.para(0), "20260301000001|20260302235959");
  EXPECT_EQ(f.window.start_edit()->date(), QDate(2026, 3, 1));
  ASSERT_EQ(f.window.table_model()->rowCount(), 2);
  EXPECT_EQ(f.cell(0, 2), QStringLiteral("阿森纳 vs 切尔西"));
  EXPECT_EQ(f.cell(0, 3), QStringLiteral("2 : 1"));
  EXPECT_EQ(f.cell(0, 4), QStringLiteral("受让一球/球半"));
  EXPECT_EQ(f.cell(1, 3), QStringLiteral("无效比赛"));
  EXPECT_EQ(f.window.table()->columnWidth(2), 180);
  save_screenshot(f.window, "results_window.png");

  f.reply({"1|ok", "德国甲级联赛|拜仁|多特蒙德|-1|-1|46090.5|1|0|0|"});
  f.window.tabs()->setCurrentIndex(1);
  ASSERT_EQ(f.server.requests().size(), 2u);
  EXPECT_EQ(f.para(1), "-1|-1");
  EXPECT_FALSE(f.window.start_edit()->isVisible());
  EXPECT_EQ(f.window.table_model()->columnCount(), 3);
  save_screenshot(f.window, "results_window_fixtures.png");

  // Back to the results: the kept reply, no request.
  f.window.tabs()->setCurrentIndex(0);
  EXPECT_EQ(f.server.requests().size(), 2u);
  EXPECT_EQ(f.window.table_model()->rowCount(), 2);
  EXPECT_TRUE(f.window.start_edit()->isVisible());

  // 1 March to 1 April is refused on every tab, the fixtures too, before anything is sent.
  f.window.end_edit()->setDate(QDate(2026, 4, 1));
  f.window.query_button()->click();
  f.window.tabs()->setCurrentIndex(1);
  f.window.query_button()->click();
  EXPECT_EQ(f.server.requests().size(), 2u);
  EXPECT_EQ(f.messages.texts, (std::vector<std::string>(2, "只能查询31天的记录！")));
  f.window.end_edit()->setDate(QDate(2026, 3, 31));
  f.reply({"1|ok"});
  f.window.tabs()->setCurrentIndex(2);
  ASSERT_EQ(f.server.requests().size(), 3u);
  EXPECT_EQ(f.para(2), "20260301000001|20260331235959");
}

struct ScriptedShell final : ports::ShellPort {
  void open_address(const std::string& address) override { opened.push_back(address); }
  bool file_exists(const std::string&) override { return false; }
  bool start_program(const std::string&) override { return false; }
  std::vector<std::string> opened;
};

TEST(OtherGamesPage, GameButtonsInTheirPlacesAndTheTexasFallbackStaysInThePage) {
  ScreenshotSkin skin;
  net::ClientContext context;
  context.current_server = "bet.example:8443";
  context.other_games.casino1_web = "http://casino.example/";
  ScriptedShell shell;
  RecordingMessages messages;
  std::vector<int> pages;
  int results = 0;
  const auto folder = skin_root().empty() ? std::filesystem::path() : skin_root() / "skin";
  gui::OtherGamesPage page({context,
                            shell,
                            messages,
                            folder,
                            [&pages](int p) { pages.push_back(p); },
                            {},
                            [&results] { ++results; },
                            [] { FAIL() << "the client must not end"; },
                            false});
  page.resize(1010, 565);
  page.open();
  page.show();
  EXPECT_EQ(page.browser_address(), QStringLiteral("https://bet.example:8443/OtherGames.asp"));
  EXPECT_EQ(page.game_button(7)->geometry(), QRect(28, 398, 129, 39));
  EXPECT_EQ(page.game_button(2)->text(), QStringLiteral("真人至尊厅  网页版"));
  if (!folder.empty()) {
    EXPECT_EQ(page.game_button(0)->size(), QSize(129, 39));
  }
  save_screenshot(page, "other_games_page.png");

  QTest::mouseClick(page.game_button(7), Qt::LeftButton);
  EXPECT_EQ(page.browser_address(), QStringLiteral("https://bet.example:8443/Texas.aspx"));
  QTest::mouseClick(page.game_button(0), Qt::LeftButton);
  EXPECT_EQ(shell.opened, std::vector<std::string>{"http://casino.example/"});
  page.findChild<QAbstractButton*>("research")->click();
  page.findChild<QAbstractButton*>("guanjun")->click();
  EXPECT_EQ(results, 1);
  EXPECT_EQ(pages, std::vector<int>{6});
  EXPECT_TRUE(messages.texts.empty());
}

}  // namespace

namespace {

// The results window and page 7 of the Main window against a running reference server:
// BRINDLE_SERVER names it ("127.0.0.1:PORT", seeded, with some results posted), BRINDLE_PROGRAM_DIR
// the folder that holds the skin.
TEST(Screenshots, ResultsWindowAndOtherGamesPageAgainstTheServer) {
  const QByteArray out = qgetenv("BRINDLE_SCREENSHOT_DIR");
  const QByteArray host = qgetenv("BRINDLE_SERVER");
  const QByteArray program = qgetenv("BRINDLE_PROGRAM_DIR");
  if (out.isEmpty() || host.isEmpty() || program.isEmpty()) GTEST_SKIP() << "no server to show";
  ScreenshotSkin skin;
  net::ClientContext context;
  context.program_directory = program.toStdString();
  context.current_server = host.toStdString();
  context.other_games.casino1_web = "https://" + context.current_server + "/casino";
  net::CurlTransport transport;
  ports::SilentProgress progress;
  net::LoginReply reply;
  std::string error;
  ASSERT_TRUE(net::login_request(context, transport, progress, "demo_rmb", "rmb12345",
                                 net::kLoginRequestModeMember, net::network_card_address(), reply, error))
      << error;
  RecordingMessages messages;
  protocol::Session session{transport, progress, context};
  {
    gui::ResultsWindow window(session, messages);
    window.show();
    window.start();
    EXPECT_TRUE(messages.texts.empty()) << messages.texts.front();
    save_screenshot(window, "results_window_server.png");
    window.tabs()->setCurrentIndex(1);
    save_screenshot(window, "results_window_server_fixtures.png");
  }
  ScriptedShell shell;
  gui::HallPages halls({context, transport, progress, messages, shell, app::skin_folder(context), false});
  auto hall_page = [&halls](int page, QWidget* parent) { return halls.make_page(page, parent); };
  gui::MainWindow window({context, transport, progress, messages, shell, hall_page, {}, {}});
  halls.set_owner(&window);
  halls.set_frame([&window](ports::WindowMessage m, int a, int b) { window.model().handle(m, a, b); });
  window.open(false);
  window.model().switch_page(7);
  window.show();
  QTest::qWait(200);
  save_screenshot(window, "main_window_other_games.png");
  EXPECT_TRUE(messages.texts.empty());
}

}  // namespace
