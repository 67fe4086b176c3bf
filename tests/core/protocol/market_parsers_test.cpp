// Market-data replies (GBK) into records: pairing, balancing, the Asian handicap side rule, groups.

#include "core/protocol/market_parsers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue_fixture.h"
#include "core/protocol/market_data.h"

namespace {

using namespace brindle;
using namespace brindle::protocol;
using brindle::testing::gbk_lines;

// Match 9001: a football match at 2024-03-01 18:00, second stamp 19:30.
const std::string kMatchLine = "9001|0|英格兰超级联赛|45352.75|45352.8125|曼联|利物浦|1|0";

std::vector<OddsLine> odds_of(const std::vector<std::string>& utf8) {
  int peak = 0;
  std::vector<MatchRecord> matches;
  std::vector<OddsLine> odds;
  const auto outcome = parse_market_list(gbk_lines(utf8), peak, matches, odds);
  EXPECT_TRUE(outcome) << outcome.error();
  return odds;
}

TEST(MarketList, MatchLineBecomesAMatchRecordWithDateAndTimeTexts) {
  int peak = 0;
  std::vector<MatchRecord> matches;
  std::vector<OddsLine> odds;
  ASSERT_TRUE(parse_market_list(gbk_lines({"1|ok|0", kMatchLine}), peak, matches, odds));
  ASSERT_EQ(matches.size(), 1u);
  const MatchRecord& m = matches[0];
  EXPECT_EQ(m.match_number, 9001);
  EXPECT_EQ(m.league, "英格兰超级联赛");
  EXPECT_EQ(m.kick_off_date, "2024-03-01");
  EXPECT_EQ(m.kick_off_time, "18:00");
  EXPECT_EQ(m.second_time, "19:30");
  EXPECT_EQ(m.home_team, "曼联");
  EXPECT_EQ(m.away_team, "利物浦");
  EXPECT_TRUE(m.neutral_venue);
  EXPECT_FALSE(m.in_play);
}

TEST(MarketList, TwoSidesMakeOneBalancedPairAndAThirdLinePairsWithThePendingSide) {
  const auto odds = odds_of({"1|ok|0", kMatchLine, "9001|3|0|11|10|0.95|190|0|0|0",
                             "9001|3|0|12|-10|0.97|190|0|0|0", "9001|3|0|13|-14|0.80|190|0|0|0"});
  ASSERT_EQ(odds.size(), 4u);
  EXPECT_EQ(odds[0].selection_number, 11);
  EXPECT_NEAR(odds[0].price, 0.94, 1e-9);
  EXPECT_EQ(odds[1].selection_number, 12);
  EXPECT_NEAR(odds[1].price, 0.96, 1e-9);
  // The second pair: the pending (already balanced) first side with the new second side.
  EXPECT_EQ(odds[2].selection_number, 11);
  EXPECT_EQ(odds[3].selection_number, 13);
  EXPECT_NEAR(odds[2].price + odds[3].price, 1.90, 1e-9);
  EXPECT_NEAR(odds[2].price - odds[3].price, 0.94 - 0.80, 1e-9);
}

TEST(MarketList, ALineOfAnotherTypeClearsThePendingSide) {
  const auto odds = odds_of({"1|ok|0", kMatchLine, "9001|3|0|11|10|0.95|190|0|0|0",
                             "9001|0|0|21|-5|0.90|190|0|0|0", "9001|3|0|12|-10|0.97|190|0|0|0"});
  EXPECT_TRUE(odds.empty());
}

TEST(MarketList, OneSidedKindsAreAppendedAloneAndUnbalanced) {
  const auto odds =
      odds_of({"1|ok|0", kMatchLine, "9001|3|0|11|10|0.95|190|0|0|0", "9001|1|0|31|1|1.20|190|0|0|0",
               "9001|2|0|32|-3|7.5|190|0|0|0", "9001|42|0|33|1|0.5|190|0|0|0"});
  ASSERT_EQ(odds.size(), 3u);
  EXPECT_EQ(odds[0].market_type, 1);
  EXPECT_DOUBLE_EQ(odds[0].price, 1.20);
  EXPECT_DOUBLE_EQ(odds[1].price, 7.5);
  EXPECT_EQ(odds[2].market_type, 42);  // unknown codes are kept, alone
}

TEST(MarketList, ALineCodeOfZeroIsTheSecondSide) {
  const auto odds =
      odds_of({"1|ok|0", kMatchLine, "9001|6|0|12|0|0.90|190|0|0|0", "9001|6|0|11|9|0.90|190|0|0|0"});
  ASSERT_EQ(odds.size(), 2u);
  EXPECT_EQ(odds[0].selection_number, 11);  // first side first
  EXPECT_EQ(odds[1].selection_number, 12);
}

TEST(MarketList, AnOddsLineBeforeItsMatchLineIsTakenAsAMatchLine) {
  int peak = 0;
  std::vector<MatchRecord> matches;
  std::vector<OddsLine> odds;
  ASSERT_TRUE(parse_market_list(gbk_lines({"1|ok|0", "9002|3|0|11|10|0.95|190|0|0|0"}), peak, matches, odds));
  ASSERT_EQ(matches.size(), 1u);
  EXPECT_EQ(matches[0].match_number, 9002);
  EXPECT_TRUE(odds.empty());
}

TEST(MarketList, PeakFlagIsStoredWhateverTheOutcome) {
  int peak = 0;
  std::vector<MatchRecord> matches{MatchRecord{}};
  std::vector<OddsLine> odds{OddsLine{}};
  ASSERT_TRUE(parse_market_list(gbk_lines({"1||1"}), peak, matches, odds));
  EXPECT_EQ(peak, 1);
  EXPECT_TRUE(matches.empty());
  EXPECT_TRUE(odds.empty());

  matches.push_back(MatchRecord{});
  const auto refused = parse_market_list(gbk_lines({"0|高峰期|3", kMatchLine}), peak, matches, odds);
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error(), "高峰期");
  EXPECT_EQ(peak, 3);
  EXPECT_EQ(matches.size(), 1u);  // untouched
}

