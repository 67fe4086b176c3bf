// The hall pages offscreen: the tree model under QAbstractItemModelTester, expansion kept in step
// with the hall, cell images from the skin, the keyboard reaching the bet cells, the stake window's
// field and sizes. With BRINDLE_SCREENSHOT_DIR set it also saves pictures of the hall and the
// stake window (BRINDLE_SKIN_DIR names the skin to draw them with).

#include "gui/betting/hall_page.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <memory>

#include "../core/betting/hall_fixture.h"
#include "core/app/startup_flow.h"
#include "core/betting/asian_handicap_hall.h"
#include "core/betting/over_under_hall.h"
#include "core/net/curl_transport.h"
#include "core/net/login_request.h"
#include "core/net/network_card_address.h"
#include "gui/app/main_window.h"
#include "gui/betting/hall_cell_delegate.h"
#include "gui/betting/hall_item_model.h"
#include "gui/betting/hall_pages.h"
#include "gui/betting/stake_window.h"
#include "support/temp_dir.h"

namespace {

using namespace brindle;
using brindle::testing::kFirstDay;
using brindle::testing::kSecondDay;
using brindle::testing::match_line;
using brindle::testing::odds_line;
using AH = betting::AsianHandicapHall::Column;

std::filesystem::path skin_folder(const std::filesystem::path& fallback) {
  const QByteArray dir = qgetenv("BRINDLE_SKIN_DIR");
  return dir.isEmpty() ? fallback : std::filesystem::path(dir.toStdString());
}

std::vector<std::string> demo_reply() {
  return {"1|ok|0",
          match_line(1, "英格兰超级联赛", kFirstDay, "曼彻斯特联", "利物浦"),
          odds_line(1, 0, 11, 3, "0.95"),
          odds_line(1, 0, 12, -3, "0.95"),
          match_line(2, "西班牙甲级联赛", kFirstDay, "皇家马德里", "巴塞罗那", 1),
          odds_line(2, 0, 21, -1005, "0.955"),
          odds_line(2, 0, 22, 1005, "0.945"),
          match_line(3, "英格兰超级联赛", kSecondDay, "阿森纳", "切尔西"),
          odds_line(3, 0, 31, 2, "0.88"),
          odds_line(3, 0, 32, -2, "1.02"),
          match_line(4, "英格兰超级联赛", kSecondDay, "热刺", "纽卡斯尔", 0, 1),
          odds_line(4, 0, 41, 1, "0.90"),
          odds_line(4, 0, 42, -1, "1.00")};
}

struct HallPageFixture : brindle::testing::HallFixture {
  HallPageFixture() {
    // A strip of three magenta-backed cells, so that the images and their transparency are checked.
    QImage strip(54 * 3, 17, QImage::Format_RGB32);
    strip.fill(QColor(255, 0, 255));
    for (int x = 3; x < 50; ++x) strip.setPixelColor(x, 8, Qt::red);
    strip.save(QString::fromStdString((dir.path() / "beton.bmp").string()), "BMP");
    reply(demo_reply());
    balance_reply();
    auto hall = std::make_unique<betting::AsianHandicapHall>(services());
    asian = hall.get();
    page = std::make_unique<gui::HallPage>(std::move(hall),
                                           gui::HallPage::Options{skin_folder(dir.path()), 2, false});
    page->resize(1225, 602);
    page->open();
  }
  QModelIndex line_index(int group, int row, int column) const {
    auto* m = page->model();
    return m->index(row, column, m->index(group, 0));
  }

