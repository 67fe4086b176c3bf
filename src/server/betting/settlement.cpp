#include "server/betting/settlement.h"

#include <array>
#include <boost/multiprecision/cpp_int.hpp>
#include <cstdlib>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace brindle::server::betting {
namespace {

using boost::multiprecision::cpp_int;

constexpr std::array<std::pair<int, int>, 25> kCorrectScores = {{
    {1, 0}, {2, 0}, {2, 1}, {3, 0}, {3, 1}, {3, 2}, {4, 0}, {4, 1}, {4, 2}, {4, 3}, {0, 0}, {1, 1}, {2, 2},
    {3, 3}, {4, 4}, {0, 1}, {0, 2}, {1, 2}, {0, 3}, {1, 3}, {2, 3}, {0, 4}, {1, 4}, {2, 4}, {3, 4},
}};

// The two halves of a quarter line settle on their own; a split of win and lose cannot happen
// because the halves are half a goal apart and only an exact zero pushes.
Outcome combine_halves(Outcome lower, Outcome upper) {
  if (lower == upper) return lower;
  if (upper == Outcome::kWin) return Outcome::kHalfWin;
  return Outcome::kHalfLose;
}

Outcome sign_outcome(int value) {
  if (value > 0) return Outcome::kWin;
  if (value < 0) return Outcome::kLose;
  return Outcome::kPush;
}

// A factor over 2000: a half win adds half the price, and prices are thousandths.
std::int64_t factor_over_2000(Outcome outcome, std::int64_t price_milli) {
  switch (outcome) {
    case Outcome::kWin:
      return 2000 + 2 * price_milli;
    case Outcome::kHalfWin:
      return 2000 + price_milli;
    case Outcome::kPush:
    case Outcome::kCancelled:
      return 2000;
    case Outcome::kHalfLose:
      return 1000;
    case Outcome::kLose:
      return 0;
  }
  return 0;
}

int handicap_size(int line_code) {
  const int magnitude = std::abs(line_code);
  return magnitude > 1000 ? magnitude - 1000 : magnitude;
}

Result<void> refuse(std::string text) { return Result<void>::failure(std::move(text)); }

}  // namespace

Outcome settle_quarter_units(int adjusted_quarters) {
  if (adjusted_quarters % 2 == 0) return sign_outcome(adjusted_quarters);
  return combine_halves(sign_outcome(adjusted_quarters - 1), sign_outcome(adjusted_quarters + 1));
}

Outcome settle_half_points(int adjusted_half_points) { return sign_outcome(adjusted_half_points); }

Outcome settle_goal_handicap(int code, LineSide side, int giving_margin) {
  const int line = code - 1;
  if (side == LineSide::kGiving) return settle_quarter_units(4 * giving_margin - line);
  return settle_quarter_units(line - 4 * giving_margin);
}

Outcome settle_point_handicap(int code, LineSide side, int giving_margin) {
  const int line = code - 1;
  if (side == LineSide::kGiving) return settle_half_points(2 * giving_margin - line);
  return settle_half_points(line - 2 * giving_margin);
}

Outcome settle_totals(int code, int total) {
  const int line = std::abs(code) - 1;
  if (code > 0) return settle_quarter_units(4 * total - line);
  return settle_quarter_units(line - 4 * total);
}

Outcome settle_one_x_two(int choice, Score final_score) {
  const bool home_wins = final_score.home > final_score.away;
  const bool draw = final_score.home == final_score.away;
  const bool home_loses = final_score.home < final_score.away;
  bool won = false;
  switch (choice) {
    case 1:
      won = home_wins;
      break;
    case 2:
      won = draw;
      break;
    case 3:
      won = home_wins || draw;
      break;
    case 4:
      won = home_loses;
      break;
    case 5:
      won = !draw;
      break;
    case 6:
      won = draw || home_loses;
      break;
    default:
      won = false;
      break;
  }
  return won ? Outcome::kWin : Outcome::kLose;
}

Outcome settle_correct_score(int choice, Score final_score) {
  const std::pair<int, int> result{final_score.home, final_score.away};
  if (choice >= 1 && choice <= static_cast<int>(kCorrectScores.size())) {
    return kCorrectScores[static_cast<std::size_t>(choice - 1)] == result ? Outcome::kWin : Outcome::kLose;
  }
  for (const auto& listed : kCorrectScores) {
    if (listed == result) return Outcome::kLose;
  }
  return Outcome::kWin;
}

Outcome settle_odd_even(int choice, int total) {
  const bool odd = total % 2 != 0;
  return odd == (choice == kOddChoice) ? Outcome::kWin : Outcome::kLose;
}

bool line_code_is_home(int line_code) { return (line_code >= 1 && line_code <= 999) || line_code < -1000; }

