// Every hall kind in a format other than decimal: the converted cells, the price columns' titles and
// the location line, all changing with the refresh that follows the bettor's choice.

#include <gtest/gtest.h>

#include "core/betting/asian_handicap_hall.h"
#include "core/betting/banker_hall.h"
#include "core/betting/in_play_hall.h"
#include "core/betting/over_under_hall.h"
#include "core/betting/parlay_hall.h"
#include "core/net/client_context.h"
#include "hall_fixture.h"

namespace {

using namespace brindle;
using namespace brindle::betting;
using brindle::testing::kFirstDay;
using brindle::testing::match_line;
using brindle::testing::odds_line;
using net::OddsFormat;

TEST(HallOddsFormat, AsianHandicapCellsTitlesAndLocationChangeWithTheNextRefresh) {
  brindle::testing::HallFixture f;
  AsianHandicapHall hall(f.services());
  const std::vector<std::string> lines{"1|ok|0", match_line(1, "英超", kFirstDay, "曼联", "利物浦"),
                                       odds_line(1, 0, 11, 3, "0.80", 200),
                                       odds_line(1, 0, 12, -3, "1.20", 200)};
  using C = AsianHandicapHall::Column;
  f.context.odds_format = OddsFormat::kMalay;
  f.reply(lines);
  f.balance_reply();
  hall.refresh();
  EXPECT_EQ(hall.cell_text(0, C::kGivingOdds), "0.800");
  EXPECT_EQ(hall.cell_text(0, C::kOtherOdds), "-0.833");
  EXPECT_EQ(hall.column_title(C::kGivingOdds), "马来盘");
  EXPECT_EQ(hall.column_title(C::kGivingTeam), "上盘球队(名)");
  EXPECT_EQ(hall.location_text(), " 您现在的位置：亚洲让球盘 — 公共房间（马来盘赔率）");

  f.context.odds_format = OddsFormat::kDecimal;
  EXPECT_EQ(hall.cell_text(0, C::kOtherOdds), "-0.833") << "the lines shown keep their format";
  f.reply(lines);
  f.balance_reply();
  hall.refresh();
  EXPECT_EQ(hall.cell_text(0, C::kOtherOdds), "2.200");
  EXPECT_EQ(hall.column_title(C::kGivingOdds), "赔率");
  EXPECT_EQ(hall.location_text(), " 您现在的位置：亚洲让球盘 — 公共房间");
}

TEST(HallOddsFormat, MatchListHallsConvertEveryPriceCell) {
  brindle::testing::HallFixture f;
  f.context.odds_format = OddsFormat::kIndonesian;
  brindle::testing::ScriptedParlayWindows windows;
  ParlayHall parlay(f.services(), windows);
  f.reply({"1|ok|0", match_line(1, "英超", kFirstDay, "曼联", "利物浦"), odds_line(1, 1, 10, 1, "1.10"),
           odds_line(1, 1, 11, 4, "2.50"), odds_line(1, 1, 12, 2, "0.50")});
  f.balance_reply();
  parlay.refresh();
  EXPECT_EQ(parlay.cell_text(0, ParlayHall::kHomeWin), "1.100");
  EXPECT_EQ(parlay.cell_text(0, ParlayHall::kDraw), "-2.000");
  EXPECT_EQ(parlay.cell_text(0, ParlayHall::kAwayWin), "2.500");

  OverUnderHall totals(f.services());
  f.reply({"1|ok|0", match_line(2, "英超", kFirstDay, "阿森纳", "切尔西"),
           odds_line(2, 3, 20, 9, "0.80", 200), odds_line(2, 3, 21, -9, "1.20", 200)});
  f.balance_reply();
  totals.refresh();
  EXPECT_EQ(totals.cell_text(0, OverUnderHall::kOverOdds), "-1.250");
  EXPECT_EQ(totals.cell_text(0, OverUnderHall::kUnderOdds), "1.200");
  EXPECT_EQ(totals.column_title(OverUnderHall::kOverOdds), "印尼盘（大）");
  f.reply({"1|ok|0"});  // the account is not frozen
  totals.click(0, OverUnderHall::kOverOdds);
  ASSERT_EQ(f.stake_window.shown.size(), 1u);
  EXPECT_EQ(f.stake_window.shown[0].odds, "-1.250") << "the ticket shows the hall's figure";

  InPlayHall in_play(f.services());
  f.reply({"1|ok|0", match_line(3, "英超", kFirstDay, "热刺", "富勒姆", 0, 1),
           odds_line(3, 9, 30, 9, "0.85", 190, 1, 1, 0), odds_line(3, 9, 31, -9, "1.05", 190, 1, 1, 0)});
  in_play.refresh();
  EXPECT_EQ(in_play.cell_text(0, InPlayHall::kOverOdds), "-1.176");
  EXPECT_EQ(in_play.cell_text(0, InPlayHall::kUnderOdds), "1.050");
}

TEST(HallOddsFormat, BankerOffersTitleAndLocationNameTheFormat) {
  brindle::testing::HallFixture f;
  f.context.odds_format = OddsFormat::kHongKong;
  BankerHall hall({f.services(), {}, {}});
  f.reply({"1|ok", "9001|45352.75|45352.75|英超|曼联|利物浦", "9001|1|0|501|1|1000|0.85|300|庄家甲|1"});
  f.balance_reply();
  hall.open();
  hall.select({0, 0, 0, 0});
  EXPECT_EQ(hall.cell_text(0, kBankerOddsColumn), "0.850");
  EXPECT_EQ(hall.column_title(kBankerOddsColumn), "赔率(香港盘)");
  EXPECT_EQ(hall.column_title(0), "时间");
  EXPECT_EQ(hall.location_text(), " 您现在的位置：对战万事盘（香港盘赔率）");
}

}  // namespace
