// The "对战开盘" window over the core page: pages made on first show, leagues and matches, offers
// in the option boxes, the 1X2 conflict rule through the check boxes, and "现在开盘". With
// BRINDLE_SCREENSHOT_DIR set it saves pictures of the 1X2 and correct-score tabs.

#include "gui/betting/open_market_window.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include "../core/betting/hall_fixture.h"

namespace {

using namespace brindle;

struct Confirmations final : ports::ConfirmationPort {
  bool confirm(const ports::ConfirmationRequest& request) override {
    shown.push_back(request);
    return true;
  }
  std::vector<ports::ConfirmationRequest> shown;
};

struct OpenMarketWindowFixture : brindle::testing::HallFixture {
  void matches() {
    reply({"1|ok", "500|英超联赛|45352.75|45352.75|阿森纳|切尔西|0",
           "501|英超|45352.75|45352.75|利物浦|埃弗顿|0", "502|西甲|45353.5|45353.5|皇家马德里|巴塞罗那|0",
           "503|英超联赛|45353.5|45353.5|曼联|曼城|0"});
  }
  betting::OpenMarketServices services() { return {session, messages, confirmations}; }
  Confirmations confirmations;
};

void select_row(gui::OpenMarketPageWidget* page, int row) {
  page->matches()->setCurrentItem(page->matches()->topLevelItem(row));
}

TEST(OpenMarketWindow, PagesAreMadeOnFirstShowAndListTheirLeagues) {
  OpenMarketWindowFixture f;
  f.matches();
  gui::OpenMarketWindow window(f.services(), 0);
  EXPECT_EQ(window.windowTitle(), QStringLiteral("对战开盘"));
  ASSERT_EQ(window.tabs()->count(), 5);
  EXPECT_EQ(window.tabs()->tabText(3), QStringLiteral("篮球大小分"));
  auto* page = window.page(0);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(window.page(2), nullptr);
  EXPECT_EQ(page->leagues()->count(), 2);
  EXPECT_EQ(page->matches()->topLevelItemCount(), 2);
  EXPECT_EQ(page->matches()->topLevelItem(1)->text(3), QStringLiteral("曼联 vs 曼城"));
  EXPECT_EQ(page->banner()->text(), QStringLiteral("请先点击比赛、然后进行开盘！"));
  EXPECT_FALSE(page->stake()->isEnabled());

  f.reply({"1|ok", "11|1|0.5", "13|3|0.25", "14|4|3"});
  select_row(page, 0);
  EXPECT_EQ(page->banner()->text(), QStringLiteral("选择比赛：阿森纳 vs 切尔西"));
  EXPECT_TRUE(page->stake()->isEnabled());
  EXPECT_FALSE(page->option(1)->isVisibleTo(page));
  EXPECT_EQ(page->option(0)->text(), QStringLiteral("主队(左选项)胜"));
  EXPECT_EQ(page->odds(0)->text(), QStringLiteral("1.5"));
  EXPECT_FALSE(page->odds(0)->isEnabled());

  page->option(0)->click();
  EXPECT_TRUE(page->odds(0)->isEnabled());
  page->option(2)->click();  // 胜或平 unchecks 胜
  EXPECT_FALSE(page->option(0)->isChecked());
  EXPECT_FALSE(page->odds(0)->isEnabled());
  page->option(3)->click();
  EXPECT_TRUE(page->option(2)->isChecked());

  f.reply({"1|ok", "31|1|6"});
  window.tabs()->setCurrentIndex(2);
  ASSERT_NE(window.page(2), nullptr);
  EXPECT_EQ(f.paras()[f.paras().size() - 1], "2");
}

TEST(OpenMarketWindow, OpenNowRefusesThenSendsAndResets) {
  OpenMarketWindowFixture f;
  f.matches();
  gui::OpenMarketWindow window(f.services(), 0);
  auto* page = window.page(0);
  f.reply({"1|ok", "11|1|0.5"});
  select_row(page, 0);
  page->option(0)->click();
  QTest::keyClicks(page->odds(0), "5");  // 1.55
  auto* ok = window.findChild<QPushButton*>("ok");
  ok->click();
  EXPECT_EQ(f.messages.texts.back(), "开盘彩金不能低于任意一个赔率减1乘以10！");
  page->stake()->selectAll();
  QTest::keyClicks(page->stake(), "10");
  f.reply({"1|开盘成功|77"});
  ok->click();
  EXPECT_EQ(f.paras().back(), "500|1|10|0000000011|0000550");
  EXPECT_EQ(f.messages.texts.back(), "开盘成功\n您的开盘流水号为：77");
  EXPECT_EQ(page->stake()->text(), QStringLiteral("0"));
  EXPECT_FALSE(page->option(0)->isChecked());
  EXPECT_EQ(page->odds(0)->text(), QStringLiteral("1.55"));
}

TEST(OpenMarketWindow, Screenshots) {
  const QByteArray out = qgetenv("BRINDLE_SCREENSHOT_DIR");
  if (out.isEmpty()) GTEST_SKIP() << "BRINDLE_SCREENSHOT_DIR not set";
  OpenMarketWindowFixture f;
  f.matches();
  gui::OpenMarketWindow window(f.services(), 0);
  f.reply({"1|ok", "11|1|1.1", "12|2|2.2", "13|3|0.25", "14|4|2.6", "15|5|0.3", "16|6|0.7"});
  select_row(window.page(0), 0);
  window.page(0)->option(0)->click();
  window.page(0)->option(3)->click();
  window.show();
  QTest::qWait(50);
  EXPECT_TRUE(window.grab().save(QString::fromUtf8(out) + "/open_market_1x2.png"));

  f.matches();
  window.tabs()->setCurrentIndex(2);
  std::vector<std::string> scores{"1|ok"};
  for (int code = 1; code <= 26; ++code)
    scores.push_back(std::to_string(100 + code) + "|" + std::to_string(code) + "|" +
                     std::to_string(5 + code));
  f.reply(scores);
  select_row(window.page(2), 1);
  window.page(2)->option(10)->click();
  QTest::qWait(50);
  EXPECT_TRUE(window.grab().save(QString::fromUtf8(out) + "/open_market_correct_score.png"));
}

}  // namespace