TEST(AsianHandicapList, SideRuleAndFlaggedPairs) {
  int peak = 0;
  std::vector<AsianHandicapRow> rows;
  ASSERT_TRUE(parse_asian_handicap_list(
      gbk_lines({"1|ok|0", kMatchLine, "9001|0|0|101|-1002|0.95|190|0|0", "9001|0|0|102|1002|0.97|190|0|0"}),
      peak, rows));
  ASSERT_EQ(rows.size(), 1u);
  const AsianHandicapRow& r = rows[0];
  EXPECT_EQ(r.home_selection, 101);  // -1002: home side, flagged
  EXPECT_EQ(r.away_selection, 102);  // 1002: away side
  EXPECT_TRUE(r.away_gives);
  EXPECT_EQ(r.size_code, 2);
  EXPECT_NEAR(r.home_price, 0.94, 1e-9);
  EXPECT_NEAR(r.away_price, 0.96, 1e-9);
  EXPECT_EQ(r.match_number, 9001);
  EXPECT_EQ(r.neutral_venue, 1);
  EXPECT_EQ(r.constant_one, 1);
  EXPECT_EQ(r.price_sum_target, 190);
  EXPECT_EQ(r.league, "英格兰超级联赛");
  EXPECT_EQ(r.kick_off_time, "18:00");
}

TEST(AsianHandicapList, EveryLaterLineOfTheMatchAppendsAnotherRow) {
  int peak = 0;
  std::vector<AsianHandicapRow> rows;
  ASSERT_TRUE(
      parse_asian_handicap_list(gbk_lines({"1|ok|0", kMatchLine, "9001|0|0|101|3|0.90|200|0|0",
                                           "9001|0|0|102|-3|0.90|200|0|0", "9001|0|0|103|5|0.80|200|0|0",
                                           "9002|0|联赛|45352.75|0|甲|乙|0|1", "9002|0|0|201|2|0.9|190|0|0"}),
                                peak, rows));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_FALSE(rows[0].away_gives);
  EXPECT_EQ(rows[0].size_code, 3);
  EXPECT_NEAR(rows[0].home_price, 1.0, 1e-9);
  EXPECT_EQ(rows[1].home_selection, 103);
  EXPECT_EQ(rows[1].away_selection, 102);
  EXPECT_EQ(rows[1].size_code, 5);
  // Match 9002 has one side only: no row.
}

TEST(OutrightEntries, FirstSidesCarryTwoMoreIntegersAndPairsAreBalanced) {
  std::vector<OutrightEntry> entries;
  ASSERT_TRUE(parse_outright_entries(gbk_lines({"1|ok", "7|1|0|1|4.5|0|拜仁|3|4", "7|1|0|2|6.0|0|皇马|5|6",
                                                "8|3|0|5|0.95|190|大|1|2", "8|3|0|-5|0.97|190|小"}),
                                     entries));
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[0].selection_name, "拜仁");
  EXPECT_EQ(entries[0].extra1, 3);
  EXPECT_EQ(entries[0].extra2, 4);
  EXPECT_NEAR(entries[2].price, 0.94, 1e-9);
  EXPECT_NEAR(entries[3].price, 0.96, 1e-9);
  EXPECT_EQ(entries[3].extra1, 0);
}

TEST(ParlayPrices, PairsWithinAMatchAndTypeOnly) {
  std::vector<OddsLine> odds;
  ASSERT_TRUE(parse_parlay_prices(
      gbk_lines({"1|ok", "1|0|11|3|0.95|190", "2|0|21|-3|0.97|190", "2|0|22|3|0.85|190", "3|1|31|1|1.5|0"}),
      odds));
  ASSERT_EQ(odds.size(), 3u);
  EXPECT_EQ(odds[0].selection_number, 22);
  EXPECT_EQ(odds[1].selection_number, 21);
  EXPECT_NEAR(odds[0].price + odds[1].price, 1.90, 1e-9);
  EXPECT_EQ(odds[2].selection_number, 31);
}

