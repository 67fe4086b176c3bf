#pragma once

#include <array>
#include <optional>

#include "server/market/market_model.h"

namespace brindle::server::market {

// Both sides of a two-sided line, each with its line code and net price in thousandths; the two
// prices add up to exactly target / 100, so the client's price balancing leaves them as they are.
struct TwoSidedQuote {
  int first_code = 0;  // home side of a handicap, over of a totals line
  int first_price = 0;
  int second_code = 0;  // away side, under
  int second_price = 0;
  int target = 0;
};

// The handicap line for an expected margin (home minus away, goals or points): the stronger side
// gives the nearest quarter goal (football) or half point (basketball), and the prices lean to
// whichever side the rounding favours.
TwoSidedQuote handicap_quote(Sport sport, double expected_margin, int target);

// The totals line nearest the expected total, never at or below `floor_total` (the score so far
// in play), priced the same way.
TwoSidedQuote totals_quote(Sport sport, double expected_total, int target, int floor_total = -1);

// 1X2 outcome-set prices (index 0 is outcome set 1: home win, ..., 5: draw or away) and
// correct-score prices (index 0 is choice 1, ..., 25 is choice 26 "其它比分") from a Poisson model
// of each side's goals.
std::array<int, 6> one_x_two_prices(double expected_margin, double expected_total);
std::array<int, 26> correct_score_prices(double expected_margin, double expected_total);

// The score a correct-score choice 1..25 names; nothing for 26 (any other score) and outside.
std::optional<Score> correct_score_of_choice(int choice);

// Handicap code of a side's line code: the magnitude with the away-gives thousand removed.
inline constexpr int handicap_code_of(int line_code) {
  int magnitude = line_code < 0 ? -line_code : line_code;
  return magnitude > 1000 ? magnitude - 1000 : magnitude;
}
// True when a handicap side's line code names the home team: it gives (1..999) or receives while
// the away team gives (below -1000).
inline constexpr bool handicap_side_is_home(int line_code) {
  return (line_code > 0 && line_code < 1000) || line_code < -1000;
}

}  // namespace brindle::server::market
