// Several servers on one database act as one service: one of them moves the market clock and
// another takes over when it goes, a finished match settles once however many settle it at once,
// and attempts spread over the servers are limited as if they had all come to one. On SQLite, which
// one server serves, that server always holds the clock.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "betting/bet_fixture.h"
#include "server/accounts/attempt_limiter.h"
#include "server/accounts/ledger.h"
#include "server/betting/match_settlement.h"
#include "server/market/clock_holder.h"
#include "server/market/market.h"
#include "server/market/market_store.h"
#include "server/market/match_result.h"
#include "server/services.h"
#include "support/postgresql_schema.h"

namespace {

namespace accounts = brindle::server::accounts;
namespace market = brindle::server::market;
namespace server = brindle::server;
using brindle::Result;
using server::storage::Connection;

using namespace std::chrono_literals;

// Another server's own handle on the same database: a pool and sessions of its own.
std::shared_ptr<server::storage::Database> another_handle(const std::filesystem::path& dir) {
  auto db = server::open_server_database(dir);
  EXPECT_TRUE(db.ok()) << db.error();
  return db.ok() ? db.value() : nullptr;
}

std::shared_ptr<market::Market> running_market(std::shared_ptr<server::storage::Database> db,
                                               const std::string& node) {
  market::MarketOptions options;
  options.poll_interval = 100ms;
  options.node = node;
  auto opened = market::Market::open(std::move(db), options);
  EXPECT_TRUE(opened.ok()) << opened.error();
  if (!opened.ok()) return nullptr;
  opened.value()->start();
  return opened.value();
}

template <typename Condition>
bool within(std::chrono::milliseconds limit, Condition condition) {
  const auto until = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(20ms);
  }
  return true;
}

class SharedDatabase : public brindle::testing::BetFixture {
 protected:
  std::optional<market::ClockHolder> holder() {
    auto read = services_.db->read([](Connection& c) { return market::read_clock_holder(c); });
    EXPECT_TRUE(read.ok()) << read.error();
    return read.ok() ? read.value() : std::nullopt;
  }
};

TEST_F(SharedDatabase, OneServerMovesTheClockAndAnotherTakesOverWhenItStops) {
  services_.market.reset();
  auto first = running_market(services_.db, "first");
  ASSERT_TRUE(first);
  ASSERT_TRUE(within(3s, [&] { return first->holds_clock(); }));
  if (!brindle::testing::on_postgresql()) {
    ASSERT_TRUE(within(3s, [&] { return holder() && holder()->node == "first"; }));
    return;  // one server per SQLite file: nobody to take over
  }
  auto second = running_market(another_handle(dir_.path()), "second");
  auto third = running_market(another_handle(dir_.path()), "third");
  ASSERT_TRUE(second && third);
  std::this_thread::sleep_for(500ms);
  EXPECT_TRUE(first->holds_clock());
  EXPECT_FALSE(second->holds_clock());
  EXPECT_FALSE(third->holds_clock());
  const auto beats = holder()->beats;
  ASSERT_TRUE(within(2s, [&] { return holder()->beats > beats; })) << "the holder's feed stood still";

  first->stop();
  EXPECT_FALSE(first->holds_clock());
  ASSERT_TRUE(within(5s, [&] { return second->holds_clock() || third->holds_clock(); }));
  std::this_thread::sleep_for(300ms);
  EXPECT_NE(second->holds_clock(), third->holds_clock()) << "exactly one holder";
  const std::string next = second->holds_clock() ? "second" : "third";
  EXPECT_TRUE(within(2s, [&] { return holder()->node == next; }));
}

// Every server that hears of the finished match settles it, all at once: each bet is paid once.
TEST_F(SharedDatabase, AMatchSettledByFourServersAtOncePaysEachBetOnce) {
  constexpr int kBettors = 12;
  const int match = add_match();
  const int home = add_line(match, 0, 1, 950);
  std::vector<std::int64_t> bettors;
  for (int i = 0; i < kBettors; ++i) {
    const std::string name = "bettor" + std::to_string(i);
    bettors.push_back(add_account(name, 10'000));
    auto taken = single(3010, name, brindle::testing::bet_form({home}, {950}, 1, 10 + i));
    ASSERT_TRUE(taken.success()) << taken.message();
  }
  ASSERT_TRUE(market::post_result(*services_.db, match, 2, 0).ok());

  std::vector<std::shared_ptr<server::storage::Database>> servers{services_.db};
  for (int i = 0; i < 3; ++i) servers.push_back(another_handle(dir_.path()));
  std::vector<int> settled(servers.size(), -1);
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < servers.size(); ++i) {
    threads.emplace_back([&, i] {
      auto done = server::betting::settle_match(*servers[i], match);
      EXPECT_TRUE(done.ok()) << done.error();
      if (done.ok()) settled[i] = done->settled;
    });
  }
  for (auto& t : threads) t.join();
  int total = 0;
  for (int n : settled) total += n;
  EXPECT_EQ(total, kBettors);

  // The stake back and 0.95 of it won, once.
  for (int i = 0; i < kBettors; ++i) {
    const std::int64_t stake = (10 + i) * 100;
    EXPECT_EQ(balances_of(bettors[static_cast<std::size_t>(i)]),
              (accounts::Balances{10'000 + stake * 95 / 100, 0, 0}))
        << "bettor" << i;
  }
  auto mismatches = services_.db->read([](Connection& c) { return accounts::check_ledger(c); });
  ASSERT_TRUE(mismatches.ok()) << mismatches.error();
  EXPECT_TRUE(mismatches->empty());
}

// Wrong guesses sent round the three servers in turn meet the refusals one server would give.
TEST_F(SharedDatabase, AttemptsSpreadOverThreeServersAreLimitedAsOnOne) {
  if (!brindle::testing::on_postgresql()) GTEST_SKIP() << "servers sharing a database";
  const accounts::AttemptPolicy policy{3, 1s, 60s, 6, 15min};
  auto now = std::chrono::steady_clock::now();
  auto clock = [&now] { return now; };
  accounts::AttemptLimiter alone(policy, clock);
  std::vector<std::unique_ptr<accounts::AttemptLimiter>> three;
  for (int i = 0; i < 3; ++i) {
    three.push_back(std::make_unique<accounts::AttemptLimiter>(
        policy, i == 0 ? services_.db : another_handle(dir_.path()), "sign-in name", clock));
  }
  for (int attempt = 0; attempt < 12; ++attempt) {
    auto& node = *three[static_cast<std::size_t>(attempt % 3)];
    const auto expected = alone.check("guessed");
    const auto verdict = node.check("guessed");
    EXPECT_EQ(verdict.kind, expected.kind) << "attempt " << attempt;
    EXPECT_EQ(verdict.wait, expected.wait) << "attempt " << attempt;
    if (expected.allowed()) {
      EXPECT_EQ(node.count("guessed").kind, alone.count("guessed").kind) << "attempt " << attempt;
    }
    now += 700ms;
  }
  EXPECT_EQ(alone.check("guessed").kind, accounts::AttemptVerdict::Kind::locked);
  EXPECT_EQ(three[1]->check("guessed").kind, accounts::AttemptVerdict::Kind::locked);
  // A success elsewhere does not lift the lock; once the lock is over, it clears the count.
  three[2]->clear("guessed");
  EXPECT_EQ(three[0]->check("guessed").kind, accounts::AttemptVerdict::Kind::locked);
  now += 16min;
  EXPECT_TRUE(three[0]->check("guessed").allowed());
  EXPECT_FALSE(three[1]->has_record("guessed"));
}

}  // namespace
