// The Main window offscreen: it builds in each Login mode, and each button and menu command
// reaches its action through the Shell port or the window's openers.

#include "gui/app/main_window.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QScrollArea>
#include <QTest>
#include <cstdlib>
#include <map>
#include <vector>

#include "core/app/main_window_commands.h"
#include "core/net/client_context.h"
#include "core/net/transport.h"
#include "core/ports/message_port.h"
#include "core/ports/progress_sink.h"
#include "core/ports/shell_port.h"
#include "gui/ui/marquee.h"
#include "gui/ui/message_window.h"
#include "gui/ui/page_window.h"
#include "gui/ui/skinned_frame.h"
#include "gui_app.h"
#include "skin_fixture.h"
#include "support/recording_ports.h"
#include "support/temp_dir.h"

namespace {

using brindle::gui::MainWindow;
using brindle::ports::MainWindowDialog;
using brindle::testing::gui_app;

class Offline final : public brindle::net::Transport {
 public:
  brindle::Result<std::vector<std::string>> exchange(const brindle::net::HttpExchange&,
                                                     brindle::ports::ProgressSink&) override {
    return brindle::Result<std::vector<std::string>>::failure("offline");
  }
};

class RecordingShell final : public brindle::ports::ShellPort {
 public:
  std::vector<std::string> opened;
  void open_address(const std::string& address) override { opened.push_back(address); }
  bool file_exists(const std::string&) override { return false; }
  bool start_program(const std::string&) override { return false; }
};

// Screenshots go to $BRINDLE_SCREENSHOT_DIR when it is set, drawn with the skin of the Program
// directory $BRINDLE_SKIN_ROOT (the build's generated one) when that is set.
std::filesystem::path environment_path(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::filesystem::path() : std::filesystem::path(value);
}

struct MainWindowFixture {
  brindle::testing::TempDir dir;
  brindle::net::ClientContext context;
  Offline transport;
  brindle::ports::SilentProgress progress;
  brindle::testing::AnsweringMessages messages;
  RecordingShell shell;
  std::vector<MainWindowDialog> dialogs;
  std::vector<std::pair<QString, QString>> pages;
  std::unique_ptr<MainWindow> window;

