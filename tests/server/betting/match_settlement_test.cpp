// A bet that the ledger refuses to pay must not hold back the other bets of its match, nor the
// matches decided after it.

#include "server/betting/match_settlement.h"

#include <cstdio>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "bet_fixture.h"
#include "server/accounts/ledger.h"
#include "server/market/market_clock.h"
#include "server/market/match_result.h"

namespace {

using brindle::testing::bet_form;
using brindle::testing::BetFixture;
namespace accounts = brindle::server::accounts;
namespace betting = brindle::server::betting;
namespace market = brindle::server::market;
using brindle::server::storage::Connection;

class HeldBets : public BetFixture {
 protected:
  void SetUp() override {
    BetFixture::SetUp();
    match_ = add_match();
    home_ = add_line(match_, 0, 3, 950);  // home gives half a goal
    settler_ = betting::match_settler(services_.db, log_);
  }

  // A single of 10.00 on the home side; its serial number.
  std::int64_t bet_on_home(const std::string& user, int match_line) {
    auto placed = single(3010, user, bet_form({match_line}, {950}, 1, 10));
    EXPECT_TRUE(placed.success()) << placed.message();
    return scalar("SELECT MAX(id) FROM bets");
  }

  std::int64_t scalar(const std::string& query) {
    auto value = services_.db->read([&](Connection& c) -> brindle::Result<std::int64_t> {
      auto statement = c.prepare(query);
      if (!statement) return brindle::Result<std::int64_t>::failure(statement.error());
      auto row = statement->step();
      if (!row) return brindle::Result<std::int64_t>::failure(row.error());
      return statement->column_int64(0);
    });
    EXPECT_TRUE(value.ok()) << value.error();
    return value.ok() ? value.value() : -1;
  }

  int status_of(std::int64_t bet) {
    return static_cast<int>(scalar("SELECT status FROM bets WHERE id = " + std::to_string(bet)));
  }

  brindle::Result<int> deliver() { return market::deliver_finished_matches(*services_.db, settler_); }

  std::vector<std::string> mismatched_accounts() {
    auto check = services_.db->read([](Connection& c) { return accounts::check_ledger(c); });
    EXPECT_TRUE(check.ok()) << check.error();
    std::vector<std::string> names;
    if (check.ok()) {
      for (const auto& mismatch : check.value()) names.push_back(mismatch.user_name);
    }
    return names;
  }

  int match_ = 0;
  int home_ = 0;
  std::ostringstream log_;
  market::MatchFinishedHandler settler_;
};

TEST_F(HeldBets, AnUnpayableBetIsHeldBackAloneLoggedOnceAndRetriedUntilItPays) {
  const auto alice = add_account("alice", 100000);
  const auto bob = add_account("bob", 100000);
  const auto carol = add_account("carol", 100000);
  const auto dave = add_account("dave", 100000);
  const auto paid = bet_on_home("alice", home_);
  const auto too_large = bet_on_home("bob", home_);
  const auto short_frozen = bet_on_home("carol", home_);
  const int later_match = add_match();
  const auto later = bet_on_home("dave", add_line(later_match, 0, 3, 950));

  // Two ways the ledger refuses a payout: a return above the largest amount (a bet taken before
  // returns were capped) and a frozen amount that no longer covers the stake.
  sql("UPDATE bet_legs SET price_milli = 2000000000000 WHERE bet_id = " + std::to_string(too_large));
  sql("UPDATE accounts SET frozen_amount = 0 WHERE id = " + std::to_string(carol));
  ASSERT_TRUE(market::post_result(*services_.db, match_, 2, 0).ok());
  ASSERT_TRUE(market::post_result(*services_.db, later_match, 2, 0).ok());
  // The held match comes first, so a run that stopped at it would never reach the later one.
  sql("UPDATE market_matches SET decided_at = decided_at - 60 WHERE id = " + std::to_string(match_));

  auto first = deliver();
  ASSERT_FALSE(first.ok());
  EXPECT_EQ(first.error(), "match " + std::to_string(match_) + ": 2 bet(s) left unsettled");
  EXPECT_EQ(status_of(paid), 4);
  EXPECT_EQ(status_of(later), 4);
  EXPECT_EQ(balances_of(alice).available, 100000 - 1000 + 1950);
  EXPECT_EQ(balances_of(dave).available, 100000 - 1000 + 1950);
  EXPECT_EQ(status_of(too_large), 0);
  EXPECT_EQ(status_of(short_frozen), 0);
  EXPECT_EQ(balances_of(bob), (accounts::Balances{99000, 1000, 0}));
  // Bob's refused payout left nothing half done; only carol's doctored figures disagree.
  EXPECT_EQ(mismatched_accounts(), std::vector<std::string>{"carol"});

  const std::string logged = log_.str();
  for (const auto& [bet, account, reason] : {std::tuple{too_large, bob, "cannot return"},
                                             std::tuple{short_frozen, carol, "cannot settle a stake"}}) {
    char serial[16];
    std::snprintf(serial, sizeof serial, "%.10lld", static_cast<long long>(bet));
    const auto line = logged.find(std::string("settlement: bet ") + serial + " of account " +
                                  std::to_string(account) + " on match " + std::to_string(match_));
    ASSERT_NE(line, std::string::npos) << logged;
    EXPECT_NE(logged.find(reason, line), std::string::npos) << logged;
  }

  // Retried on the next pass without a second line and without paying anyone twice.
  EXPECT_FALSE(deliver().ok());
  EXPECT_EQ(log_.str(), logged);
  EXPECT_EQ(balances_of(alice).available, 100000 - 1000 + 1950);

  // Once the figures are put right the held bets are paid and the notice is delivered.
  sql("UPDATE bet_legs SET price_milli = 950 WHERE bet_id = " + std::to_string(too_large));
  sql("UPDATE accounts SET frozen_amount = 1000 WHERE id = " + std::to_string(carol));
  auto healed = deliver();
  ASSERT_TRUE(healed.ok()) << healed.error();
  EXPECT_EQ(healed.value(), 1);
  EXPECT_EQ(status_of(too_large), 4);
  EXPECT_EQ(status_of(short_frozen), 4);
  EXPECT_EQ(balances_of(bob).available, 100000 - 1000 + 1950);
  EXPECT_EQ(balances_of(alice).available, 100000 - 1000 + 1950);
  EXPECT_NE(log_.str().find("is no longer held back", logged.size()), std::string::npos) << log_.str();
  EXPECT_TRUE(mismatched_accounts().empty());
  auto again = deliver();
  ASSERT_TRUE(again.ok()) << again.error();
  EXPECT_EQ(again.value(), 0);
}

}  // namespace
