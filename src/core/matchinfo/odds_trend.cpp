#include "core/matchinfo/odds_trend.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "core/notation/handicap_notation.h"
#include "core/notation/price_balance.h"

namespace brindle::matchinfo {
namespace {

// The trend reply carries one side's price; the pair is rebuilt against the 1.80 a line is quoted at.
constexpr double kQuotedPairSum = 1.8;
// A fitted scale leaves this much above and below the points, and keeps major ticks at most this many.
constexpr double kScaleMargin = 0.05;
constexpr double kMostTicks = 20.0;

// The y scale of a non-decimal chart: the points' range with a margin, on steps of 0.05, 0.1, 0.25,
// 0.5 or 1 so that the ticks stay readable. Without points, the Hong Kong scale of the decimal one.
void fit_scale(TrendPlot& plot) {
  if (plot.points.empty()) {
    plot.y_min -= 1.0;
    plot.y_max -= 1.0;
    return;
  }
  const auto [low, high] =
      std::minmax_element(plot.points.begin(), plot.points.end(),
                          [](const PlotPoint& a, const PlotPoint& b) { return a.y < b.y; });
  const double bottom = low->y - kScaleMargin;
  const double top = high->y + kScaleMargin;
  for (const double step : {0.05, 0.1, 0.25, 0.5, 1.0}) {
    plot.y_step = step;
    plot.y_minor_step = step / 2.0;
    plot.y_min = std::floor(bottom / step) * step;
    plot.y_max = std::ceil(top / step) * step;
    if ((plot.y_max - plot.y_min) / step <= kMostTicks) return;
  }
}

}  // namespace

double trend_odds(double price, int price_sum_target) {
  return notation::balance_prices(price_sum_target, price, kQuotedPairSum - price).first + 1.0;
}

TrendPlot odds_trend_plot(const ports::OddsTrend& trend, notation::OddsFormat format) {
  TrendPlot plot;
  plot.title = notation::odds_title(trend.team + "队赔率走势", format);
  const auto& all = trend.points;
  const std::size_t first = all.size() > kTrendPointLimit ? all.size() - kTrendPointLimit : 0;
  for (std::size_t i = first; i < all.size(); ++i) {
    const ports::TrendPoint& point = all[i];
    // The away side gave at that time: the home team received it, and the other way round.
    const bool receiving = trend.shown_away ? point.away_gives == 0 : point.away_gives != 0;
    PlotPoint shown;
    shown.x = static_cast<double>(plot.points.size() + 1);
    shown.y = trend_odds(point.price, trend.price_sum_target);
    if (format != notation::OddsFormat::kDecimal) {
      // A balanced price below 0 cannot be shown in the other formats: the point is left out.
      const auto figure = notation::convert_odds(shown.y - 1.0, format);
      if (!figure) continue;
      shown.y = *figure;
    }
    shown.label = (receiving ? "受让" : "") + notation::handicap_name(trend.line_kind, point.handicap_code);
    shown.labelled = plot.points.empty() || plot.points.back().label != shown.label;
    plot.points.push_back(std::move(shown));
  }
  plot.x_max = static_cast<double>(plot.points.size() + 1);
  if (format != notation::OddsFormat::kDecimal) fit_scale(plot);
  return plot;
}

}  // namespace brindle::matchinfo
