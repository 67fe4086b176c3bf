// The outright ticket window over the core ticket: tabs, the four columns of eleven, hidden and
// disabled choices, "确定" refused and passed, "玩法说明". With BRINDLE_SCREENSHOT_DIR set it saves
// a picture of a basketball event's ticket.

#include "gui/betting/outright_ticket_window.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include "../core/betting/hall_fixture.h"
#include "core/betting/outright_ticket.h"

namespace {

using namespace brindle;

struct NoWindow final : ports::OutrightTicketPort {
  bool run(const ports::OutrightTicketView&, ports::OutrightTicketHandler&) override { return false; }
  void open_page(const std::string& title, const std::string& address) override {
    pages.push_back(title + " " + address);
  }
  std::vector<std::string> pages;
};

struct OutrightWindowFixture : brindle::testing::HallFixture {
  OutrightWindowFixture() {
    event.match_number = 71;
    event.line_kind = 9;
    event.home_team = "华夏篮球联赛 本赛季总冠军";
    const char* teams[] = {"北京猛虎", "上海飞鲨", "广州雄狮", "深圳烈豹", "辽宁铁骑",
                           "浙江金牛", "山东巨人", "新疆天马", "福建海鹰", "江苏劲旅",
                           "四川熊猫", "天津先锋", "青岛海浪", "吉林雪狼"};
    for (int i = 0; i < 14; ++i) {
      entries.push_back({71, 2, 0, i + 1, 2.5 + i, 0, teams[i], 100 + i, i == 3 ? 1 : 0});
    }
    entries.push_back({71, 6, 0, 1, 1.4, 190, "总决赛总分199分或以下", 201, 0});
    entries.push_back({71, 6, 0, 2, 1.35, 185, "总决赛总分200至219分", 202, 0});
    entries.push_back({71, 7, 0, 1, 0.9, 0, "总决赛总分单数", 301, 0});
    entries.push_back({71, 7, 0, 2, 0.9, 0, "总决赛总分双数", 302, 0});
  }
  betting::OutrightTicket ticket() {
    return betting::OutrightTicket({session, messages, confirmation, frame, pages}, event, entries);
  }
  protocol::MatchRecord event;
  std::vector<protocol::OutrightEntry> entries;
  NoWindow pages;
};

TEST(OutrightTicketWindow, TabsColumnsAndChoiceStates) {
  OutrightWindowFixture f;
  auto ticket = f.ticket();
  gui::OutrightTicketWindow window(ticket.view(), ticket, 0);
  ASSERT_EQ(window.tabs()->count(), 3);
  EXPECT_EQ(window.tabs()->tabText(0), QStringLiteral("总冠军/指数"));
  EXPECT_EQ(window.tabs()->tabText(1), QStringLiteral("篮球大小分"));
  EXPECT_EQ(window.tabs()->tabText(2), QStringLiteral("篮球单双数"));
  EXPECT_EQ(window.findChild<QLabel*>("event")->text(), QStringLiteral("华夏篮球联赛 本赛季总冠军"));
  EXPECT_EQ(window.findChild<QLabel*>("currency")->text(), QStringLiteral("元整（不含小数）"));
  window.show();
  QTest::qWait(20);
  // The twelfth choice opens the second column.
  EXPECT_EQ(window.choice(0, 11)->y(), window.choice(0, 0)->y());
  EXPECT_GT(window.choice(0, 11)->x(), window.choice(0, 10)->x());
  EXPECT_GT(window.choice(0, 10)->y(), window.choice(0, 0)->y());
  EXPECT_EQ(window.choice(0, 0)->text(), QStringLiteral("北京猛虎 (3.500)"));
  EXPECT_FALSE(window.choice(0, 3)->isEnabled());
  EXPECT_TRUE(window.choice(0, 3)->isVisible());
  EXPECT_FALSE(window.choice(0, 14)->isVisible());
  EXPECT_EQ(window.choice(2, 1)->text(), QStringLiteral("总决赛总分双数 (1.900)"));
}

TEST(OutrightTicketWindow, OkRefusedThenPassedAndInstructions) {
  OutrightWindowFixture f;
  auto ticket = f.ticket();
  gui::OutrightTicketWindow window(ticket.view(), ticket, 0);
  window.show();
  auto* ok = window.findChild<QPushButton*>("ok");
  QTest::mouseClick(ok, Qt::LeftButton);
  EXPECT_EQ(f.messages.texts, (std::vector<std::string>{"请选择投注对象和赔率！"}));
  EXPECT_TRUE(window.isVisible());
  window.choice(0, 1)->click();
  QTest::keyClicks(window.stake_field(), "9x");
  EXPECT_EQ(window.stake_field()->text(), QStringLiteral("9"));
  QTest::mouseClick(ok, Qt::LeftButton);
  EXPECT_EQ(f.messages.texts.back(), "最小投注金额为10元！");
  QTest::keyClicks(window.stake_field(), "0");
  QTest::mouseClick(window.findChild<QPushButton*>("instructions"), Qt::LeftButton);
  EXPECT_EQ(f.pages.pages, (std::vector<std::string>{"玩法说明 http://srv.example:8443/instructions.asp"}));
  QTest::mouseClick(ok, Qt::LeftButton);
  EXPECT_EQ(window.result(), QDialog::Accepted);
  ASSERT_TRUE(ticket.chosen());
  EXPECT_EQ(ticket.chosen()->selection_number, 101);
}

TEST(Screenshots, OutrightTicket) {
  const QByteArray out = qgetenv("BRINDLE_SCREENSHOT_DIR");
  if (out.isEmpty()) GTEST_SKIP() << "BRINDLE_SCREENSHOT_DIR not set";
  OutrightWindowFixture f;
  auto ticket = f.ticket();
  gui::OutrightTicketWindow window(ticket.view(), ticket, 0);
  window.choice(0, 1)->setChecked(true);
  window.stake_field()->setText("100");
  window.show();
  QTest::qWait(50);
  EXPECT_TRUE(window.grab().save(QString::fromUtf8(out) + "/outright_ticket.png"));
  window.tabs()->setCurrentIndex(1);
  QTest::qWait(50);
  EXPECT_TRUE(window.grab().save(QString::fromUtf8(out) + "/outright_ticket_totals.png"));
}

}  // namespace
