#pragma once

#include <cstdint>
#include <span>

#include "server/storage/money.h"
#include "wire/result.h"

namespace brindle::server::betting {

using storage::Cents;

// How a selection came out. A half result settles half the stake as won or lost and refunds the
// other half; kCancelled refunds everything (a void leg of a parlay counts as 1).
enum class Outcome { kWin, kHalfWin, kPush, kHalfLose, kLose, kCancelled };

struct Score {
  int home = 0;
  int away = 0;
};

// Which team of a handicap line a bet is on.
enum class LineSide { kGiving, kReceiving };

inline constexpr int kBasketballLineKind = 9;
inline constexpr int kMaxGoalHandicapCode = 41;    // ten goals
inline constexpr int kMaxPointHandicapCode = 201;  // one hundred points
inline constexpr int kMaxTotalsCode = 4 * 500 + 1;
inline constexpr int kOtherScoresChoice = 26;  // "其它比分": any score outside the 25 listed
inline constexpr int kOddChoice = 1;
inline constexpr int kEvenChoice = 2;

// Market type codes as the market lists carry them.
inline constexpr int kMarketAsianHandicap = 0;
inline constexpr int kMarketOneXTwo = 1;
inline constexpr int kMarketCorrectScore = 2;
inline constexpr int kMarketOverUnder = 3;
inline constexpr int kMarketBasketballTotals = 6;
inline constexpr int kMarketBasketballOddEven = 7;
inline constexpr int kMarketInPlayHandicap = 8;
inline constexpr int kMarketInPlayOverUnder = 9;

// A line in quarter units (goals × 4) applied to the chosen side's margin or to a total: positive
// wins, zero pushes, negative loses; an odd value is a quarter line, the stake split over the two
// neighbouring half-goal lines (so one side of it pushes and the result is a half win or half lose).
Outcome settle_quarter_units(int adjusted_quarters);

// A basketball line in half points: positive wins, zero pushes, negative loses; no quarter lines.
Outcome settle_half_points(int adjusted_half_points);

// A goal handicap of code 1..41 (4 × goals + 1); giving_margin is the giving team's goals less the
// receiving team's (on a level line, the first team listed gives).
Outcome settle_goal_handicap(int code, LineSide side, int giving_margin);
// A basketball point handicap of code 1.. (2 × points + 1); giving_margin in points.
Outcome settle_point_handicap(int code, LineSide side, int giving_margin);
// A totals code (|code| = 4 × line + 1; positive over, negative under) against the total scored.
Outcome settle_totals(int code, int total);
// 1X2 outcome sets seen from the home team: 1 win, 2 draw, 3 win or draw, 4 lose, 5 win or lose,
// 6 draw or lose.
Outcome settle_one_x_two(int choice, Score final_score);
// Choices 1..25 name one score each; 26 and above wins on every score not among them.
Outcome settle_correct_score(int choice, Score final_score);
// Choice 1 is odd, 2 even, on the total scored.
Outcome settle_odd_even(int choice, int total);

// What one selection of a bet is on, as the bet recorded it.
struct LegTerms {
  int market_type = kMarketAsianHandicap;
  // Handicap kinds: |code| mod 1000 is the handicap code, above 1000 the away team gives, a
  // negative code is the receiving side. Totals kinds: the totals code. Other kinds: unused.
  int line_code = 0;
  int choice = 0;  // 1X2, correct score and odd/even choices
  int line_kind = 0;
  Score at_bet;  // the score when an in-play bet was taken
};

// Refuses terms that no result could settle (an unknown market, a code outside its range), so that
// they are caught when the bet is taken rather than when the match ends.
Result<void> check_terms(const LegTerms& terms);
// Settles one selection against the final score. In-play handicap bets count only the goals scored
// after the bet; in-play over/under counts the whole match.
Result<Outcome> settle_leg(const LegTerms& terms, Score final_score);

// True when a handicap line code names the home team (codes 1..999 and below -1000).
bool line_code_is_home(int line_code);

// One leg of a bet as it settled, with the net price × 1000 that the bet was taken at.
struct SettledLeg {
  Outcome outcome = Outcome::kLose;
  std::int64_t price_milli = 0;
};

// A stake per combination for every combination of the sizes whose bits are set in mask (bit k:
// k + 1 legs).
struct CombinationStake {
  std::uint32_t mask = 1;
  Cents stake = 0;
};

// C(n, k + 1) summed over every bit k set in mask with k < n; 0 for n < 1.
std::int64_t combination_count(int legs, std::uint32_t mask);
// What a bet costs: every combination of every mask at its stake.
Cents total_stake(int legs, std::span<const CombinationStake> stakes);

// The amount returned to the account (stake included) for one selection: win 1 + price, half win
// 1 + price / 2, push and cancelled 1, half lose 1/2, lose 0, times the stake.
Cents returned_amount(Outcome outcome, Cents stake, std::int64_t price_milli);

// The amount returned for a bet on legs with the given combination stakes: each combination returns
// its stake times the product of its legs' factors. The sum is exact and rounded down to the cent
// once per bet, so a bet never pays a fraction of a cent more than it earned and a single bet pays
// the same as returned_amount. An amount beyond Cents saturates at its largest value.
Cents returned_amount(std::span<const SettledLeg> legs, std::span<const CombinationStake> stakes);

// The most a bet at these prices (× 1000) can return: what returned_amount pays when every leg
// wins, as no other outcome pays more. Saturates like returned_amount.
Cents highest_return(std::span<const std::int64_t> prices_milli, const CombinationStake& stake);

}  // namespace brindle::server::betting
