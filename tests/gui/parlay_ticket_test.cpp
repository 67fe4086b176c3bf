// The parlay hall's lower half and the "玩法选择" window offscreen: the lists over the ticket, the
// remove button, stake edits through the view, the total lines, and the window's tabs and "确认".
// With BRINDLE_SCREENSHOT_DIR set it saves the hall with three legs and the choice window
// (BRINDLE_SKIN_DIR names the skin to draw them with).

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <memory>

#include "../core/betting/hall_fixture.h"
#include "core/betting/parlay_hall.h"
#include "gui/betting/hall_page.h"
#include "gui/betting/parlay_ticket_panel.h"
#include "gui/betting/parlay_windows.h"
#include "gui/ui/confirmation_window.h"

namespace {

using namespace brindle;
using brindle::testing::kFirstDay;
using brindle::testing::kSecondDay;
using brindle::testing::match_line;
using brindle::testing::odds_line;
using C = betting::ParlayHall::Column;

std::filesystem::path skin_folder() {
  const QByteArray dir = qgetenv("BRINDLE_SKIN_DIR");
  return dir.isEmpty() ? std::filesystem::path() : std::filesystem::path(dir.toStdString());
}

struct ParlayPageFixture : brindle::testing::HallFixture {
  ParlayPageFixture() {
    reply({"1|ok|0", match_line(1, "英格兰超级联赛", kFirstDay, "曼彻斯特联", "利物浦"),
           odds_line(1, 1, 11, 1, "1.10"), odds_line(1, 1, 12, 2, "2.20"), odds_line(1, 1, 13, 4, "1.50"),
           match_line(2, "西班牙甲级联赛", kFirstDay, "皇家马德里", "巴塞罗那"),
           odds_line(2, 1, 21, 1, "0.85"), odds_line(2, 1, 22, 2, "2.40"), odds_line(2, 1, 23, 4, "2.10"),
           match_line(3, "英格兰超级联赛", kSecondDay, "阿森纳", "切尔西"), odds_line(3, 1, 31, 1, "0.95"),
           odds_line(3, 1, 32, 2, "2.30"), odds_line(3, 1, 33, 4, "1.80")});
    balance_reply();
    auto model = std::make_unique<betting::ParlayHall>(services(), windows_port);
    hall = model.get();
    page = std::make_unique<gui::HallPage>(std::move(model), gui::HallPage::Options{skin_folder(), 0, false});
    panel = new gui::ParlayTicketPanel(hall->ticket(), skin_folder());
    page->add_lower_panel(panel);
    page->resize(1000, 602);
    page->open();
  }
  brindle::testing::ScriptedParlayWindows windows_port;
  betting::ParlayHall* hall = nullptr;
  std::unique_ptr<gui::HallPage> page;
  gui::ParlayTicketPanel* panel = nullptr;
};

TEST(ParlayTicketPanel, ListsFollowTheTicketAndStakesAreEditedThroughTheView) {
  ParlayPageFixture f;
  QAbstractItemModelTester legs_tester(f.panel->legs()->model());
  QAbstractItemModelTester types_tester(f.panel->types()->model());
  EXPECT_FALSE(f.panel->empty_label()->isHidden());
  EXPECT_EQ(f.panel->empty_label()->text(), QStringLiteral("没有投注选择"));
  EXPECT_EQ(f.panel->stake_line()->text(), QStringLiteral("总投注彩金：0 元"));
  EXPECT_EQ(f.panel->payout_line()->text(), QStringLiteral("理论最高派彩：0"));

  f.hall->click(0, C::kHomeWin);
  f.hall->click(1, C::kDraw);
  f.hall->click(2, C::kAwayWin);
  auto* legs = f.panel->legs()->model();
  ASSERT_EQ(legs->rowCount(), 3);
  EXPECT_TRUE(f.panel->empty_label()->isHidden());
  EXPECT_EQ(legs->index(0, gui::ParlayLegsModel::kMatch).data().toString(),
            QStringLiteral("曼彻斯特联 vs 利物浦"));
  EXPECT_EQ(legs->index(1, gui::ParlayLegsModel::kKind).data().toString(), QStringLiteral("胜平负盘"));
  EXPECT_EQ(legs->index(2, gui::ParlayLegsModel::kOdds).data().toString(), QStringLiteral("2.800"));
  EXPECT_EQ(legs->headerData(gui::ParlayLegsModel::kChoice, Qt::Horizontal).toString(),
            QStringLiteral("你的选择"));

  auto* types = f.panel->types()->model();
  ASSERT_EQ(types->rowCount(), 3);
  EXPECT_EQ(types->index(0, 0).data().toString(), QStringLiteral("三串一"));
  EXPECT_TRUE(types->flags(types->index(0, gui::ParlayTypesModel::kStake)) & Qt::ItemIsEditable);
  EXPECT_FALSE(types->flags(types->index(0, gui::ParlayTypesModel::kName)) & Qt::ItemIsEditable);
  ASSERT_TRUE(types->setData(types->index(0, 1), "100", Qt::EditRole));
  ASSERT_TRUE(types->setData(types->index(1, 1), "200001", Qt::EditRole));
  EXPECT_EQ(f.messages.texts.back(), "单注彩金不能超过200000！");
  EXPECT_EQ(types->index(1, 1).data().toString(), QStringLiteral("0"));
  EXPECT_EQ(types->index(0, 1).data().toString(), QStringLiteral("100"));
  EXPECT_EQ(f.panel->stake_line()->text(), QStringLiteral("总投注彩金：100 元"));

  // The remove picture of the second leg: two legs, types rebuilt.
  f.page->show();
  const QRect cell = f.panel->legs()->visualRect(legs->index(1, gui::ParlayLegsModel::kRemove));
  QTest::mouseClick(f.panel->legs()->viewport(), Qt::LeftButton, {}, cell.center());
  ASSERT_EQ(legs->rowCount(), 2);
  EXPECT_EQ(legs->index(1, gui::ParlayLegsModel::kMatch).data().toString(),
            QStringLiteral("阿森纳 vs 切尔西"));
  EXPECT_EQ(types->rowCount(), 2);
  EXPECT_EQ(f.panel->payout_line()->text(), QStringLiteral("理论最高派彩：0"));
}

TEST(MarketChoiceWindow, TabsHiddenItemsAndConfirmAskingTheTicket) {
  ports::MarketChoiceContent content{
      "曼联 vs 利物浦",
      {{"让球(分)盘", {{"曼联 (受让半球) (1.950)", true}}, 2},
       {"胜平负盘", {{"曼联 胜 (2.100)", true}, {"", false}, {"利物浦 胜 (3.500)", true}}, 3}}};
  std::vector<std::optional<ports::MarketChoice>> asked;
  gui::MarketChoiceWindow window(content, [&](std::optional<ports::MarketChoice> c) {
    asked.push_back(c);
    return c.has_value();
  });
  ASSERT_EQ(window.tabs()->count(), 2);
  EXPECT_EQ(window.tabs()->tabText(1), QStringLiteral("胜平负盘"));
  const auto buttons = window.findChildren<QRadioButton*>();
  ASSERT_EQ(buttons.size(), 4);
  EXPECT_EQ(std::count_if(buttons.begin(), buttons.end(), [](auto* b) { return !b->isEnabled(); }), 1);
  window.choose(1, 1);  // hidden: stays unchosen
  window.confirm_choice();
  EXPECT_FALSE(window.confirmed());
  window.choose(1, 2);
  window.confirm_choice();
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_FALSE(asked[0]);
  ASSERT_TRUE(window.confirmed());
  EXPECT_EQ(window.confirmed()->tab, 1);
  EXPECT_EQ(window.confirmed()->item, 2);
  EXPECT_EQ(window.result(), QDialog::Accepted);
}

// The overview is a Confirmation window with the dialogs' own font, as every other confirmation.
TEST(ParlayConfirmation, ShowsTheTextInTheDialogsDefaultFont) {
  gui::ParlayWindowsPortImpl port(nullptr);
  QFont font;
  QString text;
  QTimer::singleShot(0, [&] {
    auto* window = qobject_cast<gui::ConfirmationWindow*>(QApplication::activeModalWidget());
    ASSERT_NE(window, nullptr);
    font = window->textLabel()->font();
    text = window->textLabel()->text();
    const QByteArray out = qgetenv("BRINDLE_SCREENSHOT_DIR");
    if (!out.isEmpty()) {
      QTest::qWait(50);
      window->grab().save(QString::fromUtf8(out) + "/parlay_confirmation.png");
    }
    window->findChild<QPushButton*>("cancelButton")->click();
  });
  EXPECT_FALSE(port.confirm_overview(
      "过关投注", "您共串2场比赛，选择的投注如下：\n\n    二串一 单注彩金：30\n\n总投注彩金：30 元。"));
  EXPECT_EQ(font.pointSize(), 11);
  EXPECT_TRUE(font.bold());
  EXPECT_TRUE(text.contains(QStringLiteral("二串一 单注彩金：30")));
}

TEST(Screenshots, ParlayHallAndMarketChoice) {
  const QByteArray out = qgetenv("BRINDLE_SCREENSHOT_DIR");
  if (out.isEmpty()) GTEST_SKIP() << "BRINDLE_SCREENSHOT_DIR not set";
  ParlayPageFixture f;
  f.hall->click(0, C::kHomeWin);
  f.hall->click(1, C::kDraw);
  f.hall->click(2, C::kAwayWin);
  f.hall->ticket().edit_stake(0, "100");
  f.hall->ticket().edit_stake(1, "50");
  f.page->show();
  QTest::qWait(50);
  EXPECT_TRUE(f.page->grab().save(QString::fromUtf8(out) + "/parlay_hall.png"));

  protocol::MatchRecord match;
  match.match_number = 1;
  match.home_team = "曼彻斯特联";
  match.away_team = "利物浦";
  const std::vector<protocol::OddsLine> lines{
      {1, 0, 0, 41, 3, 190, 0, 0, 0, 0.95},     {1, 0, 0, 42, -3, 190, 0, 0, 0, 0.95},
      {1, 1, 0, 11, 1, 0, 0, 0, 0, 1.10},       {1, 1, 0, 12, 2, 0, 0, 0, 0, 2.20},
      {1, 1, 0, 13, 4, 0, 0, 0, 0, 1.50},       {1, 3, 0, 51, 1005, 190, 0, 0, 0, 0.90},
      {1, 3, 0, 52, -1005, 190, 0, 0, 0, 1.00}, {1, 2, 0, 61, 1, 0, 0, 0, 0, 5.5},
      {1, 2, 0, 62, 2, 0, 0, 0, 0, 7.0},        {1, 2, 0, 63, 26, 0, 0, 0, 0, 20.0}};
  const auto choices = betting::market_choices(match, lines);
  gui::MarketChoiceWindow window(choices.content, [](auto) { return true; });
  window.choose(1, 0);
  window.show();
  QTest::qWait(50);
  EXPECT_TRUE(window.grab().save(QString::fromUtf8(out) + "/market_choice.png"));
  window.tabs()->setCurrentIndex(3);
  QTest::qWait(50);
  EXPECT_TRUE(window.grab().save(QString::fromUtf8(out) + "/market_choice_scores.png"));
}

}  // namespace
