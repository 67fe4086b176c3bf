// Record and statement replies (GBK) into records, with their selection texts and groups.

#include "core/protocol/bet_record_parsers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue_fixture.h"
#include "core/protocol/records_queries.h"
#include "core/protocol/selection_text.h"

namespace {

using namespace brindle;
using namespace brindle::protocol;
using brindle::testing::gbk_lines;

struct SelectionCase {
  int market_type;
  int line_code;
  int choice;
  int home_score;
  int away_score;
  ScoreSuffix suffix;
  const char* expected;
};

class SelectionText : public ::testing::TestWithParam<SelectionCase> {};

TEST_P(SelectionText, IsBuiltFromTheRecordsFields) {
  const auto& c = GetParam();
  EXPECT_EQ(selection_text(c.market_type, c.line_code, c.choice, "主队", "客队", c.home_score, c.away_score,
                           c.suffix),
            c.expected);
}

constexpr auto kAll = ScoreSuffix::kInPlayKinds;
constexpr auto kAsianOnly = ScoreSuffix::kInPlayAsianHandicapOnly;

INSTANTIATE_TEST_SUITE_P(
    Records, SelectionText,
    ::testing::Values(
        // Asian handicap: the side rule names the team; "让" only for codes of 1 and more.
        SelectionCase{0, 3, 0, 0, 0, kAll, "主队(让半球)"},
        SelectionCase{0, -3, 0, 0, 0, kAll, "客队(受让半球)"},
        SelectionCase{0, 1500, 0, 0, 0, kAll, "客队(让)"}, SelectionCase{0, -1500, 0, 0, 0, kAll, "主队()"},
        SelectionCase{0, 0, 0, 0, 0, kAll, "客队()"},
        // In-play kinds carry the score at the time of the bet.
        SelectionCase{8, 2, 0, 1, 0, kAll, "主队(让平手/半球 1 : 0)"},
        SelectionCase{8, 2, 0, 1, 0, kAsianOnly, "主队(让平手/半球 1 : 0)"},
        SelectionCase{9, 10, 0, 1, 0, kAll, "2/2.5 大 (1 : 0)"},
        SelectionCase{9, 10, 0, 1, 0, kAsianOnly, "2/2.5 大"}, SelectionCase{3, -11, 0, 2, 2, kAll, "2.5 小"},
        SelectionCase{1, 3, 0, 0, 0, kAll, "主队(左选项)胜或平"},
        SelectionCase{2, 26, 0, 0, 0, kAll, "其它比分"}, SelectionCase{6, 10, 9, 0, 0, kAll, "2/2.5 大"},
        SelectionCase{42, 1, 0, 0, 0, kAll, ""}));

TEST(UnsettledSingleBets, SeventeenFieldsWithMarketNameAndSelectionText) {
  std::vector<SingleBetRecord> records;
  ASSERT_TRUE(parse_unsettled_single_bets(
      gbk_lines({"1|ok", "123|1|50|0|45352.75|网上|备注|0|英超|曼联|利物浦|0|0|0|3|0.95|2",
                 "124|2|10|0|45352.75|网上||0|英超|甲|乙|0|0|1|1|1.2|0"}),
      records));
  ASSERT_EQ(records.size(), 2u);
  const auto& r = records[0];
  EXPECT_EQ(r.serial_number, 123);
  EXPECT_DOUBLE_EQ(r.stake, 50);
  EXPECT_EQ(r.bet_time, "2024-03-01 18:00:00");
  EXPECT_EQ(r.bet_place, "网上");
  EXPECT_EQ(r.league, "英超");
  EXPECT_DOUBLE_EQ(r.price, 0.95);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(unsettled_status_text(r.status), "待定");
  EXPECT_EQ(r.market_name, "让球(分)盘");
  EXPECT_EQ(r.selection_text, "曼联(让半球)");
  EXPECT_EQ(records[1].leg_count, 2);  // kept, though the window does not show it
}

TEST(SettledSingleBets, TwentyFieldsAndTheHeaderText) {
  std::vector<SingleBetRecord> records;
  std::string header;
  ASSERT_TRUE(parse_settled_single_bets(
      gbk_lines({"1|ok|合计 100",
                 "123|1|50|0|45352.75|网上|45353.5|-50|1|备注|0|英超|曼联|利物浦|0|0|9|-10|0.9|2 : 1"}),
      header, records));
  EXPECT_EQ(header, "合计 100");
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].settlement_time, "2024-03-02 12:00:00");
  EXPECT_DOUBLE_EQ(records[0].win_loss, -50);
  EXPECT_EQ(settled_status_text(records[0].status), "取消");
  EXPECT_EQ(records[0].final_score, "2 : 1");
  EXPECT_EQ(records[0].selection_text, "2/2.5 小 (0 : 0)");
}

TEST(BankerBets, UnsettledAndSettledForms) {
  std::vector<BankerBetRecord> records;
  std::string header;
  ASSERT_TRUE(parse_unsettled_banker_bets(
      gbk_lines({"1|ok|h", "1|x|曼联|利物浦|3|0.9|100|45352.75|庄家甲|S-1"}), header, records));
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].choice_text, "主队(左选项)胜或平");
  EXPECT_EQ(records[0].banker_name, "庄家甲");
  EXPECT_EQ(records[0].serial_number, "S-1");

  ASSERT_TRUE(parse_settled_banker_bets(
      gbk_lines({"1|ok|h2", "3|x|曼联|利物浦|1 : 1|10|0.9|100|45352.75|庄家甲|45353.5|90|S-2|0"}), header,
      records));
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(header, "h2");
  EXPECT_EQ(records[0].final_score, "1 : 1");
  EXPECT_EQ(records[0].choice_text, "2/2.5 大");
  EXPECT_DOUBLE_EQ(records[0].win_loss, 90);
  EXPECT_EQ(records[0].serial_number, "S-2");
}

