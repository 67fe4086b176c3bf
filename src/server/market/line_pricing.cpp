#include "server/market/line_pricing.h"

#include <algorithm>
#include <cmath>

namespace brindle::server::market {
namespace {

constexpr int kMinPrice = 10;  // 0.010: a line is never priced at nothing
constexpr int kMaxPrice = 200'000;

int clamp_price(double milli) {
  return std::clamp(static_cast<int>(std::lround(milli)), kMinPrice, kMaxPrice);
}

// Splits the pair's total so that the side the rounding favours is paid less.
TwoSidedQuote split(int first_code, int second_code, double first_lean, int target) {
  const int total = target * 10;
  const int lean = std::clamp(static_cast<int>(std::lround(first_lean)), -120, 120);
  TwoSidedQuote quote;
  quote.first_code = first_code;
  quote.second_code = second_code;
  quote.first_price = total / 2 + lean;
  quote.second_price = total - quote.first_price;
  quote.target = target;
  return quote;
}

double poisson(double lambda, int k) {
  double p = std::exp(-lambda);
  for (int i = 1; i <= k; ++i) p *= lambda / i;
  return p;
}

constexpr int kGoalsModelled = 10;

struct Lambdas {
  double home;
  double away;
};

Lambdas lambdas(double margin, double total) {
  return {std::max(0.2, (total + margin) / 2), std::max(0.2, (total - margin) / 2)};
}

double score_probability(Lambdas l, int home, int away) {
  return poisson(l.home, home) * poisson(l.away, away);
}

int price_of(double probability, double margin) {
  if (probability <= 0) return kMaxPrice;
  return clamp_price(1000.0 / (probability * (1.0 + margin)) - 1000.0);
}

constexpr std::array<Score, 25> kCorrectScores{
    {{1, 0}, {2, 0}, {2, 1}, {3, 0}, {3, 1}, {3, 2}, {4, 0}, {4, 1}, {4, 2}, {4, 3}, {0, 0}, {1, 1}, {2, 2},
     {3, 3}, {4, 4}, {0, 1}, {0, 2}, {1, 2}, {0, 3}, {1, 3}, {2, 3}, {0, 4}, {1, 4}, {2, 4}, {3, 4}}};

}  // namespace

TwoSidedQuote handicap_quote(Sport sport, double expected_margin, int target) {
  const bool football = sport == Sport::football;
  const double step = football ? 0.25 : 0.5;
  const double size = std::min(std::abs(expected_margin), football ? 10.0 : 499.0);
  const double line = std::round(size / step) * step;
  const int code = static_cast<int>(std::lround(line / step)) + 1;
  const bool home_gives = expected_margin >= 0;
  // A giver asked to give more than its expected margin is the less likely side: pay it more.
  const double lean = (line - size) * (football ? 300.0 : 25.0);
  if (home_gives) return split(code, -code, lean, target);
  TwoSidedQuote away_first = split(1000 + code, -(1000 + code), lean, target);
  // Home side first, as the lines are stored: the home side receives.
  return TwoSidedQuote{away_first.second_code, away_first.second_price, away_first.first_code,
                       away_first.first_price, target};
}

TwoSidedQuote totals_quote(Sport sport, double expected_total, int target, int floor_total) {
  const bool football = sport == Sport::football;
  const double step = football ? 0.25 : 0.5;
  double line = std::round(expected_total / step) * step;
  line = std::max({line, floor_total + 0.5, 0.5});
  const int code = static_cast<int>(std::lround(line * 4)) + 1;
  const double lean = (line - expected_total) * (football ? 300.0 : 25.0);
  // The line above the expectation makes over the less likely side: it is paid more.
  return split(code, -code, lean, target);
}

std::array<int, 6> one_x_two_prices(double expected_margin, double expected_total) {
  const Lambdas l = lambdas(expected_margin, expected_total);
  double home = 0, draw = 0, away = 0;
  for (int h = 0; h <= kGoalsModelled; ++h) {
    for (int a = 0; a <= kGoalsModelled; ++a) {
      const double p = score_probability(l, h, a);
      (h > a ? home : h == a ? draw : away) += p;
    }
  }
  constexpr double kMargin = 0.06;
  return {price_of(home, kMargin), price_of(draw, kMargin),        price_of(home + draw, kMargin),
          price_of(away, kMargin), price_of(home + away, kMargin), price_of(draw + away, kMargin)};
}

std::array<int, 26> correct_score_prices(double expected_margin, double expected_total) {
  const Lambdas l = lambdas(expected_margin, expected_total);
  constexpr double kMargin = 0.15;
  std::array<int, 26> prices{};
  double listed = 0;
  for (std::size_t i = 0; i < kCorrectScores.size(); ++i) {
    const double p = score_probability(l, kCorrectScores[i].home, kCorrectScores[i].away);
    listed += p;
    prices[i] = price_of(p, kMargin);
  }
  prices[25] = price_of(std::max(0.0, 1.0 - listed), kMargin);
  return prices;
}

std::optional<Score> correct_score_of_choice(int choice) {
  if (choice < 1 || choice > 25) return std::nullopt;
  return kCorrectScores[static_cast<std::size_t>(choice - 1)];
}

}  // namespace brindle::server::market
