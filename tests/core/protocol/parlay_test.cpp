// The parlay slip's checks and computations, and the table of delayed in-play bets.

#include "core/protocol/parlay.h"

#include <gtest/gtest.h>

#include <string>

#include "core/protocol/pending_in_play_bets.h"

namespace {

using namespace brindle::protocol;

ParlaySelection leg(int match, const std::string& home, const std::string& away,
                    const std::string& date = "2024-03-01", double price = 0.9) {
  ParlaySelection s;
  s.match_number = match;
  s.home_team = home;
  s.away_team = away;
  s.kick_off_date = date;
  s.price = price;
  return s;
}

TEST(ParlaySlip, TenLegsRefuseAnEleventhEvenWhenItDuplicatesAMatch) {
  ParlaySlip slip;
  for (int i = 0; i < 10; ++i) ASSERT_FALSE(slip.add(leg(i, "h" + std::to_string(i), "a")));
  EXPECT_EQ(slip.add(leg(0, "h0", "a")), std::string(kTooManySelectionsMessage));
  EXPECT_EQ(slip.selections().size(), 10u);
}

TEST(ParlaySlip, SameMatchAndSameFixtureHaveTheirOwnMessagesAndTheLastHitWins) {
  ParlaySlip slip;
  ASSERT_FALSE(slip.add(leg(1, "曼联", "利物浦")));
  ASSERT_FALSE(slip.add(leg(2, "米兰", "国米")));
  EXPECT_EQ(slip.add(leg(2, "x", "y")), std::string(kSameMatchMessage));
  EXPECT_EQ(slip.add(leg(3, "曼联", "利物浦")), std::string(kSameFixtureMessage));
  // Same number, teams and date: the fixture test comes after the number test.
  EXPECT_EQ(slip.add(leg(1, "曼联", "利物浦")), std::string(kSameFixtureMessage));
  // Fixture of the first leg, number of the second: the later leg's message is shown.
  EXPECT_EQ(slip.add(leg(2, "曼联", "利物浦")), std::string(kSameMatchMessage));
  // Another day is another fixture.
  EXPECT_FALSE(slip.add(leg(4, "曼联", "利物浦", "2024-03-08")));
  EXPECT_EQ(slip.selections().size(), 3u);
}

TEST(ParlaySlip, RemovePastTheEndChangesNothing) {
  ParlaySlip slip;
  ASSERT_FALSE(slip.add(leg(1, "a", "b")));
  ASSERT_FALSE(slip.add(leg(2, "c", "d")));
  EXPECT_FALSE(slip.remove(2));
  EXPECT_EQ(slip.selections().size(), 2u);
  EXPECT_TRUE(slip.remove(0));
  EXPECT_EQ(slip.selections().front().match_number, 2);
}

TEST(ParlaySlip, StakesReplaceByMaskAndCountEveryCombination) {
  ParlaySlip slip;
  for (int i = 0; i < 3; ++i) ASSERT_FALSE(slip.add(leg(i, "h" + std::to_string(i), "a")));
  slip.set_stake(6, 5);
  slip.set_stake(6, 10);  // replaces
  ASSERT_EQ(slip.type_entries().size(), 1u);
  EXPECT_EQ(slip.total_stake(), 40);  // C(3,2) + C(3,3) = 4 bets of 10
  slip.set_stake(1, 0);
  EXPECT_EQ(slip.type_entries().size(), 2u);
  EXPECT_EQ(slip.total_stake(), 40);
}

TEST(ParlayPayout, ThreeFoldAtNinetyAndTheLimitFlag) {
  const std::vector<double> prices{0.9, 0.9, 0.9};
  const auto small = theoretical_highest_payout(prices, {{4, 100}});
  EXPECT_NEAR(small.highest_payout, 685.9, 1e-9);
  EXPECT_FALSE(small.over_limit);
  const auto large = theoretical_highest_payout(prices, {{4, 100000}});
  EXPECT_NEAR(large.highest_payout, 685900, 1e-6);
  EXPECT_TRUE(large.over_limit);
}

TEST(ParlayPayout, SumsEveryCombinationOfEverySetBit) {
  // Doubles and trebles of 1.5, 2 and 3 (odds): 3 + 4.5 + 6 + 9, at stake 2.
  const auto e = theoretical_highest_payout({0.5, 1.0, 2.0}, {{6, 2}, {1, 0}});
  EXPECT_NEAR(e.highest_payout, 45.0, 1e-9);
  EXPECT_EQ(theoretical_highest_payout({0.5}, {}).highest_payout, 0.0);
  EXPECT_EQ(theoretical_highest_payout(std::vector<double>(51, 0.5), {{1, 1}}).highest_payout, 0.0);
}

TEST(ParlayPayout, FiftyLegsWithEveryBitIsComputedNotEnumerated) {
  const auto e = theoretical_highest_payout(std::vector<double>(50, 0.0), {{-1, 1}});
  // Every odds is 1: the sum is the number of combinations, 2^50 − 1 minus those above 32 legs.
  EXPECT_GT(e.highest_payout, 1e14);
  EXPECT_FALSE(e.over_limit);
}

TEST(PendingInPlayBets, ConfirmationIsDueOnTheTickAfterTheDelayHasPassed) {
  PendingInPlayBets table;
  const auto slot = table.add({4711, 9001, 8, 3, 0});
  ASSERT_TRUE(slot);
  PendingInPlayBet due;
  for (int tick = 1; tick <= 4; ++tick)
    EXPECT_EQ(table.tick(*slot, &due), PendingInPlayBets::Tick::kWaiting) << tick;
  EXPECT_EQ(table.tick(*slot, &due), PendingInPlayBets::Tick::kDue);  // the fifth tick
  EXPECT_EQ(due.bet_number, 4711);
  EXPECT_EQ(table.tick(*slot), PendingInPlayBets::Tick::kEmptySlot);
}

TEST(PendingInPlayBets, ASlotStillWaitingIsNeverOverwrittenWhenTheCounterWraps) {
  PendingInPlayBets table;
  const auto first = table.add({1, 1, 8, 1000, 0});
  ASSERT_EQ(first, 0u);
  for (int i = 2; i <= 50; ++i) {
    const auto s = table.add({i, i, 8, 0, 0});
    ASSERT_TRUE(s);
    // Free the quick ones again: their delay has run out.
    while (table.tick(*s) != PendingInPlayBets::Tick::kDue) {
    }
  }
  const auto after_wrap = table.add({51, 51, 9, 2, 0});
  ASSERT_TRUE(after_wrap);
  EXPECT_NE(*after_wrap, 0u);
  EXPECT_EQ(table.find(0)->bet_number, 1);  // the long-waiting bet is still there
  EXPECT_EQ(table.find(*after_wrap)->bet_number, 51);
}

TEST(PendingInPlayBets, AFullTableRefusesANewBet) {
  PendingInPlayBets table;
  for (std::size_t i = 0; i < PendingInPlayBets::kSlots; ++i) ASSERT_TRUE(table.add({1, 1, 8, 10, 0}));
  EXPECT_FALSE(table.add({2, 2, 8, 10, 0}));
  EXPECT_EQ(table.waiting(), PendingInPlayBets::kSlots);
}

}  // namespace
