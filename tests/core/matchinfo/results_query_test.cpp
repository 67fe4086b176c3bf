#include "core/matchinfo/results_query.h"

#include <gtest/gtest.h>

#include "../accounts/accounts_fixture.h"

namespace brindle::matchinfo {
namespace {

using Rows = std::vector<std::vector<std::string>>;

struct ResultsFixture : testing::AccountsFixture {
  ResultsQueryModel model{session, messages, opening_results_range({2026, 3, 2, 10, 0, 0})};
};

TEST(ResultsQuery, OpeningRangeStartsTheDayBeforeAtOneSecond) {
  struct Case {
    wire::CivilDateTime today;
    wire::CivilDateTime start;
  } cases[] = {
      {{2026, 3, 2, 10, 0, 0}, {2026, 3, 1, 0, 0, 1}},
      {{2026, 3, 1, 0, 0, 0}, {2026, 2, 28, 0, 0, 1}},
      {{2027, 1, 1, 23, 59, 59}, {2026, 12, 31, 0, 0, 1}},
  };
  for (const auto& c : cases) {
    const auto range = opening_results_range(c.today);
    EXPECT_EQ(range.start, c.start);
    EXPECT_EQ(range.end, (wire::CivilDateTime{c.today.year, c.today.month, c.today.day, 23, 59, 59}));
  }
}

TEST(ResultsQuery, RangeRefusals) {
  struct Case {
    protocol::DateRange range;
    std::optional<std::string> refusal;
  } cases[] = {
      {{{2026, 3, 1, 0, 0, 1}, {2026, 3, 31, 23, 59, 59}}, std::nullopt},
      {{{2026, 3, 1, 0, 0, 1}, {2026, 4, 1, 23, 59, 59}}, kResultsRangeTooLongText},
      {{{2026, 3, 1, 0, 0, 0}, {2026, 4, 1, 0, 59, 59}}, std::nullopt},            // 744 h 59 min 59 s
      {{{2026, 3, 1, 0, 0, 0}, {2026, 4, 1, 1, 0, 0}}, kResultsRangeTooLongText},  // 745 h
      {{{2026, 3, 1, 0, 0, 1}, {2026, 3, 1, 0, 0, 1}}, std::nullopt},
      {{{2026, 3, 2, 0, 0, 1}, {2026, 3, 1, 23, 59, 59}}, kResultsEndBeforeStartText},
      {{{2026, 2, 30, 0, 0, 1}, {2026, 3, 1, 23, 59, 59}}, kResultsEndBeforeStartText},
  };
  for (const auto& c : cases) EXPECT_EQ(results_range_refusal(c.range), c.refusal);
}

TEST(ResultsQuery, RefusalsSendNothingOnEveryTab) {
  for (const auto tab : {ResultsTab::results, ResultsTab::fixtures, ResultsTab::outright_index}) {
    for (const auto& range : {protocol::DateRange{{2026, 3, 1, 0, 0, 1}, {2026, 4, 1, 23, 59, 59}},
                              protocol::DateRange{{2026, 3, 2, 0, 0, 1}, {2026, 3, 1, 23, 59, 59}}}) {
      ResultsFixture f;
      f.model.set_range(range);
      f.model.select_tab(tab);
      EXPECT_TRUE(f.transport.exchanges().empty());
      EXPECT_EQ(f.messages.texts.size(), 1u);
      EXPECT_FALSE(f.model.queried(tab));
    }
  }
}

TEST(ResultsQuery, RowsPerTab) {
  protocol::ResultItem counted{"英超", "阿森纳", "切尔西", 2, 1, "2026-03-01 20:00:00", 6, 1, 0, "阿森纳"};
  protocol::ResultItem void_match = counted;
  void_match.away_goals = -1;
  void_match.receive_flag = 0;
  EXPECT_EQ(results_row(ResultsTab::results, counted),
            (std::vector<std::string>{"2026-03-01 20:00:00", "英超", "阿森纳 vs 切尔西", "2 : 1",
                                      "受让一球/球半"}));
  EXPECT_EQ(results_row(ResultsTab::results, void_match)[3], kNoValidMatchText);
  EXPECT_EQ(results_row(ResultsTab::results, void_match)[4], "一球/球半");
  EXPECT_EQ(results_row(ResultsTab::fixtures, counted),
            (std::vector<std::string>{"2026-03-01 20:00:00", "英超", "阿森纳 vs 切尔西"}));
  EXPECT_EQ(results_row(ResultsTab::outright_index, counted),
            (std::vector<std::string>{"2026-03-01 20:00:00", "英超", "阿森纳", "阿森纳", "受让一球/球半"}));
  EXPECT_EQ(results_row(ResultsTab::outright_index, void_match)[3], kNoValidMatchText);
  EXPECT_EQ(results_columns(ResultsTab::fixtures).size(), 3u);
  EXPECT_EQ(results_columns(ResultsTab::outright_index)[4].title, "盘口");
}

TEST(ResultsQuery, EachTabSendsItsRequestOnceAndKeepsItsReply) {
  ResultsFixture f;
  f.reply({"1|ok", "英超|阿森纳|切尔西|2|1|46082.5|1|0|0|"});
  f.model.open();
  f.reply({"1|ok", "意甲|国米|米兰|-1|-1|46090.5|1|0|0|", "西甲|皇马|巴萨|-1|-1|46091.5|1|0|0|"});
  f.model.select_tab(ResultsTab::fixtures);
  f.reply({"0|没有记录"});
  f.model.select_tab(ResultsTab::outright_index);
  EXPECT_TRUE(f.model.rows().empty());
  EXPECT_EQ(f.messages.texts, std::vector<std::string>{"没有记录"});

  f.model.select_tab(ResultsTab::fixtures);
  f.model.select_tab(ResultsTab::results);
  EXPECT_EQ(f.subjects(), (std::vector<int>{4025, 4025, 4040}));
  EXPECT_EQ(f.paras(), (std::vector<std::string>{"20260301000001|20260302235959", "-1|-1",
                                                 "20260301000001|20260302235959"}));
  EXPECT_EQ(f.model.rows(), (Rows{{"2026-03-01 12:00:00", "英超", "阿森纳 vs 切尔西", "2 : 1", "平手"}}));
  f.model.select_tab(ResultsTab::fixtures);
  EXPECT_EQ(f.model.rows().size(), 2u);
  EXPECT_EQ(f.model.columns().size(), 3u);

  // A failed repeat empties the list, and the tab stays empty when it comes back: the rows of the
  // reply before are not shown as if they were current.
  f.reply({"0|服务器忙"});
  EXPECT_FALSE(f.model.query());
  EXPECT_TRUE(f.model.rows().empty());
  f.model.select_tab(ResultsTab::results);
  f.model.select_tab(ResultsTab::fixtures);
  EXPECT_TRUE(f.model.rows().empty());
  // A tab whose first query failed is not asked again on every switch; 查询 asks again.
  f.model.select_tab(ResultsTab::outright_index);
  EXPECT_EQ(f.transport.exchanges().size(), 4u);
  f.reply({"1|ok"});
  EXPECT_TRUE(f.model.query());
  EXPECT_EQ(f.subjects().back(), 4040);
  EXPECT_EQ(f.transport.exchanges().size(), 5u);
}

}  // namespace
}  // namespace brindle::matchinfo
