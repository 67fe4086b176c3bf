// The records window's rows and summary lines per tab, from records as the queries deliver them.

#include "core/accounts/bet_record_tabs.h"

#include <gtest/gtest.h>

#include "core/protocol/bet_record_parsers.h"
#include "wire/gbk.h"

namespace brindle::accounts {
namespace {

using protocol::GroupedBetRecord;
using protocol::OpenedMarketRecord;
using protocol::SingleBetRecord;

const protocol::DateRange kRange{{2026, 12, 1, 0, 0, 0}, {2026, 12, 8, 12, 0, 0}};
const wire::CivilDateTime kToday{2026, 12, 8, 9, 30, 0};

SingleBetRecord single(int serial, int legs, double stake, int status, double win_loss = 0) {
  SingleBetRecord r;
  r.serial_number = serial;
  r.leg_count = legs;
  r.stake = stake;
  r.status = status;
  r.win_loss = win_loss;
  r.home_team = "曼联";
  r.away_team = "利物浦";
  r.market_name = "胜平负盘";
  r.selection_text = "主胜";
  r.price = 0.9;
  r.bet_time = "2026-12-07 20:00:00";
  r.bet_place = "网上";
  r.final_score = "2 : 1";
  return r;
}

GroupedBetRecord leg(int group, int legs, int mask, double stake, int status = 0, double win_loss = 0) {
  GroupedBetRecord r;
  r.group_number = group;
  r.leg_count = legs;
  r.combination_mask = mask;
  r.stake = stake;
  r.status = status;
  r.win_loss = win_loss;
  r.home_team = "米兰";
  r.away_team = "国米";
  r.market_name = "大小球盘";
  r.selection_text = "2/2.5 大";
  r.price = 0.85;
  return r;
}

OpenedMarketRecord opened(int number, double stake, double cancelled, double banker_result = 0) {
  OpenedMarketRecord r;
  r.open_market_number = number;
  r.home_team = "甲";
  r.away_team = "乙";
  r.market_name = "比分盘";
  r.banker_stake = stake;
  r.cancelled_amount = cancelled;
  r.banker_win_loss = banker_result;
  r.open_time = "2026-12-07 10:00:00";
  r.choice_text = "1 : 0";
  r.amount1 = 30;
  return r;
}

TEST(BetRecordTabs, RowsAndSummaryLinesPerTab) {
  struct Case {
    const char* name;
    int tab;
    RecordLists lists;
    std::size_t rows;
    std::string summary;  // empty = none
  };
  RecordLists singles;  // a two-leg record is counted but not shown, and its stake is not summed
  singles.unsettled_singles = {single(42, 1, 10, 0), single(43, 2, 99, 0)};
  singles.settled_singles = {single(42, 1, 10, 0, 25), single(44, 1, 10, 1, -10), single(45, 2, 10, 0, 500)};
  RecordLists markets;  // two bets on one market, one on another
  markets.unsettled_opened = {opened(7, 1000, 200), opened(7, 1000, 200), opened(8, 500, 0)};
  markets.settled_opened = {opened(7, 1000, 0, -30), opened(7, 1000, 0, 50), opened(8, 500, 0, -5)};
  RecordLists parlays;  // three legs, every double and the treble: 4 bets of 10
  parlays.unsettled_parlays = {leg(9, 3, 6, 10), leg(9, 3, 6, 10), leg(9, 3, 6, 10), leg(10, 2, 2, 5),
                               leg(10, 2, 2, 5)};
  parlays.settled_parlays = {leg(9, 2, 2, 10, 0, 40), leg(9, 2, 2, 10, 0, 40), leg(10, 2, 2, 10, 0, -10),
                             leg(10, 2, 2, 10, 0, -10)};
  RecordLists only_legs;
  only_legs.unsettled_singles = {single(1, 2, 5, 0)};
  RecordLists outrights;
  outrights.unsettled_outrights = {leg(3, 1, 1, 20), leg(4, 2, 2, 99), leg(4, 2, 2, 99)};
  outrights.settled_outrights = {leg(3, 1, 1, 20, 0, 60)};

  const Case cases[] = {
      {"two-leg single hidden but counted", 0, singles, 1, "共2笔投注，总资金：10.00。"},
      {"settled singles", 1, singles, 2, "共3笔投注，盈利：25.00，亏损：-10.00。"},
      {"one row per opened market", 4, markets, 2, "共2场开盘，占用资金：1300.00。"},
      {"market result sums its bets", 5, markets, 2, "共2场开盘，盈利：20.00，亏损：-5.00。"},
      {"mask 6 over three legs is four bets", 6, parlays, 2, "共2笔投注，占用资金：45.00。"},
      {"parlay result counted once", 7, parlays, 2, "共2笔投注，盈利：40.00，亏损：-10.00。"},
      {"outright of one leg only", 8, outrights, 1, "共3笔投注，总资金：20.00。"},
      {"settled outright", 9, outrights, 1, "共1笔投注，盈利：60.00，亏损：0.00。"},
      {"empty list has no summary", 2, {}, 0, ""},
      {"only parlay legs: no row, no summary", 0, only_legs, 0, ""},
  };
  for (const auto& c : cases) {
    const auto list = records_list(c.tab, c.lists, kRange, kToday);
    EXPECT_EQ(list.rows.size(), c.rows) << c.name;
    for (const auto& row : list.rows) EXPECT_EQ(row.size(), list.columns.size()) << c.name;
    EXPECT_EQ(list.summary,
              c.summary.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.summary})
        << c.name;
  }
}

TEST(BetRecordTabs, StatusWordsByTab) {
  struct Case {
    int tab;
    int status;
    const char* word;
  } cases[] = {{0, 0, "成功"}, {0, 1, "取消"}, {0, 5, "待定"}, {1, 1, "取消"}, {1, 5, "有效"}, {8, 5, "成功"},
               {8, 1, "取消"}, {9, 1, "取消"}, {9, 0, "有效"}, {7, 1, "取消"}, {7, 0, "有效"}};
  for (const auto& c : cases) {
    RecordLists lists;
    lists.unsettled_singles = lists.settled_singles = {single(1, 1, 10, c.status)};
    lists.settled_parlays = {leg(1, 2, 2, 10, c.status), leg(1, 2, 2, 10, c.status)};
    lists.unsettled_outrights = lists.settled_outrights = {leg(1, 1, 1, 10, c.status)};
    const auto list = records_list(c.tab, lists, kRange, kToday);
    ASSERT_EQ(list.rows.size(), 1u);
    std::size_t column = 0;
    while (column < list.columns.size() && list.columns[column].title != "状态") ++column;
    ASSERT_LT(column, list.columns.size());
    EXPECT_EQ(list.rows[0][column], c.word) << "tab " << c.tab << " status " << c.status;
  }
}

TEST(BetRecordTabs, CellTextsAndPrintTitles) {
  RecordLists lists;
  lists.unsettled_singles = {single(42, 1, 10, 0)};
  lists.unsettled_opened = {opened(7, 1000, 200)};
  lists.unsettled_parlays = {leg(123, 3, 6, 10), leg(123, 3, 6, 10), leg(123, 3, 6, 10)};
  auto list = records_list(0, lists, kRange, kToday);
  EXPECT_EQ(list.title, "未结算单式投注记录(2026/12/08)");
  EXPECT_EQ(list.rows[0], (std::vector<std::string>{"曼联 vs 利物浦", "胜平负盘", "主胜 @ 1.900", "10.00",
                                                    "2026-12-07 20:00:00", "网上", "0000000042", "成功"}));
  list = records_list(4, lists, kRange, kToday);
  EXPECT_EQ(list.rows[0], (std::vector<std::string>{"甲 vs 乙", "比分盘", "1000.00(200.00)",
                                                    "2026-12-07 10:00:00", "0000000007", "详细"}));
  list = records_list(6, lists, kRange, kToday);
  EXPECT_EQ(list.rows[0][0], "");
  EXPECT_EQ(list.rows[0][1], "3");
  EXPECT_EQ(list.rows[0][2], "三串四");
  EXPECT_EQ(list.rows[0][6], "0000000123");
  EXPECT_EQ(records_list(7, lists, kRange, kToday).title, "已结算过关投注记录(2026/12/01 - 2026/12/08)");
  EXPECT_EQ(records_list(9, lists, kRange, kToday).title, "已结算私人房间投注记录(2026/12/01 - 2026/12/08)");
  EXPECT_EQ(records_list(10, lists, kRange, kToday).columns.size(), 0u);
}

TEST(BetRecordTabs, OutrightRowsNameTheEventAndTheSelection) {
  RecordLists lists;
  std::string header;
  const auto gbk = [](std::vector<std::string> lines) {
    for (auto& l : lines) l = wire::utf8_to_gbk(l);
    return lines;
  };
  ASSERT_TRUE(
      parse_grouped_bets(gbk({"1|ok|", "9|1|10|1|45352.75|网上", "9|t|0|欧冠|欧冠冠军|拜仁|1|0|3|1|3.5"}),
                         protocol::GroupedKind::kUnsettledOutright, header, lists.unsettled_outrights));
  ASSERT_TRUE(parse_grouped_bets(
      gbk({"1|ok|", "9|1|10|1|45352.75|网上|45353.5|45|0", "9|t|0|欧冠|欧冠冠军|拜仁|0|0|3|1|3.5|a|b|冠军"}),
      protocol::GroupedKind::kSettledOutright, header, lists.settled_outrights));
  auto list = records_list(8, lists, kRange, kToday);
  ASSERT_EQ(list.rows.size(), 1u);
  EXPECT_EQ(list.rows[0], (std::vector<std::string>{"欧冠冠军", "总冠军/指数", "拜仁 @ 4.500", "10.00",
                                                    "2024-03-01 18:00:00", "网上", "0000000009", "成功"}));
  list = records_list(9, lists, kRange, kToday);
  ASSERT_EQ(list.rows.size(), 1u);
  EXPECT_EQ(list.rows[0],
            (std::vector<std::string>{"欧冠冠军", "冠军", "总冠军/指数", "拜仁 @ 4.500", "10.00",
                                      "2024-03-01 18:00:00", "网上", "45.00", "有效", "0000000009"}));
}

TEST(BetRecordTabs, DetailListsAndTheMarketARowNames) {
  RecordLists lists;
  lists.unsettled_opened = {opened(7, 1000, 0), opened(7, 1000, 0), opened(8, 500, 0)};
  lists.settled_opened = {opened(7, 1000, 0, -30)};
  lists.settled_parlays = {leg(9, 2, 2, 10), leg(9, 2, 2, 10)};
  lists.settled_parlays[1].home_team = "皇马";
  lists.settled_parlays[1].leg_result = "赢";

  auto detail = record_detail(4, lists, 0);
  ASSERT_TRUE(detail);
  EXPECT_EQ(detail->title, "甲 vs 乙 比分盘 详细清单");
  EXPECT_EQ(detail->columns.size(), 6u);
  ASSERT_EQ(detail->rows.size(), 2u);
  EXPECT_EQ(detail->rows[0][1], "1 : 0");
  EXPECT_EQ(detail->rows[0][3], "30.00");
  EXPECT_EQ(record_detail(4, lists, 1)->rows.size(), 1u);
  EXPECT_FALSE(record_detail(4, lists, 2));
  EXPECT_EQ(record_detail(5, lists, 0)->columns[5].title, "结算时间");

  detail = record_detail(7, lists, 0);
  ASSERT_TRUE(detail);
  EXPECT_EQ(detail->title, "二串一 详细清单");
  ASSERT_EQ(detail->rows.size(), 2u);
  EXPECT_EQ(detail->rows[1],
            (std::vector<std::string>{"皇马 vs 国米", "大小球盘", "2/2.5 大", "1.850", "赢"}));
  EXPECT_FALSE(record_detail(3, lists, 0));
  EXPECT_FALSE(record_detail(6, lists, 0));

  const auto market = opened_market_of_row(lists, 1);
  ASSERT_TRUE(market);
  EXPECT_EQ(market->number, 8);
  EXPECT_EQ(market->match, "甲 vs 乙");
  EXPECT_EQ(market->market, "比分盘");
  EXPECT_FALSE(opened_market_of_row(lists, 2));
}

TEST(BetRecordTabs, PricesAndTheirTitlesInTheBettorsOddsFormat) {
  RecordLists lists;
  lists.unsettled_singles = {single(1, 1, 10, 0)};
  protocol::BankerBetRecord banker;
  banker.price = 2.5;
  lists.unsettled_banker_bets = {banker};
  lists.unsettled_parlays = {leg(5, 2, 2, 10), leg(5, 2, 2, 10)};
  lists.unsettled_outrights = {leg(3, 1, 1, 20)};
  struct Case {
    int tab;
    std::size_t column;
    const char* title;
    const char* cell;
  } cases[] = {
      {0, 2, "投注内容(马来盘)", "主胜 @ 0.900"},
      {2, 3, "赔率(马来盘)", "-0.400"},
      {8, 2, "投注内容(马来盘)", "国米 @ 0.850"},
  };
  for (const auto& c : cases) {
    const auto list = records_list(c.tab, lists, kRange, kToday, notation::OddsFormat::kMalay);
    ASSERT_EQ(list.rows.size(), 1u) << c.tab;
    EXPECT_EQ(list.columns[c.column].title, c.title) << c.tab;
    EXPECT_EQ(list.rows[0][c.column], c.cell) << c.tab;
  }
  const auto legs = record_detail(6, lists, 0, notation::OddsFormat::kIndonesian);
  ASSERT_TRUE(legs);
  EXPECT_EQ(legs->columns[3].title, "赔率(印尼盘)");
  EXPECT_EQ(legs->rows[0][3], "-1.176");
  // Other columns keep their titles.
  EXPECT_EQ(record_columns(2, notation::OddsFormat::kMalay)[4].title, "彩金");
}

}  // namespace
}  // namespace brindle::accounts
