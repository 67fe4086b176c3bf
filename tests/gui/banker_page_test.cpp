// The bankers' hall page offscreen: the tree model under QAbstractItemModelTester, the view following
// the hall's merge (expansion and selection kept), a click on the bet column reaching the ticket,
// the own button and context menu by Login mode, and the open-market hook. With
// BRINDLE_SCREENSHOT_DIR set it saves the hall with offers and the taker's ticket (BRINDLE_SKIN_DIR
// names the skin to draw them with).

#include "gui/betting/banker_page.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QLabel>
#include <QTest>
#include <QTreeView>
#include <memory>

#include "../core/betting/hall_fixture.h"
#include "core/betting/banker_ticket.h"
#include "core/net/client_context.h"
#include "gui/betting/stake_window.h"
#include "gui/ui/bitmap_button.h"
#include "support/temp_dir.h"

namespace {

using namespace brindle;
using brindle::testing::banker_match_line;
using brindle::testing::banker_offer_line;

std::filesystem::path skin_folder(const std::filesystem::path& fallback) {
  const QByteArray dir = qgetenv("BRINDLE_SKIN_DIR");
  return dir.isEmpty() ? fallback : std::filesystem::path(dir.toStdString());
}

std::vector<std::string> demo_reply() {
  return {"1|ok",
          banker_match_line(1, "英格兰超级联赛", "曼彻斯特联", "利物浦"),
          banker_offer_line(1, 1, 501, 1, "1000", "0.85", "300", "星级庄家"),
          banker_offer_line(1, 1, 502, 1, "500", "0.9", "0", "老王"),
          banker_offer_line(1, 1, 503, 4, "800", "1.2", "100", "星级庄家"),
          banker_match_line(2, "西班牙甲级联赛", "皇家马德里", "巴塞罗那"),
          banker_offer_line(2, 1, 601, 3, "2000", "0.35", "0", "阿强")};
}

struct BankerPageFixture : brindle::testing::HallFixture {
  BankerPageFixture() {
    reply(demo_reply());
    balance_reply();
    betting::BankerHallServices s{services(), [this](int flag) { opened.emplace_back(flag, false); },
                                  [this](int flag) { opened.emplace_back(flag, true); }};
    page = std::make_unique<gui::BankerPage>(std::move(s), skin_folder(dir.path()));
    page->resize(1225, 602);
  }
  void select(const betting::TreePath& path) {
    page->tree()->setCurrentIndex(page->tree_model()->index_of(path));
    QCoreApplication::processEvents();
  }
  brindle::testing::TempDir dir;
  std::vector<std::pair<int, bool>> opened;
  std::unique_ptr<gui::BankerPage> page;
};

TEST(BankerPage, TreeModelPassesTheTesterAndTheViewFollowsTheMerge) {
  BankerPageFixture f;
  QAbstractItemModelTester tester(f.page->tree_model(),
                                  QAbstractItemModelTester::FailureReportingMode::Fatal);
  f.page->open();
  auto* m = f.page->tree_model();
  ASSERT_EQ(m->rowCount(), 5);
  EXPECT_EQ(m->index(4, 0).data().toString(), QStringLiteral("篮球单双数"));
  EXPECT_EQ(m->rowCount(m->index(0, 0)), 2);
  f.page->tree()->expand(m->index(0, 0));
  f.page->tree()->expand(m->index_of({0, 0}));
  f.select({0, 0, 0, 0});
  EXPECT_EQ(f.page->offer_model()->rowCount(), 2);
  EXPECT_EQ(f.page->offer_model()->index(0, 4).data().toString(), QStringLiteral("876 RMB"));
  EXPECT_EQ(f.page->offer_model()->headerData(3, Qt::Horizontal).toString(), QStringLiteral("庄家彩金"));

  // A reload through the refresh message: the view shows the hall's expansion and selection again.
  f.reply(demo_reply());
  f.balance_reply();
  f.page->main_window_message(static_cast<int>(ports::WindowMessage::refresh_account), 0, 0);
  EXPECT_TRUE(f.page->tree()->isExpanded(m->index_of({0, 0})));
  EXPECT_EQ(m->path_of(f.page->tree()->currentIndex()), (betting::TreePath{0, 0, 0, 0}));
  EXPECT_EQ(f.page->offer_model()->rowCount(), 2);

  // An unloaded kind loads when selected; a match item empties the list.
  f.reply({"1|ok"});
  f.balance_reply();
  f.select({1});
  EXPECT_TRUE(f.page->hall().loaded(1));
  EXPECT_EQ(f.page->offer_model()->rowCount(), 0);
}

TEST(BankerPage, BetColumnOpensTheTicketAndOtherColumnsDoNot) {
  BankerPageFixture f;
  f.page->open();
  f.page->show();
  f.select({0, 0, 0, 0});
  auto* offers = f.page->offers();
  const auto click = [offers](int row, int column) {
    const QRect cell = offers->visualRect(offers->model()->index(row, column));
    QTest::mouseClick(offers->viewport(), Qt::LeftButton, {}, cell.center());
  };
  click(0, 2);
  EXPECT_TRUE(f.stake_window.shown.empty());
  click(0, betting::kBankerBetColumn);
  ASSERT_EQ(f.stake_window.shown.size(), 1u);
  EXPECT_EQ(f.stake_window.shown[0].header, "在 曼彻斯特联 vs 利物浦 的比赛中你将与庄家星级庄家对博。");
}

TEST(BankerPage, OwnButtonMenuAndHookByLoginMode) {
  for (const int mode : {net::kLoginModeMember, net::kLoginModeVisitor}) {
    BankerPageFixture f;
    f.context.login_mode = mode;
    f.page->open();
    f.page->show();
    const bool member = mode == net::kLoginModeMember;
    EXPECT_EQ(f.page->own_button()->isVisible(), member);
    EXPECT_EQ(f.page->context_menu_texts().size(), member ? 3u : 1u);
    f.page->findChild<gui::BitmapButton*>("duidu")->click();
    f.page->own_button()->click();
    std::vector<std::pair<int, bool>> expected{{1, true}};
    if (member) expected.emplace_back(1, false);
    EXPECT_EQ(f.opened, expected);
    EXPECT_EQ(f.page->location()->text(), QStringLiteral(" 您现在的位置：对战万事盘"));
    EXPECT_EQ(f.page->hint()->text(),
              QStringLiteral("选中左边的盘口类别，点击刷新按钮或右键刷新获取该盘口最新数据。"));
  }
}

TEST(Screenshots, BankerHallAndTakersTicket) {
  const QByteArray out = qgetenv("BRINDLE_SCREENSHOT_DIR");
  if (out.isEmpty()) GTEST_SKIP() << "BRINDLE_SCREENSHOT_DIR not set";
  BankerPageFixture f;
  f.page->open();
  f.page->show();
  auto* m = f.page->tree_model();
  f.page->tree()->expand(m->index(0, 0));
  f.page->tree()->expand(m->index_of({0, 0}));
  f.page->tree()->expand(m->index_of({0, 0, 0}));
  f.page->tree()->expand(m->index_of({0, 1}));
  f.page->tree()->expand(m->index_of({0, 1, 0}));
  f.select({0, 0, 0, 0});
  QTest::qWait(50);
  EXPECT_TRUE(f.page->grab().save(QString::fromUtf8(out) + "/banker_hall.png"));

  // The ticket as the hall fills it for the first offer.
  f.stake_window.answers = {std::nullopt};
  f.page->hall().click(0, betting::kBankerBetColumn);
  ASSERT_EQ(f.stake_window.shown.size(), 1u);
  gui::StakeWindow window(0);
  window.show_content(f.stake_window.shown[0], "500");
  window.show();
  QTest::qWait(50);
  EXPECT_TRUE(window.grab().save(QString::fromUtf8(out) + "/banker_ticket.png"));
}

}  // namespace
