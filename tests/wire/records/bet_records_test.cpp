#include "wire/records/bet_records.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "wire/records/round_trip.h"

namespace brindle::records {
namespace {

using testing::kEdgeText;
using testing::kEdgeTextBack;
using testing::kFarOle;
using testing::round_trip;

// 亅 and 諀 end in the byte of "|": neither may be taken for the separator.
const std::string kTrailText = "亅諀";
constexpr double kEpoch = 0.0;
constexpr double kMostMoney = 9999999999.99;  // just under the largest amount a field may carry

TEST(BetRecords, SingleBetsComeBackFieldForField) {
  const UnsettledSingleBetLine unsettled{INT_MAX, 1,       kMostMoney, 0,      kFarOle, kEdgeText,
                                         "",      INT_MIN, kTrailText, "主队", "",      -1,
                                         INT_MAX, 25,      -1004,      0.925,  2};
  UnsettledSingleBetLine unsettled_back = unsettled;
  unsettled_back.bet_place = kEdgeTextBack;
  EXPECT_EQ(round_trip(unsettled), unsettled_back);

  const SettledSingleBetLine settled{1,           INT_MAX, 0.01, INT_MIN, kEpoch, kTrailText, kFarOle,
                                     -kMostMoney, 1,       "",   0,       "联赛", kEdgeText,  "客队",
                                     0,           99,      13,   INT_MAX, 12.5,   "2:1"};
  SettledSingleBetLine settled_back = settled;
  settled_back.home_team = kEdgeTextBack;
  EXPECT_EQ(round_trip(settled), settled_back);
}

TEST(BetRecords, BankerBetsKeepTheirTextSerials) {
  const UnsettledBankerBetLine unsettled{INT_MIN, "0",        kTrailText, kEdgeText, INT_MAX,
                                         1.954,   kMostMoney, kFarOle,    "",        "0000000042"};
  UnsettledBankerBetLine unsettled_back = unsettled;
  unsettled_back.away_team = kEdgeTextBack;
  EXPECT_EQ(round_trip(unsettled), unsettled_back);

  const SettledBankerBetLine settled{6,     "0",    "主",       "客",    "",          -2,           0.5,
                                     100.0, kEpoch, kTrailText, kFarOle, -kMostMoney, "9999999999", 0};
  EXPECT_EQ(round_trip(settled), settled);
}

TEST(BetRecords, OpenedMarketLinesComeBackFieldForField) {
  const OpenedMarketLine market{INT_MAX, 14, "0", kEdgeText, kTrailText, kMostMoney, kFarOle, 0.0};
  OpenedMarketLine market_back = market;
  market_back.home_team = kEdgeTextBack;
  EXPECT_EQ(round_trip(market), market_back);
  const SettledOpenedMarketLine settled_market{INT_MIN, 0, "", "", "", "1:1", 0.01, kEpoch, kMostMoney};
  EXPECT_EQ(round_trip(settled_market), settled_market);

  const OpenedMarketBetLine bet{INT_MAX, INT_MIN, kMostMoney, -0.01};
  EXPECT_EQ(round_trip(bet), bet);
  const SettledOpenedMarketBetLine settled_bet{1, 3, 250.5, 1000.0, kFarOle, -kMostMoney, kMostMoney};
  EXPECT_EQ(round_trip(settled_bet), settled_bet);
}

TEST(BetRecords, GroupAndLegLinesComeBackFieldForField) {
  const BetGroupLine group{INT_MAX, 8, kMostMoney, INT_MAX, kFarOle, kTrailText};
  EXPECT_EQ(round_trip(group), group);
  const SettledBetGroupLine settled_group{INT_MIN, 0, 0.0, 0, kEpoch, kEdgeText, kFarOle, -kMostMoney, 1};
  SettledBetGroupLine settled_group_back = settled_group;
  settled_group_back.bet_place = kEdgeTextBack;
  EXPECT_EQ(round_trip(settled_group), settled_group_back);

  const BetLegLine leg{INT_MAX, "", INT_MIN, kTrailText, "甲", "乙", -1, 0, 25, 1004, 0.875};
  EXPECT_EQ(round_trip(leg), leg);
  const SettledParlayLegLine parlay_leg{1, "", 2, "", "", "", 0, 0, 6, 2, 3.25, "赢一半"};
  EXPECT_EQ(round_trip(parlay_leg), parlay_leg);
  const SettledOutrightLegLine outright_leg{INT_MIN, "", INT_MAX, "世界杯", "冠军", kTrailText, 0,
                                            0,       40, 7,       1000.0,   "1",    kEdgeText,  "输"};
  SettledOutrightLegLine outright_back = outright_leg;
  outright_back.extra_text2 = kEdgeTextBack;
  EXPECT_EQ(round_trip(outright_leg), outright_back);
}

TEST(BetRecords, StatementEntriesAndTheHeaderComeBackFieldForField) {
  const StatementLine entry{kFarOle, INT_MIN, -kMostMoney, kTrailText, kMostMoney};
  std::string gbk;
  EXPECT_EQ(round_trip(entry, &gbk), entry);
  EXPECT_EQ(gbk, "2958465.999988|-2147483648|-9999999999.99|\x81\x7c\xd5\x7c|9999999999.99");
  const StatementLine transfer{kEpoch, INT_MAX, 0.0, kEdgeText, -0.01};
  StatementLine transfer_back = transfer;
  transfer_back.content = kEdgeTextBack;
  EXPECT_EQ(round_trip(transfer), transfer_back);

  EXPECT_EQ(round_trip(RecordsHeader{"-12345.60"}), RecordsHeader{"-12345.60"});
  EXPECT_EQ(round_trip(RecordsHeader{""}), RecordsHeader{""});
}

}  // namespace
}  // namespace brindle::records
