#include "server/market/market_clock.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "market_fixture.h"
#include "server/market/market_store.h"
#include "server/market/match_result.h"
#include "server/market/match_script.h"

namespace brindle::server::market {
namespace {

using testing::MarketFixture;

constexpr std::int64_t kKickoff = 1'000'000;

TEST(MatchScript, StateFollowsTheWallClockThroughBothHalvesAndTheBreak) {
  const MatchScript script{{10, 1, 0}, {44, 0, 1}, {80, 1, 0}};
  struct Case {
    std::int64_t after_seconds;
    MatchStatus status;
    int minute;
    Score score;
    bool suspended;
  };
  const Case cases[] = {
      {-1, MatchStatus::scheduled, 0, {0, 0}, false},
      {0, MatchStatus::in_play, 1, {0, 0}, false},
      {9 * 60, MatchStatus::in_play, 10, {1, 0}, true},  // the goal's own minute
      {10 * 60, MatchStatus::in_play, 11, {1, 0}, true},
      {11 * 60, MatchStatus::in_play, 12, {1, 0}, false},
      {50 * 60, MatchStatus::in_play, 45, {1, 1}, false},  // half time: no suspension
      {60 * 60, MatchStatus::in_play, 46, {1, 1}, false},
      {104 * 60 + 59, MatchStatus::in_play, 90, {2, 1}, false},
      {105 * 60, MatchStatus::finished, 90, {2, 1}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.after_seconds);
    const auto state = state_at(Sport::football, script, kKickoff, kKickoff + c.after_seconds);
    EXPECT_EQ(state.status, c.status);
    EXPECT_EQ(state.minute, c.minute);
    EXPECT_EQ(state.score, c.score);
    EXPECT_EQ(state.suspended, c.suspended);
  }
}

TEST(MatchScript, BasketballSuspendsOnlyInItsBreak) {
  const MatchScript script{{1, 2, 0}, {24, 3, 2}, {48, 0, 2}};
  EXPECT_FALSE(state_at(Sport::basketball, script, kKickoff, kKickoff + 30).suspended);
  const auto in_break = state_at(Sport::basketball, script, kKickoff, kKickoff + 30 * 60);
  EXPECT_TRUE(in_break.suspended);
  EXPECT_EQ(in_break.score, (Score{5, 2}));
  EXPECT_EQ(state_at(Sport::basketball, script, kKickoff, kKickoff + 60 * 60).status, MatchStatus::finished);
}

TEST(MatchScript, TextRoundTripsAndMalformedScriptsAreRefused) {
  const MatchScript script{{3, 1, 0}, {77, 0, 2}};
  EXPECT_EQ(parse_script(script_text(script), Sport::football), script);
  EXPECT_EQ(parse_script("", Sport::football), MatchScript{});
  for (const char* bad : {"0:1:0", "91:1:0", "5:1:0,5:0:1", "6:1:0,5:0:1", "5:0:0", "5:1", "5:1:0,", "5:-1:2",
                          "a:1:0", "5:1:0;6:1:0"}) {
    EXPECT_FALSE(parse_script(bad, Sport::football)) << bad;
  }
  EXPECT_TRUE(parse_script("48:2:0", Sport::basketball));
  EXPECT_FALSE(parse_script("49:2:0", Sport::basketball));
}

TEST(InPlayLines, TotalsStayAboveTheScoreAndTheHandicapShrinksAsTimeRunsOut) {
  MatchState early{MatchStatus::in_play, 5, {0, 0}, false};
  MatchState late{MatchStatus::in_play, 88, {3, 0}, false};
  const auto early_totals = in_play_totals(Sport::football, 2.6, early);
  const auto late_totals = in_play_totals(Sport::football, 2.6, late);
  EXPECT_GT(early_totals.first_code, 0);
  EXPECT_EQ(early_totals.second_code, -early_totals.first_code);
  EXPECT_GT((late_totals.first_code - 1) / 4.0, 3.0) << "the line is never already decided";
  const auto early_handicap = in_play_handicap(Sport::football, 1.5, early);
  const auto late_handicap = in_play_handicap(Sport::football, 1.5, late);
  EXPECT_GT(handicap_code_of(early_handicap.first_code), handicap_code_of(late_handicap.first_code));
  EXPECT_EQ(early_handicap.first_price + early_handicap.second_price, kInPlayTarget * 10);
}

// A league and a match with a script of the test's own, on the fixture's market clock.
class FeedTest : public ::testing::Test {
 protected:
  FeedTest() : fixture_(false) {
    fixture_.exec("INSERT INTO market_leagues (id, name, sport) VALUES (1, '测试联赛', 0)");
    add_match(501, MarketFixture::kNow + 60, "10:1:0,30:0:1,70:1:0", true);
    add_match(502, MarketFixture::kNow + 600, "", false);
    fixture_.exec(
        "INSERT INTO market_lines (selection_id, match_id, market_type, slot, line_code, price_milli,"
        " price_sum_target) VALUES (9001, 501, 0, 0, 3, 950, 190), (9002, 501, 0, 1, -3, 950, 190)");
  }

