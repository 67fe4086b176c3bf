#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/notation/odds_format.h"
#include "core/ports/trend_point.h"

namespace brindle::matchinfo {

// The chart shows at most this many of the latest points.
inline constexpr std::size_t kTrendPointLimit = 16;

struct PlotPoint {
  double x = 0.0;
  double y = 0.0;  // displayed odds after balancing, in the plot's odds format
  std::string label;
  // Drawn beside the point only where the line changes (and at the first point): sixteen labels
  // of one handicap side by side would lie over one another.
  bool labelled = true;
};

// What the trend chart draws; the chart control only places it.
struct TrendPlot {
  std::string title;
  std::vector<PlotPoint> points;  // x = 1 … n in reply order
  double x_min = 0.0;
  double x_max = 1.0;  // n + 1
  double x_step = 1.0;
  double y_min = 1.4;
  double y_max = 2.4;
  double y_step = 0.05;
  double y_minor_step = 0.025;
};

// The displayed odds of a price on a line whose two prices sum to `price_sum_target` hundredths.
double trend_odds(double price, int price_sum_target);

// Decimal odds keep the chart's fixed 1.40 … 2.40 scale; another format names itself in the title and
// has a scale fitted to its points (Malay and Indonesian figures change sign around the even price).
TrendPlot odds_trend_plot(const ports::OddsTrend& trend,
                          notation::OddsFormat format = notation::OddsFormat::kDecimal);

}  // namespace brindle::matchinfo