TEST(OpenedMarkets, MarketLinesAddNoRecordBetLinesAddOneEach) {
  std::vector<OpenedMarketRecord> records;
  std::string header;
  ASSERT_TRUE(
      parse_unsettled_opened_markets(gbk_lines({"1|ok|", "77|1|x|曼联|利物浦|1000|45352.75|200", "77|1|30|27",
                                                "77|4|10|9", "78|3|x|甲|乙|500|45352.75|0", "78|-10|5|4"}),
                                     header, records));
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].open_market_number, 77);
  EXPECT_DOUBLE_EQ(records[0].banker_stake, 1000);
  EXPECT_DOUBLE_EQ(records[0].cancelled_amount, 200);
  EXPECT_EQ(records[0].choice_text, "主队(左选项)胜");
  EXPECT_EQ(records[1].choice_text, "主队(左选项)负");
  EXPECT_EQ(records[2].market_name, "大小球盘");
  EXPECT_EQ(records[2].choice_text, "2/2.5 小");

  ASSERT_TRUE(parse_settled_opened_markets(
      gbk_lines({"1|ok|", "77|1|x|曼联|利物浦|2 : 0|1000|45352.75|0", "77|1|30|27|45352.8125|-30|0"}), header,
      records));
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].final_score, "2 : 0");
  EXPECT_EQ(records[0].bet_time, "2024-03-01 19:30:00");
  EXPECT_DOUBLE_EQ(records[0].banker_win_loss, -30);
}

TEST(GroupedBets, LegsCarryTheirGroupAndTheFirstLineAlwaysOpensAGroup) {
  std::vector<GroupedBetRecord> records;
  std::string header;
  // The first data line's number is 0: it is still a group line.
  ASSERT_TRUE(
      parse_grouped_bets(gbk_lines({"1|ok|", "0|2|10|2|45352.75|网上", "0|t|0|英超|曼联|利物浦|0|0|0|3|0.9",
                                    "0|t|0|意甲|米兰|国米|1|0|9|10|0.8", "555|1|5|1|45352.75|网上",
                                    "555|t|0|西甲|皇马|巴萨|1|1|8|2|0.95"}),
                         GroupedKind::kUnsettledParlay, header, records));
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].group_number, 0);
  EXPECT_EQ(records[0].leg_count, 2);
  EXPECT_EQ(records[0].combination_mask, 2);
  EXPECT_EQ(records[1].selection_text, "2/2.5 大");  // no suffix for in-play over/under here
  EXPECT_EQ(records[2].group_number, 555);
  EXPECT_EQ(records[2].selection_text, "皇马(让平手/半球 1 : 1)");
}

TEST(GroupedBets, SettledOutrightLegsEndWithThreeTextsTheLastBeingTheResult) {
  std::vector<GroupedBetRecord> records;
  std::string header;
  ASSERT_TRUE(parse_grouped_bets(gbk_lines({"1|ok|", "9|1|10|1|45352.75|网上|45353.5|45|0",
                                            "9|t|0|欧冠|欧冠冠军|拜仁|0|0|1|1|3.5|a|b|赢"}),
                                 GroupedKind::kSettledOutright, header, records));
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].home_team, "欧冠冠军");
  EXPECT_EQ(records[0].away_team, "拜仁");
  EXPECT_EQ(records[0].leg_result, "赢");
  EXPECT_DOUBLE_EQ(records[0].win_loss, 45);
  EXPECT_EQ(records[0].settlement_time, "2024-03-02 12:00:00");
}

TEST(Statement, FiveFields) {
  std::vector<StatementEntry> entries;
  ASSERT_TRUE(parse_statement(gbk_lines({"1|ok", "45352.75|3|-50|S-123|1000"}), entries));
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].time, "2024-03-01 18:00:00");
  EXPECT_EQ(entries[0].transaction_type, 3);
  EXPECT_DOUBLE_EQ(entries[0].amount, -50);
  EXPECT_EQ(entries[0].content, "S-123");
  EXPECT_DOUBLE_EQ(entries[0].balance_before, 1000);
}

TEST(RecordQueries, HeaderTextGoesToTheClientContextOnlyOnSuccess) {
  brindle::testing::CatalogueFixture f;
  std::vector<GroupedBetRecord> records{GroupedBetRecord{}};
  f.reply({"0|没有记录|ignored"});
  EXPECT_FALSE(fetch_unsettled_parlays(f.session, records));
  EXPECT_EQ(records.size(), 1u);
  EXPECT_TRUE(f.context.records_header_text.empty());
  f.reply({"1|ok|本页合计"});
  EXPECT_TRUE(fetch_unsettled_parlays(f.session, records));
  EXPECT_TRUE(records.empty());
  EXPECT_EQ(f.context.records_header_text, "本页合计");
}

}  // namespace
