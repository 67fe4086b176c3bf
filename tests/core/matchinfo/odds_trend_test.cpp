#include "core/matchinfo/odds_trend.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace brindle::matchinfo {
namespace {

std::string three_places(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.3f", value);
  return buffer;
}

TEST(TrendOdds, BalanceThePriceAgainstTheLinesTarget) {
  const struct {
    double price;
    int target;
    const char* shown;
  } cases[] = {{0.9, 180, "1.900"}, {0.9, 190, "1.950"}, {0.85, 190, "1.900"}, {1.0, 170, "1.950"}};
  for (const auto& c : cases) EXPECT_EQ(three_places(trend_odds(c.price, c.target)), c.shown) << c.target;
}

TEST(OddsTrendPlot, KeepsTheLast16PointsOnUnitSteps) {
  ports::OddsTrend trend{{}, "红队", false, 1, 180};
  for (int i = 1; i <= 20; ++i) trend.points.push_back({"", 1, 0.8 + i * 0.005, 0});
  const TrendPlot plot = odds_trend_plot(trend);
  ASSERT_EQ(plot.points.size(), 16u);
  EXPECT_EQ(three_places(plot.points.front().y), "1.825");  // the fifth point
  EXPECT_EQ(three_places(plot.points.back().y), "1.900");   // the twentieth
  EXPECT_EQ(plot.points.front().x, 1.0);
  EXPECT_EQ(plot.points.back().x, 16.0);
  EXPECT_EQ(plot.x_min, 0.0);
  EXPECT_EQ(plot.x_max, 17.0);
  EXPECT_EQ(plot.title, "红队队赔率走势");
  EXPECT_EQ(plot.y_min, 1.4);
  EXPECT_EQ(plot.y_max, 2.4);

  trend.points.resize(3);
  EXPECT_EQ(odds_trend_plot(trend).points.size(), 3u);
  EXPECT_EQ(odds_trend_plot(trend).x_max, 4.0);
  trend.points.clear();
  EXPECT_TRUE(odds_trend_plot(trend).points.empty());
}

TEST(OddsTrendPlot, LabelsTheReceivingSide) {
  const struct {
    bool shown_away;
    int away_gives;
    const char* label;
  } cases[] = {{false, 0, "一球"}, {false, 1, "受让一球"}, {true, 0, "受让一球"}, {true, 1, "一球"}};
  for (const auto& c : cases) {
    const ports::OddsTrend trend{{{"", 5, 0.9, c.away_gives}}, "蓝队", c.shown_away, 1, 180};
    EXPECT_EQ(odds_trend_plot(trend).points.at(0).label, c.label) << c.shown_away << c.away_gives;
  }
}

TEST(OddsTrendPlot, LabelsOnlyWhereTheLineChanges) {
  const ports::OddsTrend trend{
      {{"", 5, 0.9, 0}, {"", 5, 0.92, 0}, {"", 5, 0.9, 1}, {"", 6, 0.9, 1}, {"", 6, 0.88, 1}},
      "蓝队",
      false,
      1,
      180};
  std::vector<bool> labelled;
  for (const auto& point : odds_trend_plot(trend).points) labelled.push_back(point.labelled);
  EXPECT_EQ(labelled, (std::vector<bool>{true, false, true, true, false}));
}

}  // namespace
}  // namespace brindle::matchinfo