TEST(OpenMarketMatches, SevenFields) {
  std::vector<MatchRecord> matches;
  ASSERT_TRUE(
      parse_open_market_matches(gbk_lines({"1|ok", "9001|意甲|45352.75|45352.8125|米兰|国米|1"}), matches));
  ASSERT_EQ(matches.size(), 1u);
  EXPECT_EQ(matches[0].league, "意甲");
  EXPECT_EQ(matches[0].home_team, "米兰");
  EXPECT_TRUE(matches[0].neutral_venue);
  EXPECT_EQ(matches[0].line_kind, 0);
}

TEST(SuggestedPrices, InReplyOrder) {
  std::vector<SuggestedPriceRow> rows;
  ASSERT_TRUE(parse_suggested_prices(gbk_lines({"1|ok", "3|0|0.85", "1|2|1.9"}), rows));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].option_code, 3);
  EXPECT_EQ(rows[1].second, 2);
  EXPECT_DOUBLE_EQ(rows[1].price, 1.9);
}

TEST(BankerMarkets, GroupPerKeyAndChoiceWithTheMatchTextsCopied) {
  std::vector<BankerMarketGroup> groups;
  ASSERT_TRUE(parse_banker_markets(
      gbk_lines({"1|ok", "9001|45352.75|45352.8125|英超|曼联|利物浦", "9001|1|0|501|3|1000|0.9|200|庄家甲|1",
                 "9001|1|0|502|3|500|0.8|0|庄家乙|2", "9001|1|0|503|4|800|0.7|0|庄家甲|1",
                 "9002|45353.5|45353.6|意甲|米兰|国米", "9002|1|0|601|4|100|1.1|0|庄家丙|3"}),
      groups));
  ASSERT_EQ(groups.size(), 3u);
  EXPECT_EQ(groups[0].rows.size(), 2u);
  EXPECT_EQ(groups[0].league, "英超");
  EXPECT_EQ(groups[0].choice_code, 3);
  EXPECT_EQ(groups[0].rows[1].offer_id, 502);
  EXPECT_EQ(groups[0].rows[1].banker_nickname, "庄家乙");
  EXPECT_EQ(groups[0].rows[1].home_team, "曼联");
  EXPECT_EQ(groups[0].rows[1].kick_off_time, "18:00");
  EXPECT_EQ(groups[1].choice_code, 4);
  EXPECT_EQ(groups[2].home_team, "米兰");
  EXPECT_EQ(groups[2].rows[0].currency_code, 3);
}

TEST(InPlayLine, TenFieldsBalancedWhenTheFirstPriceIsSet) {
  InPlayLine line;
  ASSERT_TRUE(parse_in_play_line(gbk_lines({"1|ok|0|11|3|0.95|12|-3|0.97|190|1|0"}), line));
  EXPECT_EQ(line.first_selection, 11);
  EXPECT_NEAR(line.first_price, 0.94, 1e-9);
  EXPECT_NEAR(line.second_price, 0.96, 1e-9);
  EXPECT_EQ(line.home_score, 1);

  InPlayLine closed;
  ASSERT_TRUE(parse_in_play_line(gbk_lines({"1|ok|1|11|3|0|12|-3|0.97|190|1|0"}), closed));
  EXPECT_EQ(closed.closed, 1);
  EXPECT_DOUBLE_EQ(closed.second_price, 0.97);  // not balanced: no first price
}

TEST(MarketDataRequests, CountOfZeroSendsNothing) {
  brindle::testing::CatalogueFixture f;
  std::vector<OddsLine> odds{OddsLine{}};
  const auto refreshed = refresh_parlay_prices(f.session, {}, odds);
  EXPECT_FALSE(refreshed);
  EXPECT_EQ(refreshed.error(), kNothingChosenMessage);
  std::vector<OutrightEntry> entries;
  EXPECT_FALSE(fetch_outright_entries(f.session, {}, entries));
  EXPECT_TRUE(f.transport.exchanges().empty());
  EXPECT_EQ(odds.size(), 1u);
}

TEST(MarketDataRequests, MarketListStoresThePeakFlagInTheClientContext) {
  brindle::testing::CatalogueFixture f;
  f.reply({"1|ok|1"});
  std::vector<MatchRecord> matches;
  std::vector<OddsLine> odds;
  ASSERT_TRUE(fetch_market_list(f.session, 3, matches, odds));
  EXPECT_EQ(f.context.peak_period, 1);
}

TEST(MarketDataRequests, TransportFailureLeavesListsAndFlagAlone) {
  brindle::testing::CatalogueFixture f;
  f.context.peak_period = 5;
  f.transport.fail("网络错误，请检查您选择的服务器是否正确！\n");
  std::vector<MatchRecord> matches{MatchRecord{}};
  std::vector<OddsLine> odds;
  const auto outcome = fetch_outright_list(f.session, matches, odds);
  ASSERT_FALSE(outcome);
  EXPECT_EQ(outcome.error(), "网络错误，请检查您选择的服务器是否正确！\n");
  EXPECT_EQ(matches.size(), 1u);
  EXPECT_EQ(f.context.peak_period, 5);
}

}  // namespace