  void add_match(MatchId id, std::int64_t kickoff, const std::string& script, bool in_play) {
    fixture_.exec(
        "INSERT INTO market_matches (id, league_id, home, away, kickoff, ends_at, neutral, offers_in_play,"
        " in_parlay, script, supremacy, expected_total, handicap_delay, totals_delay) VALUES (" +
        std::to_string(id) + ", 1, '甲队', '乙队', " + std::to_string(kickoff) + ", " +
        std::to_string(kickoff + 105 * 60) + ", 0, " + (in_play ? "1" : "0") + ", 1, '" + script +
        "', 75, 260, 5, 0)");
  }

  Match match(MatchId id) {
    auto s = fixture_.snapshot();
    return *s.find_match(id);
  }

  std::vector<Line> lines(MatchId id, MarketType type) {
    auto s = fixture_.snapshot();
    std::vector<Line> found;
    for (const Line* line : s.lines_of(id)) {
      if (line->type == type) found.push_back(*line);
    }
    return found;
  }

  std::optional<Quote> quote(SelectionId id) {
    auto q = fixture_.db().read([id](storage::Connection& c) { return read_quote(c, id); });
    EXPECT_TRUE(q) << q.error();
    return q.value();
  }

  MarketFixture fixture_;
};

TEST_F(FeedTest, KickOffClosesPreMatchLinesAndOpensInPlayLines) {
  ASSERT_TRUE(quote(9001)->open);
  auto report = advance_clock(fixture_.db(), std::chrono::minutes(2));
  ASSERT_TRUE(report) << report.error();
  EXPECT_EQ(report->started, std::vector<MatchId>{501});

  EXPECT_EQ(match(501).status, MatchStatus::in_play);
  EXPECT_EQ(quote(9001)->closed_text, kMatchStartedText);
  const auto handicap = lines(501, MarketType::in_play_handicap);
  const auto totals = lines(501, MarketType::in_play_over_under);
  ASSERT_EQ(handicap.size(), 2u);
  ASSERT_EQ(totals.size(), 2u);
  EXPECT_EQ(handicap[0].status, LineStatus::open);
  EXPECT_TRUE(quote(handicap[0].selection_id)->open);
  EXPECT_TRUE(lines(502, MarketType::in_play_handicap).empty()) << "not yet kicked off";
}

TEST_F(FeedTest, AGoalSuspendsTheInPlayLinesForTwoMinutesAndMovesTheScore) {
  ASSERT_TRUE(advance_clock(fixture_.db(), std::chrono::minutes(11)));  // playing minute 10: 1:0
  EXPECT_EQ(match(501).score, (Score{1, 0}));
  for (const auto& line : lines(501, MarketType::in_play_handicap)) {
    EXPECT_GE(static_cast<int>(line.status), 2);
    EXPECT_EQ(quote(line.selection_id)->closed_text, kLineSuspendedText);
  }
  ASSERT_TRUE(advance_clock(fixture_.db(), std::chrono::minutes(2)));
  for (const auto& line : lines(501, MarketType::in_play_handicap)) EXPECT_EQ(line.status, LineStatus::open);
}

TEST_F(FeedTest, AMovedLineTakesANewSelectionNumberSoOldBetsCannotLandOnIt) {
  ASSERT_TRUE(advance_clock(fixture_.db(), std::chrono::minutes(2)));
  const auto before = lines(501, MarketType::in_play_over_under);
  ASSERT_TRUE(advance_clock(fixture_.db(), std::chrono::minutes(40)));  // two goals later
  const auto after = lines(501, MarketType::in_play_over_under);
  ASSERT_EQ(after.size(), 2u);
  ASSERT_NE(before[0].line_code, after[0].line_code);
  EXPECT_NE(before[0].selection_id, after[0].selection_id);
  EXPECT_FALSE(quote(before[0].selection_id).has_value());
}

TEST_F(FeedTest, TheClockFinishesAMatchWithItsScriptedResultAndQueuesOneNotice) {
  ASSERT_TRUE(advance_clock(fixture_.db(), std::chrono::minutes(3 * 60)));
  const Match m = match(501);
  EXPECT_EQ(m.status, MatchStatus::finished);
  EXPECT_EQ(m.result, (Score{2, 1}));
  const auto snapshot = fixture_.snapshot();  // the lines point into it
  for (const Line* line : snapshot.lines_of(501)) EXPECT_EQ(line->status, LineStatus::closed);

  auto outcome = fixture_.db().read([](storage::Connection& c) { return read_outcome(c, 501); });
  ASSERT_TRUE(outcome && outcome.value());
  EXPECT_EQ(outcome.value()->result, (Score{2, 1}));

  std::vector<MatchId> notified;
  auto delivered = deliver_finished_matches(fixture_.db(), [&](MatchId id) -> Result<void> {
    notified.push_back(id);
    return {};
  });
  ASSERT_TRUE(delivered);
  EXPECT_EQ(notified, (std::vector<MatchId>{501, 502}));
  notified.clear();
  ASSERT_TRUE(deliver_finished_matches(fixture_.db(), [&](MatchId id) -> Result<void> {
    notified.push_back(id);
    return {};
  }));
  EXPECT_TRUE(notified.empty()) << "each notice is delivered once it succeeded";
}

TEST_F(FeedTest, AFailedNoticeIsDeliveredAgainLater) {
  ASSERT_TRUE(post_result(fixture_.db(), 502, 0, 0));
  auto failed =
      deliver_finished_matches(fixture_.db(), [](MatchId) { return Result<void>::failure("busy"); });
  ASSERT_FALSE(failed);
  EXPECT_EQ(failed.error(), "busy");
  int calls = 0;
  auto retried = deliver_finished_matches(fixture_.db(), [&](MatchId) -> Result<void> {
    ++calls;
    return {};
  });
  ASSERT_TRUE(retried);
  EXPECT_EQ(retried.value(), 1);
  EXPECT_EQ(calls, 1);
}

TEST_F(FeedTest, RunningTheFeedTwiceChangesNothingMore) {
  ASSERT_TRUE(advance_clock(fixture_.db(), std::chrono::minutes(20)));
  const auto before = fixture_.snapshot();
  auto again = run_feed(fixture_.db());
  ASSERT_TRUE(again);
  EXPECT_TRUE(again->started.empty() && again->finished.empty());
  EXPECT_EQ(again->line_changes, 0);
  EXPECT_EQ(fixture_.snapshot().version, before.version);
}

TEST_F(FeedTest, TheClockNeverGoesBack) {
  EXPECT_FALSE(advance_clock(fixture_.db(), std::chrono::minutes(-5)));
  EXPECT_FALSE(advance_clock(fixture_.db(), std::chrono::minutes(kMaxAdvanceMinutes + 1)));
}

TEST_F(FeedTest, PostedResultsFinishTheMatchAndAreNotRewritten) {
  ASSERT_TRUE(post_result(fixture_.db(), 502, 3, 1));
  EXPECT_EQ(match(502).result, (Score{3, 1}));
  EXPECT_TRUE(post_result(fixture_.db(), 502, 3, 1)) << "the same result again is harmless";
  EXPECT_FALSE(post_result(fixture_.db(), 502, 1, 3));
  EXPECT_EQ(match(502).result, (Score{3, 1}));

  // The clock leaves a posted match alone.
  ASSERT_TRUE(advance_clock(fixture_.db(), std::chrono::minutes(3 * 60)));
  EXPECT_EQ(match(502).result, (Score{3, 1}));

  for (auto [id, home, away] :
       {std::tuple{501, -1, 0}, {501, 0, -2}, {501, kMaxPostedGoals + 1, 0}, {777, 1, 0}}) {
    EXPECT_FALSE(post_result(fixture_.db(), id, home, away)) << id << " " << home << ":" << away;
  }
}

TEST(OutrightResults, TheWinningPlaceMustBeASelectionOfTheEvent) {
  MarketFixture fixture;
  const auto s = fixture.snapshot();
  const OutrightEvent& event = s.events.front();
  EXPECT_FALSE(post_result(fixture.db(), event.id, 45, 0));
  EXPECT_FALSE(post_result(fixture.db(), event.id, 1, 1));
  ASSERT_TRUE(post_result(fixture.db(), event.id, 2, 0));
  auto outcome = fixture.db().read([&](storage::Connection& c) { return read_outcome(c, event.id); });
  ASSERT_TRUE(outcome && outcome.value());
  EXPECT_TRUE(outcome.value()->outright);
  EXPECT_EQ(outcome.value()->winning_place, 2);
  EXPECT_FALSE(post_result(fixture.db(), event.id, 3, 0));
}

TEST(OutrightQuotes, ClosedEventsClosedMarketsAndDisabledSelectionsTakeNoBets) {
  MarketFixture fixture;
  auto market = fixture.open_market();
  const auto s = market->snapshot();
  int open = 0;
  for (const auto& o : s->outright_selections) {
    const auto q = market->quote(o.selection_id);
    ASSERT_TRUE(q);
    const OutrightEvent* e = s->find_event(o.event_id);
    EXPECT_EQ(q->open, !e->closed && !e->market_closed && !o.disabled);
    EXPECT_TRUE(q->outright);
    open += q->open;
  }
  EXPECT_GT(open, 0);
  EXPECT_FALSE(market->quote(1));
}

}  // namespace
}  // namespace brindle::server::market