  explicit MainWindowFixture(int login_mode) {
    gui_app();
    const auto skin_root = environment_path("BRINDLE_SKIN_ROOT");
    context.program_directory = skin_root.empty() ? dir.path() : skin_root;
    if (skin_root.empty()) {
      std::filesystem::create_directories(dir / "skin" / "900");
      brindle::testing::write_dialog_theme(dir / "skin" / "900");
      brindle::testing::write_bitmap(dir / "skin" / "900" / "bt_home00.bmp", 60, 30, Qt::blue);
    }
    context.skin_size_mode = 2;
    context.login_mode = login_mode;
    context.current_server = "127.0.0.1:47443";
    context.user_name = "demo_rmb";
    context.currency_code = 1;
    context.balance = 8888.5;
    context.latest_information = "今日焦点：英超第12轮";
    window = std::make_unique<MainWindow>(MainWindow::Services{
        context,
        transport,
        progress,
        messages,
        shell,
        {},
        [this](MainWindowDialog dialog) { dialogs.push_back(dialog); },
        [this](const QString& title, const QString& address) { pages.emplace_back(title, address); }});
    window->open(false);
  }
};

TEST(MainWindowSmoke, BuildsInEachLoginMode) {
  for (int mode : {0, 2, 3}) {
    MainWindowFixture f(mode);
    for (const auto& entry : brindle::app::main_window_buttons()) {
      ASSERT_NE(f.window->button(entry.id), nullptr) << "control " << entry.id;
    }
    const bool visitor = mode == 2;
    EXPECT_EQ(f.window->button(1005)->isEnabled(), !visitor) << mode;
    EXPECT_EQ(f.window->button(3)->isEnabled(), !visitor) << mode;
    EXPECT_EQ(f.window->button(1009)->isEnabled(), !visitor) << mode;
    EXPECT_EQ(f.window->button(5)->isEnabled(), mode != 3) << mode;
    EXPECT_EQ(f.window->accountPanel()->text().isEmpty(), visitor) << mode;
    EXPECT_EQ(f.window->runningLine()->text(), QStringLiteral("今日焦点：英超第12轮"));
    ASSERT_NE(f.window->page(1), nullptr);
    EXPECT_FALSE(f.window->page(1)->isHidden());
    EXPECT_EQ(f.window->page(1)->findChild<QLabel*>("locationText")->text(),
              QStringLiteral(" 您现在的位置：亚洲让球盘"));
    EXPECT_TRUE(f.window->timer().isActive());
    EXPECT_TRUE(f.window->windowFlags() & Qt::FramelessWindowHint);
  }
}

// The window never outgrows its screen: on a small one the body scrolls inside it.
TEST(MainWindowSmoke, FitsTheScreenItOpensOn) {
  MainWindowFixture f(0);
  const QSize screen = f.window->screen()->availableGeometry().size();
  EXPECT_LE(f.window->width(), screen.width());
  EXPECT_LE(f.window->height(), screen.height());
  auto* scroll = f.window->findChild<QScrollArea*>("mainScroll");
  EXPECT_EQ(scroll != nullptr, screen.width() < 1235 || screen.height() < 781)
      << screen.width() << "x" << screen.height();
  if (scroll != nullptr) {
    EXPECT_EQ(scroll->widget()->size(), QSize(1225, 744));
    EXPECT_NE(f.window->button(1005), nullptr);
  }
}

TEST(MainWindowSmoke, EachButtonReachesItsAction) {
  MainWindowFixture f(0);
  f.context.other_games.keno = "keno.aspx";
  const std::map<int, std::string> opens = {
      {1013, "http://127.0.0.1:47443/"},           {1003, "https://127.0.0.1:47443/fc/login.aspx"},
      {6, "http://127.0.0.1:47443/news/"},         {1006, "http://127.0.0.1:47443/news/"},
      {1360, "https://127.0.0.1:47443/keno.aspx"},
  };
  for (const auto& [control, address] : opens) {
    f.shell.opened.clear();
    f.window->button(control)->click();
    EXPECT_EQ(f.shell.opened, std::vector<std::string>{address}) << control;
  }

  for (int control : {1007, 1005, 5, 1009, 3, 4, 1069}) f.window->button(control)->click();
  EXPECT_EQ(f.dialogs, (std::vector{MainWindowDialog::registration, MainWindowDialog::account_information,
                                    MainWindowDialog::super_cash_out, MainWindowDialog::customer_service,
                                    MainWindowDialog::bet_list, MainWindowDialog::match_query,
                                    MainWindowDialog::settings}));

  f.window->button(1067)->click();
  ASSERT_EQ(f.pages.size(), 1u);
  EXPECT_EQ(f.pages[0].first, QStringLiteral("声明"));
  EXPECT_EQ(f.pages[0].second, QStringLiteral("http://127.0.0.1:47443/doc/law.htm"));

  for (auto [control, page] :
       {std::pair{1057, 4}, std::pair{1002, 5}, std::pair{1348, 6}, std::pair{1355, 7}, std::pair{1001, 1}}) {
    f.window->button(control)->click();
    ASSERT_NE(f.window->page(page), nullptr) << control;
    EXPECT_FALSE(f.window->page(page)->isHidden()) << control;
    for (int other = 1; other < brindle::app::kPageCount; ++other) {
      if (other != page && f.window->page(other)) {
        EXPECT_TRUE(f.window->page(other)->isHidden()) << other;
      }
    }
  }

  f.window->button(1008)->click();
  QMenu* rules = f.window->menu(191);
  ASSERT_NE(rules, nullptr);
  ASSERT_EQ(rules->actions().size(), 2);
  EXPECT_EQ(rules->actions()[0]->text(), QStringLiteral("投注规则"));
  rules->actions()[1]->trigger();
  rules->hide();
  ASSERT_EQ(f.pages.size(), 2u);
  EXPECT_EQ(f.pages[1].second, QStringLiteral("http://127.0.0.1:47443/doc/paq.htm"));

  ASSERT_EQ(f.window->menu(405)->actions().size(), 3);
  ASSERT_EQ(f.window->menu(412)->actions().size(), 1);
  EXPECT_EQ(f.window->menu(412)->actions()[0]->text(), QStringLiteral("德州扑克"));
}

TEST(MainWindowSmoke, ExitAsksAndTheCloseBoxAsksToo) {
  MainWindowFixture f(0);
  f.window->show();
  f.messages.answer = brindle::ports::MessagePort::cancel;
  f.window->button(2)->click();
  EXPECT_TRUE(f.window->isVisible());
  QTest::keyClick(f.window.get(), Qt::Key_Escape);  // Escape is the dialog's reject
  EXPECT_TRUE(f.window->isVisible());
  EXPECT_EQ(f.messages.shown.size(), 2u);
  f.messages.answer = brindle::ports::MessagePort::ok;
  f.window->button(2)->click();
  EXPECT_FALSE(f.window->isVisible());
  EXPECT_FALSE(f.window->timer().isActive());
}

TEST(MainWindowSmoke, TimerTickShowsTheInPlayCountdown) {
  MainWindowFixture f(0);
  f.window->button(1001)->click();
  f.window->model().switch_page(3);
  f.window->timer().stop();
  f.window->model().tick();
  EXPECT_EQ(f.window->page(3)->findChild<QLabel*>("locationText")->text(),
            QStringLiteral(" 您现在的位置：走地盘 (剩余刷新时间：179 秒)"));
}

TEST(MainWindowSmoke, Screenshots) {
  const auto folder = environment_path("BRINDLE_SCREENSHOT_DIR");
  if (folder.empty()) GTEST_SKIP() << "BRINDLE_SCREENSHOT_DIR not set";
  MainWindowFixture f(0);
  f.window->model().switch_page(0);
  f.window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(f.window.get()));
  QTest::qWait(1500);  // let the running line move in
  auto save_screen = [&](const QString& name) {
    QScreen* screen = f.window->screen();
    screen->grabWindow(0).save(QString::fromStdString((folder / name.toStdString()).string()));
  };
  f.window->grab().save(QString::fromStdString((folder / "main-window-home.png").string()));
  save_screen("main-window-home-screen.png");
  f.window->model().switch_page(1);
  QTest::qWait(200);
  f.window->grab().save(QString::fromStdString((folder / "main-window-page1.png").string()));

  brindle::gui::SkinnedFrame::set_dialog_theme(f.context.program_directory / "SkinSM" / "theme.ini");
  brindle::gui::MessageWindow message("您确定要退出吗？\n", true, f.window.get());
  message.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&message));
  QTest::qWait(300);
  message.grab().save(QString::fromStdString((folder / "message-window.png").string()));
  save_screen("message-window-screen.png");

  // $BRINDLE_PAGE_ADDRESS: a served page in the Page window as well.
  if (const char* address = std::getenv("BRINDLE_PAGE_ADDRESS")) {
    brindle::gui::PageWindow page(QStringLiteral("投注规则"), QString::fromUtf8(address), f.window.get());
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    QTest::qWait(4000);
    save_screen("page-window-screen.png");
  }
  brindle::gui::SkinnedFrame::set_dialog_theme({});
}

}  // namespace
