// Settlement tables written from the betting rules: each row is a line, a side and a margin (or a
// total or a score) with the outcome a bookmaker's rules give for it.

#include "server/betting/settlement.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

namespace {

using brindle::server::betting::CombinationStake;
using brindle::server::betting::LegTerms;
using brindle::server::betting::LineSide;
using brindle::server::betting::Outcome;
using brindle::server::betting::Score;
using brindle::server::betting::SettledLeg;
namespace bet = brindle::server::betting;

constexpr Outcome W = Outcome::kWin;
constexpr Outcome HW = Outcome::kHalfWin;
constexpr Outcome P = Outcome::kPush;
constexpr Outcome HL = Outcome::kHalfLose;
constexpr Outcome L = Outcome::kLose;

struct HandicapRow {
  int code;
  LineSide side;
  int giving_margin;
  Outcome expected;
};

TEST(GoalHandicap, EveryLineClassForBothSides) {
  const LineSide G = LineSide::kGiving;
  const LineSide R = LineSide::kReceiving;
  const std::vector<HandicapRow> rows = {
      // level
      {1, G, 1, W},
      {1, G, 0, P},
      {1, G, -1, L},
      {1, R, -1, W},
      {1, R, 0, P},
      {1, R, 1, L},
      // 0/0.5: a draw halves the stake
      {2, G, 1, W},
      {2, G, 0, HL},
      {2, G, -1, L},
      {2, R, 0, HW},
      {2, R, -1, W},
      {2, R, 1, L},
      // 0.5: no draw
      {3, G, 1, W},
      {3, G, 0, L},
      {3, R, 0, W},
      {3, R, 1, L},
      // 0.5/1: winning by one wins half
      {4, G, 2, W},
      {4, G, 1, HW},
      {4, G, 0, L},
      {4, R, 1, HL},
      {4, R, 0, W},
      {4, R, 2, L},
      // one goal
      {5, G, 2, W},
      {5, G, 1, P},
      {5, G, 0, L},
      {5, R, 1, P},
      {5, R, 0, W},
      {5, R, 2, L},
      // 1/1.5
      {6, G, 2, W},
      {6, G, 1, HL},
      {6, G, 0, L},
      {6, R, 1, HW},
      {6, R, 2, L},
      // 1.5/2
      {8, G, 3, W},
      {8, G, 2, HW},
      {8, G, 1, L},
      {8, R, 2, HL},
      {8, R, 1, W},
      // 5.75 (code 24) and ten goals (code 41)
      {24, G, 7, W},
      {24, G, 6, HW},
      {24, G, 5, L},
      {24, R, 6, HL},
      {24, R, 5, W},
      {41, G, 11, W},
      {41, G, 10, P},
      {41, G, 9, L},
      {41, R, 10, P},
      {41, R, 12, L},
      // the giving team losing outright
      {7, G, -3, L},
      {7, R, -3, W},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(bet::settle_goal_handicap(row.code, row.side, row.giving_margin), row.expected)
        << "code " << row.code << " side " << (row.side == G ? "giving" : "receiving") << " margin "
        << row.giving_margin;
  }
}

TEST(PointHandicap, WholePointsPushOnTheExactMarginAndHalfPointsNever) {
  const LineSide G = LineSide::kGiving;
  const LineSide R = LineSide::kReceiving;
  const std::vector<HandicapRow> rows = {
      {1, G, 1, W},  {1, G, 0, P}, {1, G, -1, L}, {1, R, -1, W},  // pick'em
      {8, G, 4, W},  {8, G, 3, L}, {8, R, 3, W},  {8, R, 4, L},   // 3.5 points
      {9, G, 5, W},  {9, G, 4, P}, {9, G, 3, L},  {9, R, 4, P},   // 4 points
      {9, R, -2, W}, {2, G, 1, W}, {2, G, -1, L}, {2, R, 0, W},   // 0.5 points
  };
  for (const auto& row : rows) {
    EXPECT_EQ(bet::settle_point_handicap(row.code, row.side, row.giving_margin), row.expected)
        << "code " << row.code << " margin " << row.giving_margin;
  }
}

TEST(Totals, WholeHalfAndQuarterLinesOverAndUnder) {
  struct Row {
    int code;
    int total;
    Outcome expected;
  };
  const std::vector<Row> rows = {
      {9, 3, W},     {9, 2, P},       {9, 1, L},      {-9, 1, W},   {-9, 2, P},  {-9, 3, L},   // 2
      {10, 3, W},    {10, 2, HL},     {10, 1, L},     {-10, 2, HW}, {-10, 1, W}, {-10, 3, L},  // 2/2.5
      {11, 3, W},    {11, 2, L},      {-11, 2, W},    {-11, 3, L},                             // 2.5
      {12, 4, W},    {12, 3, HW},     {12, 2, L},     {-12, 3, HL}, {-12, 2, W}, {-12, 4, L},  // 2.5/3
      {1, 1, W},     {1, 0, P},       {-1, 0, P},     {2, 0, HL},                              // 0, 0/0.5
      {803, 201, W}, {803, 200, L},   {-803, 200, W},                                          // 200.5 points
      {801, 200, P}, {-802, 200, HW},                                                          // 200, 200.25
  };
  for (const auto& row : rows) {
    EXPECT_EQ(bet::settle_totals(row.code, row.total), row.expected)
        << "code " << row.code << " total " << row.total;
  }
}

TEST(OneXTwo, OutcomeSetsSeenFromTheHomeTeam) {
  const Score home_win{2, 1};
  const Score draw{1, 1};
  const Score away_win{0, 2};
  // choice: home win, draw, away win
  const std::vector<std::vector<Outcome>> expected = {
      {W, L, L}, {L, W, L}, {W, W, L}, {L, L, W}, {W, L, W}, {L, W, W},
  };
  for (int choice = 1; choice <= 6; ++choice) {
    const auto& row = expected[static_cast<std::size_t>(choice - 1)];
    EXPECT_EQ(bet::settle_one_x_two(choice, home_win), row[0]) << choice;
    EXPECT_EQ(bet::settle_one_x_two(choice, draw), row[1]) << choice;
    EXPECT_EQ(bet::settle_one_x_two(choice, away_win), row[2]) << choice;
  }
}

TEST(CorrectScore, ListedScoresAndOtherScores) {
  struct Row {
    int choice;
    Score score;
    Outcome expected;
  };
  const std::vector<Row> rows = {
      {1, {1, 0}, W},  {1, {0, 1}, L},  {10, {4, 3}, W}, {11, {0, 0}, W}, {15, {4, 4}, W},
      {16, {0, 1}, W}, {25, {3, 4}, W}, {25, {4, 3}, L}, {1, {5, 0}, L},  {26, {5, 0}, W},
      {26, {0, 5}, W}, {26, {5, 5}, W}, {26, {4, 4}, L}, {26, {0, 0}, L}, {30, {6, 2}, W},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(bet::settle_correct_score(row.choice, row.score), row.expected)
        << row.choice << " on " << row.score.home << ":" << row.score.away;
  }
}

TEST(OddEven, OnTheTotal) {
  EXPECT_EQ(bet::settle_odd_even(1, 201), W);
  EXPECT_EQ(bet::settle_odd_even(2, 201), L);
  EXPECT_EQ(bet::settle_odd_even(2, 0), W);
  EXPECT_EQ(bet::settle_odd_even(1, 0), L);
}

TEST(SettleLeg, LineCodesPickTheTeamAndTheSide) {
  struct Row {
    LegTerms terms;
    Score final_score;
    Outcome expected;
  };
  const std::vector<Row> rows = {
      // home gives half a goal; the away side holds -3
      {{bet::kMarketAsianHandicap, 3, 0, 0, {}}, {1, 0}, W},
      {{bet::kMarketAsianHandicap, -3, 0, 0, {}}, {1, 0}, L},
      {{bet::kMarketAsianHandicap, -3, 0, 0, {}}, {1, 1}, W},
      // away gives half a goal (1003); the home side receives (-1003)
      {{bet::kMarketAsianHandicap, 1003, 0, 0, {}}, {0, 1}, W},
      {{bet::kMarketAsianHandicap, -1003, 0, 0, {}}, {0, 1}, L},
      {{bet::kMarketAsianHandicap, -1003, 0, 0, {}}, {1, 1}, W},
      // away gives one goal and wins by one: push for both
      {{bet::kMarketAsianHandicap, 1005, 0, 0, {}}, {1, 2}, P},
      {{bet::kMarketAsianHandicap, -1005, 0, 0, {}}, {1, 2}, P},
      // basketball: home gives 3.5 points
      {{bet::kMarketAsianHandicap, 8, 0, bet::kBasketballLineKind, {}}, {100, 96}, W},
      {{bet::kMarketAsianHandicap, 8, 0, bet::kBasketballLineKind, {}}, {100, 97}, L},
      // in play: only the goals after the bet count (1:1 after a bet at 1:0)
      {{bet::kMarketInPlayHandicap, 1, 0, 0, {1, 0}}, {2, 1}, P},
      {{bet::kMarketInPlayHandicap, 3, 0, 0, {1, 0}}, {2, 1}, L},
      {{bet::kMarketInPlayHandicap, -1003, 0, 0, {0, 2}}, {1, 2}, W},
      // in-play over/under counts the whole match
      {{bet::kMarketInPlayOverUnder, 11, 0, 0, {2, 0}}, {2, 1}, W},
      {{bet::kMarketOverUnder, -11, 0, 0, {}}, {2, 1}, L},
      {{bet::kMarketBasketballTotals, 803, 0, bet::kBasketballLineKind, {}}, {101, 100}, W},
      {{bet::kMarketOneXTwo, 0, 6, 0, {}}, {0, 0}, W},
      {{bet::kMarketCorrectScore, 0, 26, 0, {}}, {6, 0}, W},
      {{bet::kMarketBasketballOddEven, 0, 2, bet::kBasketballLineKind, {}}, {100, 98}, W},
  };
  for (const auto& row : rows) {
    const auto outcome = bet::settle_leg(row.terms, row.final_score);
    ASSERT_TRUE(outcome.ok()) << outcome.error();
    EXPECT_EQ(outcome.value(), row.expected) << "market " << row.terms.market_type << " line "
                                             << row.terms.line_code << " choice " << row.terms.choice;
  }
}

TEST(SettleLeg, TermsNoResultCouldSettleAreRefused) {
  const std::vector<LegTerms> refused = {
      {bet::kMarketAsianHandicap, 0, 0, 0, {}},
      {bet::kMarketAsianHandicap, 42, 0, 0, {}},
      {bet::kMarketAsianHandicap, 1000, 0, 0, {}},
      {bet::kMarketAsianHandicap, -1042, 0, 0, {}},
      {bet::kMarketOverUnder, 0, 0, 0, {}},
      {bet::kMarketOneXTwo, 0, 7, 0, {}},
      {bet::kMarketOneXTwo, 0, 0, 0, {}},
      {bet::kMarketCorrectScore, 0, 27, 0, {}},
      {bet::kMarketBasketballOddEven, 0, 3, 9, {}},
      {4, 1, 1, 0, {}},
      {-1, 1, 1, 0, {}},
  };
  for (const auto& terms : refused) {
    EXPECT_FALSE(bet::check_terms(terms).ok())
        << terms.market_type << " " << terms.line_code << " " << terms.choice;
    EXPECT_FALSE(bet::settle_leg(terms, {1, 0}).ok());
  }
  EXPECT_FALSE(bet::settle_leg({bet::kMarketOverUnder, 9, 0, 0, {}}, {-1, 0}).ok());
  EXPECT_TRUE(bet::check_terms({bet::kMarketAsianHandicap, 61, 0, bet::kBasketballLineKind, {}}).ok());
}

TEST(ReturnedAmount, FactorsOfEachOutcome) {
  // 100.00 at 0.95
  EXPECT_EQ(bet::returned_amount(W, 10000, 950), 19500);
  EXPECT_EQ(bet::returned_amount(HW, 10000, 950), 14750);
  EXPECT_EQ(bet::returned_amount(P, 10000, 950), 10000);
  EXPECT_EQ(bet::returned_amount(Outcome::kCancelled, 10000, 950), 10000);
  EXPECT_EQ(bet::returned_amount(HL, 10000, 950), 5000);
  EXPECT_EQ(bet::returned_amount(L, 10000, 950), 0);
}

TEST(ReturnedAmount, FractionsOfACentAreRoundedDown) {
  EXPECT_EQ(bet::returned_amount(W, 1, 950), 1);    // 1.95
  EXPECT_EQ(bet::returned_amount(HL, 1, 950), 0);   // 0.5
  EXPECT_EQ(bet::returned_amount(HW, 3, 333), 3);   // 3.4995
  EXPECT_EQ(bet::returned_amount(W, 999, 1), 999);  // 999.999
  // The figures the operators' documentation quotes, at net price 0.955.
  EXPECT_EQ(bet::returned_amount(W, 10000, 955), 19550);
  EXPECT_EQ(bet::returned_amount(HW, 10000, 955), 14775);
  EXPECT_EQ(bet::returned_amount(W, 700, 955), 1368);    // 13.685
  EXPECT_EQ(bet::returned_amount(HW, 3300, 955), 4875);  // 48.7575
  // A large stake at a large price stays exact.
  EXPECT_EQ(bet::returned_amount(W, 1'000'000'000'000, 999'000), 1'000'000'000'000 * 1000);
}

TEST(Parlay, LegFactorsMultiply) {
  const std::vector<CombinationStake> treble = {{4, 10000}};
  // win at 0.9, half win at 0.8, push: 100 × 1.9 × 1.4 × 1
  const std::vector<SettledLeg> mixed = {{W, 900}, {HW, 800}, {P, 950}};
  EXPECT_EQ(bet::returned_amount(mixed, treble), 26600);
  // a cancelled leg counts 1, a half lose 0.5, a lose kills the combination
  EXPECT_EQ(
      bet::returned_amount(std::vector<SettledLeg>{{W, 900}, {Outcome::kCancelled, 800}, {W, 1000}}, treble),
      38000);
  EXPECT_EQ(bet::returned_amount(std::vector<SettledLeg>{{W, 900}, {HL, 800}, {W, 1000}}, treble), 19000);
  EXPECT_EQ(bet::returned_amount(std::vector<SettledLeg>{{W, 900}, {L, 800}, {W, 1000}}, treble), 0);
  // every leg void: the stake comes back
  EXPECT_EQ(
      bet::returned_amount(std::vector<SettledLeg>{{Outcome::kCancelled, 900}, {P, 800}, {P, 1000}}, treble),
      10000);
}

TEST(Parlay, EveryCombinationOfEveryMaskIsItsOwnBet) {
  // singles and doubles on a winner at evens and a loser: only the winner's single pays
  const std::vector<SettledLeg> legs = {{W, 1000}, {L, 900}};
  const std::vector<CombinationStake> singles_and_double = {{3, 100}};
  EXPECT_EQ(bet::total_stake(2, singles_and_double), 300);
  EXPECT_EQ(bet::returned_amount(legs, singles_and_double), 200);
  // three winners at evens, doubles at 10 and the treble at 50: 3 × 10 × 4 + 50 × 8
  const std::vector<SettledLeg> winners = {{W, 1000}, {W, 1000}, {W, 1000}};
  const std::vector<CombinationStake> entries = {{2, 1000}, {4, 5000}, {1, 0}};
  EXPECT_EQ(bet::total_stake(3, entries), 3 * 1000 + 5000);
  EXPECT_EQ(bet::returned_amount(winners, entries), 3 * 1000 * 4 + 5000 * 8);
}

TEST(Parlay, TheExactSumIsRoundedOnceNotPerLeg) {
  // 10.00 × 1.0005 × 1.0005 = 10.010003 (rounding per leg would give 10.00)
  const std::vector<SettledLeg> legs = {{HW, 1}, {HW, 1}};
  EXPECT_EQ(bet::returned_amount(legs, std::vector<CombinationStake>{{2, 1000}}), 1001);
}

TEST(Parlay, CombinationCounts) {
  EXPECT_EQ(bet::combination_count(3, 6), 4);
  EXPECT_EQ(bet::combination_count(5, 2), 10);
  EXPECT_EQ(bet::combination_count(10, 1023), 1023);
  EXPECT_EQ(bet::combination_count(10, 1U << 9), 1);
  EXPECT_EQ(bet::combination_count(3, 8), 0);  // four-folds of three legs do not exist
  EXPECT_EQ(bet::combination_count(1, 0xFFFFFFFF), 1);
  EXPECT_EQ(bet::combination_count(0, 1), 0);
}

TEST(HighestReturn, EveryLegWinningEveryCombinationSummedAndSaturated) {
  using Prices = std::vector<std::int64_t>;
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  struct Row {
    const char* what;
    Prices prices;
    CombinationStake stake;
    std::int64_t expected;
  };
  const std::vector<Row> rows = {
      {"single", {950}, {1, 10000}, 19500},
      {"three doubles and the treble at 0.9", {900, 900, 900}, {6, 100}, 1768},  // 10.83 + 6.859
      {"five-fold at 10 with the largest stake", Prices(5, 10'000), {16, 99'999'900}, 16'105'083'894'900},
      {"ten legs at the highest price", Prices(10, 10'000'000), {1023, 99'999'900}, kMax},
      {"more legs than settlement takes", Prices(21, 1000), {1, 100}, kMax},
      {"no legs", {}, {1, 100}, 0},
  };
  for (const auto& row : rows)
    EXPECT_EQ(bet::highest_return(row.prices, row.stake), row.expected) << row.what;
}

}  // namespace
