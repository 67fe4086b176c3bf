#include "core/matchinfo/odds_trend.h"

#include <utility>

#include "core/notation/handicap_notation.h"
#include "core/notation/price_balance.h"

namespace brindle::matchinfo {
namespace {

// The trend reply carries one side's price; the pair is rebuilt against the 1.80 a line is quoted at.
constexpr double kQuotedPairSum = 1.8;

}  // namespace

double trend_odds(double price, int price_sum_target) {
  return notation::balance_prices(price_sum_target, price, kQuotedPairSum - price).first + 1.0;
}

TrendPlot odds_trend_plot(const ports::OddsTrend& trend) {
  TrendPlot plot;
  plot.title = trend.team + "队赔率走势";
  const auto& all = trend.points;
  const std::size_t first = all.size() > kTrendPointLimit ? all.size() - kTrendPointLimit : 0;
  for (std::size_t i = first; i < all.size(); ++i) {
    const ports::TrendPoint& point = all[i];
    // The away side gave at that time: the home team received it, and the other way round.
    const bool receiving = trend.shown_away ? point.away_gives == 0 : point.away_gives != 0;
    PlotPoint shown;
    shown.x = static_cast<double>(plot.points.size() + 1);
    shown.y = trend_odds(point.price, trend.price_sum_target);
    shown.label = (receiving ? "受让" : "") + notation::handicap_name(trend.line_kind, point.handicap_code);
    plot.points.push_back(std::move(shown));
  }
  plot.x_max = static_cast<double>(plot.points.size() + 1);
  return plot;
}

}  // namespace brindle::matchinfo