Result<void> check_terms(const LegTerms& terms) {
  switch (terms.market_type) {
    case kMarketAsianHandicap:
    case kMarketInPlayHandicap: {
      const int size = handicap_size(terms.line_code);
      const int limit = terms.line_kind == kBasketballLineKind && terms.market_type == kMarketAsianHandicap
                            ? kMaxPointHandicapCode
                            : kMaxGoalHandicapCode;
      if (terms.line_code == 0 || std::abs(terms.line_code) == 1000 || size < 1 || size > limit ||
          std::abs(terms.line_code) > 1000 + limit) {
        return refuse("让球盘口代码无效。");
      }
      return {};
    }
    case kMarketOverUnder:
    case kMarketBasketballTotals:
    case kMarketInPlayOverUnder:
      if (terms.line_code == 0 || std::abs(terms.line_code) > kMaxTotalsCode)
        return refuse("大小盘口代码无效。");
      return {};
    case kMarketOneXTwo:
      if (terms.choice < 1 || terms.choice > 6) return refuse("胜平负选项无效。");
      return {};
    case kMarketCorrectScore:
      if (terms.choice < 1 || terms.choice > kOtherScoresChoice) return refuse("比分选项无效。");
      return {};
    case kMarketBasketballOddEven:
      if (terms.choice != kOddChoice && terms.choice != kEvenChoice) return refuse("单双数选项无效。");
      return {};
    default:
      return refuse("无法识别的盘口类型。");
  }
}

Result<Outcome> settle_leg(const LegTerms& terms, Score final_score) {
  if (auto checked = check_terms(terms); !checked) return Result<Outcome>::failure(checked.error());
  if (final_score.home < 0 || final_score.away < 0) return Result<Outcome>::failure("比分无效。");
  const int total = final_score.home + final_score.away;
  switch (terms.market_type) {
    case kMarketAsianHandicap:
    case kMarketInPlayHandicap: {
      Score counted = final_score;
      if (terms.market_type == kMarketInPlayHandicap) {
        counted.home -= terms.at_bet.home;
        counted.away -= terms.at_bet.away;
      }
      const bool home = line_code_is_home(terms.line_code);
      const LineSide side = terms.line_code > 0 ? LineSide::kGiving : LineSide::kReceiving;
      const int chosen_margin = home ? counted.home - counted.away : counted.away - counted.home;
      const int giving_margin = side == LineSide::kGiving ? chosen_margin : -chosen_margin;
      const int code = handicap_size(terms.line_code);
      if (terms.line_kind == kBasketballLineKind && terms.market_type == kMarketAsianHandicap) {
        return settle_point_handicap(code, side, giving_margin);
      }
      return settle_goal_handicap(code, side, giving_margin);
    }
    case kMarketOverUnder:
    case kMarketBasketballTotals:
    case kMarketInPlayOverUnder:
      return settle_totals(terms.line_code, total);
    case kMarketOneXTwo:
      return settle_one_x_two(terms.choice, final_score);
    case kMarketCorrectScore:
      return settle_correct_score(terms.choice, final_score);
    case kMarketBasketballOddEven:
      return settle_odd_even(terms.choice, total);
    default:
      return Result<Outcome>::failure("无法识别的盘口类型。");
  }
}

std::int64_t combination_count(int legs, std::uint32_t mask) {
  if (legs < 1) return 0;
  std::int64_t count = 0;
  for (int k = 0; k < legs && k < 32; ++k) {
    if ((mask >> k & 1U) == 0) continue;
    // C(legs, k + 1), built up so every step divides exactly.
    std::int64_t binomial = 1;
    for (int i = 0; i <= k; ++i) binomial = binomial * (legs - i) / (i + 1);
    count += binomial;
  }
  return count;
}

Cents total_stake(int legs, std::span<const CombinationStake> stakes) {
  Cents total = 0;
  for (const auto& entry : stakes) total += combination_count(legs, entry.mask) * entry.stake;
  return total;
}

Cents returned_amount(Outcome outcome, Cents stake, std::int64_t price_milli) {
  const SettledLeg leg{outcome, price_milli};
  const CombinationStake single{1, stake};
  return returned_amount(std::span(&leg, 1), std::span(&single, 1));
}

Cents returned_amount(std::span<const SettledLeg> legs, std::span<const CombinationStake> stakes) {
  const int n = static_cast<int>(legs.size());
  if (n == 0 || n > 20) return 0;
  // Every combination's product is brought to the common denominator 2000^n, so the whole bet is
  // one exact fraction and is rounded once.
  cpp_int numerator = 0;
  for (const auto& entry : stakes) {
    if (entry.stake <= 0) continue;
    for (std::uint32_t subset = 1; subset < (1U << n); ++subset) {
      const int size = __builtin_popcount(subset);
      if ((entry.mask >> (size - 1) & 1U) == 0) continue;
      cpp_int product = entry.stake;
      for (int i = 0; i < n; ++i) {
        if ((subset >> i & 1U) != 0)
          product *= factor_over_2000(legs[static_cast<std::size_t>(i)].outcome,
                                      legs[static_cast<std::size_t>(i)].price_milli);
      }
      for (int i = size; i < n; ++i) product *= 2000;
      numerator += product;
    }
  }
  cpp_int denominator = 1;
  for (int i = 0; i < n; ++i) denominator *= 2000;
  const cpp_int returned = numerator / denominator;
  if (returned > std::numeric_limits<Cents>::max()) return std::numeric_limits<Cents>::max();
  return static_cast<Cents>(returned);
}

Cents highest_return(std::span<const std::int64_t> prices_milli, const CombinationStake& stake) {
  if (prices_milli.size() > 20) return std::numeric_limits<Cents>::max();
  std::vector<SettledLeg> legs;
  for (const std::int64_t price : prices_milli) legs.push_back({Outcome::kWin, price});
  return returned_amount(legs, std::span(&stake, 1));
}

}  // namespace brindle::server::betting