  brindle::testing::TempDir dir;
  betting::AsianHandicapHall* asian = nullptr;
  std::unique_ptr<gui::HallPage> page;
};

TEST(HallItemModel, PassesTheModelTesterThroughRefreshesThatGrowAndShrink) {
  HallPageFixture f;
  QAbstractItemModelTester tester(f.page->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
  EXPECT_EQ(f.page->model()->rowCount(), 3);
  EXPECT_EQ(f.page->model()->columnCount(), 11);
  f.reply({"1|ok|0", match_line(9, "意甲", kFirstDay, "米兰", "国米"), odds_line(9, 0, 91, 3, "0.95"),
           odds_line(9, 0, 92, -3, "0.95")});
  f.balance_reply();
  f.page->hall().refresh();
  EXPECT_EQ(f.page->model()->rowCount(), 1);
  f.reply(demo_reply());
  f.balance_reply();
  f.page->hall().timed_refresh();
  EXPECT_EQ(f.page->model()->rowCount(), 3);
}

TEST(HallItemModel, GroupAndLineRowsTheirTextsAndRoles) {
  HallPageFixture f;
  auto* m = f.page->model();
  EXPECT_EQ(m->index(0, 0).data().toString(), QStringLiteral("2024-03-01    英格兰超级联赛"));
  EXPECT_EQ(m->headerData(AH::kBetGiving, Qt::Horizontal).toString(), QStringLiteral("投上盘"));
  EXPECT_EQ(f.line_index(1, 0, AH::kOtherTeam).data().toString(), QStringLiteral("皇家马德里(中)"));
  EXPECT_EQ(f.line_index(1, 0, AH::kOtherOdds).data().toString(), QStringLiteral("1.955"));
  EXPECT_TRUE(f.line_index(1, 0, AH::kBetOther).data(gui::HallItemModel::kActionCellRole).toBool());
  EXPECT_FALSE(f.line_index(1, 0, AH::kOtherOdds).data(gui::HallItemModel::kActionCellRole).toBool());
  EXPECT_EQ(f.line_index(2, 1, AH::kTime).data().toString(), QStringLiteral("12:00(走地)"));
  EXPECT_EQ(m->line_of(f.line_index(2, 1, AH::kTime)), 3u);
  EXPECT_EQ(f.page->list()->columnWidth(AH::kGivingTeam), 170);  // Skin size mode 2
}

TEST(HallPage, AChosenOddsFormatReachesTitlesCellsAndLocationWithTheRefresh) {
  HallPageFixture f;
  auto* m = f.page->model();
  EXPECT_EQ(m->headerData(AH::kGivingOdds, Qt::Horizontal).toString(), QStringLiteral("赔率"));
  f.context.odds_format = net::OddsFormat::kHongKong;
  f.reply(demo_reply());
  f.balance_reply();
  f.page->hall().refresh();
  EXPECT_EQ(m->headerData(AH::kGivingOdds, Qt::Horizontal).toString(), QStringLiteral("香港盘"));
  EXPECT_EQ(f.page->list()->model()->headerData(AH::kOtherOdds, Qt::Horizontal).toString(),
            QStringLiteral("香港盘"));
  EXPECT_EQ(f.line_index(1, 0, AH::kOtherOdds).data().toString(), QStringLiteral("0.955"));
  EXPECT_TRUE(f.page->location()->text().endsWith(QStringLiteral("（香港盘赔率）")));
}

TEST(HallPage, ExpansionFollowsTheUserAcrossARefresh) {
  HallPageFixture f;
  auto* list = f.page->list();
  auto* m = f.page->model();
  for (int g = 0; g < 3; ++g) EXPECT_TRUE(list->isExpanded(m->index(g, 0))) << g;
  list->collapse(m->index(1, 0));
  EXPECT_FALSE(f.page->hall().list().groups()[1].expanded);
  f.reply(demo_reply());
  f.balance_reply();
  f.page->hall().refresh();
  EXPECT_TRUE(list->isExpanded(m->index(0, 0)));
  EXPECT_FALSE(list->isExpanded(m->index(1, 0)));
  EXPECT_TRUE(list->isExpanded(m->index(2, 0)));
}

TEST(HallPage, EmptyListShowsTheHallsEmptyText) {
  HallPageFixture f;
  f.reply({"1|ok|0"});
  f.balance_reply();
  f.page->hall().refresh();
  EXPECT_FALSE(f.page->empty_label()->isHidden());
  EXPECT_EQ(f.page->empty_label()->text(), QStringLiteral("此时没有盘口提供"));
}

TEST(HallPage, ArrowsReachTheBetCellAndEnterOpensTheTicket) {
  HallPageFixture f;
  f.page->show();
  auto* list = f.page->list();
  list->setFocus();
  list->setCurrentIndex(f.line_index(0, 0, AH::kGivingOdds));
  QTest::keyClick(list, Qt::Key_Right);
  EXPECT_EQ(list->currentIndex().column(), AH::kBetGiving);
  // Down and back up stay in the bet column, across the group boundary too.
  QTest::keyClick(list, Qt::Key_Down);
  QTest::keyClick(list, Qt::Key_Down);
  EXPECT_EQ(f.page->model()->line_of(list->currentIndex()), 1u);
  EXPECT_EQ(list->currentIndex().column(), AH::kBetGiving);
  QTest::keyClick(list, Qt::Key_Up);
  QTest::keyClick(list, Qt::Key_Up);
  EXPECT_EQ(f.page->model()->line_of(list->currentIndex()), 0u);
  f.reply({"1|ok|0"});  // the account is not frozen
  QTest::keyClick(list, Qt::Key_Return);
  ASSERT_EQ(f.stake_window.shown.size(), 1u);
  EXPECT_EQ(f.stake_window.shown[0].choice, "曼彻斯特联(主)");
  // Enter on a plain text cell does nothing.
  QTest::keyClick(list, Qt::Key_Left);
  QTest::keyClick(list, Qt::Key_Return);
  EXPECT_EQ(f.stake_window.shown.size(), 1u);
}

TEST(HallPage, TimedRefreshAndRoomSwitchArriveAsMainWindowMessages) {
  HallPageFixture f;
  f.reply(demo_reply());
  f.balance_reply();
  const auto before = f.transport.exchanges().size();
  f.page->main_window_message(static_cast<int>(ports::WindowMessage::refresh_account), 0, 0);
  EXPECT_EQ(f.transport.exchanges().size(), before + 2);
  f.context.room_number = 8;
  f.page->main_window_message(static_cast<int>(ports::WindowMessage::private_rooms), 1, 0);
  EXPECT_TRUE(f.page->location()->text().startsWith(QStringLiteral(" 您现在的位置：亚洲让球盘私人房间 — ")));
}

TEST(HallCellImages, MagentaBecomesTransparentAndTheStripIsCut) {
  brindle::testing::TempDir dir;
  QImage strip(54 * 3, 17, QImage::Format_RGB32);
  strip.fill(QColor(255, 0, 255));
  strip.setPixelColor(60, 5, Qt::blue);
  strip.save(QString::fromStdString((dir.path() / "beton.bmp").string()), "BMP");
  const auto cells = gui::load_cell_images(dir.path() / "beton.bmp", 54, 17);
  ASSERT_EQ(cells.size(), 3u);
  const QImage second = cells[1].toImage();
  EXPECT_EQ(second.pixelColor(0, 0).alpha(), 0);
  EXPECT_EQ(second.pixelColor(6, 5), QColor(Qt::blue));
  EXPECT_TRUE(gui::load_cell_images(dir.path() / "missing.bmp", 54, 17).empty());
}

TEST(StakeWindow, DigitsOnlyKeptStakeAndSizesBySkinMode) {
  gui::StakeWindow small(0);
  EXPECT_EQ(small.size(), QSize(429, 342));
  EXPECT_EQ(small.windowTitle(), QStringLiteral("投注"));
  gui::StakeWindow large(2);
  EXPECT_EQ(large.size(), QSize(800, 580));
  EXPECT_EQ(large.stake_field()->font().family(), QStringLiteral("Arial"));
  EXPECT_TRUE(large.stake_field()->font().italic());

  small.show_content({"甲 对 乙 的让球为 半球。", "甲(主)", "1.950", "解释", "元整（不含小数）"}, "500");
  EXPECT_EQ(small.typed(), QStringLiteral("500"));
  EXPECT_EQ(small.findChild<QLabel*>("currency")->text(), QStringLiteral("元整（不含小数）"));
  small.stake_field()->clear();
  QTest::keyClicks(small.stake_field(), "12a-3.5");
  EXPECT_EQ(small.typed(), QStringLiteral("1235"));
}

// "提交" with a refused stake leaves the same window open with the entry kept, as the ticket's time
// limit needs; the next "提交" that the check takes closes it.
TEST(StakeWindow, ARefusedSubmitKeepsTheWindowOpen) {
  gui::StakeWindowPortImpl port(0, nullptr);
  std::vector<std::string> submitted;
  bool still_open_after_refusal = false;
  QTimer::singleShot(0, [&] {
    auto* window = qobject_cast<gui::StakeWindow*>(QApplication::activeModalWidget());
    ASSERT_NE(window, nullptr);
    window->stake_field()->setText("0");
    QTest::mouseClick(window->findChild<QPushButton*>("submit"), Qt::LeftButton);
    still_open_after_refusal = window->isVisible() && window->typed() == QStringLiteral("0");
    window->stake_field()->setText("25");
    QTest::mouseClick(window->findChild<QPushButton*>("submit"), Qt::LeftButton);
  });
  const auto stake =
      port.ask_stake({"甲 vs 乙", "甲", "1.950", "", "元整（不含小数）"}, "", [&](const std::string& typed) {
        submitted.push_back(typed);
        return typed != "0";
      });
  EXPECT_TRUE(still_open_after_refusal);
  EXPECT_EQ(submitted, (std::vector<std::string>{"0", "25"}));
  EXPECT_EQ(stake, std::optional<std::string>("25"));
}

TEST(Screenshots, HallAndStakeWindow) {
  const QByteArray out = qgetenv("BRINDLE_SCREENSHOT_DIR");
  if (out.isEmpty()) GTEST_SKIP() << "BRINDLE_SCREENSHOT_DIR not set";
  HallPageFixture f;
  // A second refresh with moved prices, so that the up and down marks show.
  auto moved = demo_reply();
  moved[2] = odds_line(1, 0, 11, 3, "1.00");
  moved[3] = odds_line(1, 0, 12, -3, "0.90");
  f.reply(moved);
  f.balance_reply();
  f.page->hall().refresh();
  f.page->show();
  f.page->list()->setCurrentIndex(f.line_index(0, 0, AH::kBetGiving));
  QTest::qWait(50);
  EXPECT_TRUE(f.page->grab().save(QString::fromUtf8(out) + "/asian_handicap_hall.png"));

  gui::StakeWindow window(0);
  const auto ticket =
      betting::asian_handicap_bet(f.asian->ticket_line(0), notation::HandicapSide::kGiving, 1);
  window.show_content(ticket.window, "500");
  window.show();
  QTest::qWait(50);
  EXPECT_TRUE(window.grab().save(QString::fromUtf8(out) + "/stake_window.png"));
}

}  // namespace

namespace {

// The Main window with its hall pages against a running reference server: BRINDLE_SERVER names it
// ("127.0.0.1:PORT", seeded), BRINDLE_PROGRAM_DIR the folder that holds the skin.
TEST(Screenshots, MainWindowWithTheAsianHandicapHallAgainstTheServer) {
  const QByteArray out = qgetenv("BRINDLE_SCREENSHOT_DIR");
  const QByteArray host = qgetenv("BRINDLE_SERVER");
  const QByteArray program = qgetenv("BRINDLE_PROGRAM_DIR");
  if (out.isEmpty() || host.isEmpty() || program.isEmpty()) GTEST_SKIP() << "no server to show";
  net::ClientContext context;
  context.program_directory = program.toStdString();
  context.current_server = host.toStdString();
  context.skin_size_mode = 2;
  net::CurlTransport transport;
  ports::SilentProgress progress;
  net::LoginReply reply;
  std::string error;
  ASSERT_TRUE(net::login_request(context, transport, progress, "demo_rmb", "rmb12345",
                                 net::kLoginRequestModeMember, net::network_card_address(), reply, error))
      << error;
  brindle::testing::RecordingMessages messages;
  brindle::testing::RecordingShell shell;
  gui::HallPages halls({context, transport, progress, messages, shell, app::skin_folder(context), false});
  auto hall_page = [&halls](int page, QWidget* parent) { return halls.make_page(page, parent); };
  gui::MainWindow window({context, transport, progress, messages, shell, hall_page, {}, {}});
  halls.set_owner(&window);
  halls.set_frame([&window](ports::WindowMessage m, int a, int b) { window.model().handle(m, a, b); });
  window.open(false);
  window.show();
  QTest::qWait(200);
  EXPECT_TRUE(messages.texts.empty()) << messages.texts.front();
  EXPECT_TRUE(window.grab().save(QString::fromUtf8(out) + "/main_window_hall.png"));
}

}  // namespace
