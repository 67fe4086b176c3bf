// The match history and the odds trend of a coming match of the seeded reference server, through the
// core: every tab answers with rows (the seed gives each coming pair past meetings), the team lists
// read from the right side, and the trend brings the earlier prices and the current one.

#include "core/matchinfo/match_history.h"

#include <gtest/gtest.h>

#include <string>

#include "core/betting/asian_handicap_hall.h"
#include "core/matchinfo/odds_trend.h"
#include "seeded_market.h"

namespace {

using namespace brindle;

class MatchHistoryAgainstServer : public brindle::testing::SeededMarketTest {
 protected:
  void SetUp() override {
    if (!start_signed_in(/*run_feed=*/false)) return;
    ASSERT_NO_FATAL_FAILURE(refresh_quietly(hall_));
    ASSERT_GT(hall_.line_count(), 0u);
  }

  betting::AsianHandicapHall hall_{services()};
};

TEST_F(MatchHistoryAgainstServer, EveryTabShowsTheFinishedMatches) {
  const auto& row = hall_.rows().back();
  hall_.click(hall_.rows().size() - 1, betting::AsianHandicapHall::kHistory);
  ASSERT_EQ(windows_.histories.size(), 1u);

  matchinfo::MatchHistory history(session_, row.match_number, row.home_team, row.away_team, row.line_kind);
  for (const auto tab : {matchinfo::HistoryTab::kRecentSix, matchinfo::HistoryTab::kHomeAway,
                         matchinfo::HistoryTab::kHeadToHead}) {
    const auto& view = history.open_tab(tab);
    EXPECT_TRUE(view.failures.empty()) << view.failures.front();
    EXPECT_FALSE(view.upper.empty()) << static_cast<int>(tab);
    if (tab != matchinfo::HistoryTab::kHeadToHead) {
      EXPECT_FALSE(view.lower.empty()) << static_cast<int>(tab);
      EXPECT_LE(view.upper.size(), tab == matchinfo::HistoryTab::kRecentSix ? 6u : 3u);
    }
    // The home team's list names it in every match; on the second tab it played at home.
    for (const auto& r : view.upper) {
      EXPECT_NE(r[1].find(row.home_team), std::string::npos) << r[1];
      if (tab == matchinfo::HistoryTab::kHomeAway) {
        EXPECT_EQ(r[1].rfind(row.home_team, 0), 0u) << r[1];
      }
      EXPECT_FALSE(r[3].empty());  // the seeded matches all had a line
    }
  }
  const auto& meetings = history.open_tab(matchinfo::HistoryTab::kHeadToHead).upper;
  EXPECT_TRUE(meetings.front()[1] == row.home_team + " vs " + row.away_team ||
              meetings.front()[1] == row.away_team + " vs " + row.home_team);
}

TEST_F(MatchHistoryAgainstServer, TheTrendBringsEarlierAndCurrentPrices) {
  const std::size_t at = hall_.rows().size() - 1;
  hall_.click(at, betting::AsianHandicapHall::kTrend);
  ASSERT_TRUE(messages_.texts.empty()) << messages_.texts.front();
  ASSERT_EQ(windows_.trends.size(), 1u);
  const auto& trend = windows_.last_trend;
  const auto& row = hall_.rows()[at];
  EXPECT_EQ(trend.team, row.away_gives ? row.away_team : row.home_team);
  ASSERT_GE(trend.points.size(), 10u);
  const auto plot = matchinfo::odds_trend_plot(trend);
  for (const auto& p : plot.points) {
    EXPECT_GE(p.y, plot.y_min);
    EXPECT_LE(p.y, plot.y_max);
    EXPECT_FALSE(p.label.empty());
  }
  // The last point is the line as the hall shows it now.
  const double shown = row.away_gives ? row.away_price : row.home_price;
  EXPECT_NEAR(trend.points.back().price, shown, 1e-9);
}

}  // namespace
