// Money under contention: many clients at once on one account, one banker market or one payer,
// through the subjects as the client sends them. Every race runs on SQLite and on PostgreSQL, where
// write transactions are SERIALIZABLE and the losers of a conflict run again; a loser must come out
// as the service's own refusal or a success, never as a database error, and no money may appear or
// vanish on the way.

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "betting/bet_fixture.h"
#include "server/accounts/account_store.h"
#include "server/accounts/ledger.h"
#include "server/banker/banker_store.h"
#include "server/rooms/star_handlers.h"
#include "server/storage/money.h"
#include "support/postgresql_schema.h"

namespace {

namespace accounts = brindle::server::accounts;
namespace banker = brindle::server::banker;
namespace server = brindle::server;
using brindle::Result;
using brindle::testing::bet_form;
using brindle::testing::BetFixture;
using server::storage::Connection;

constexpr int kRacers = 32;

struct Outcome {
  bool ok = false;
  std::string message;
};

std::string numbers(const std::vector<std::int64_t>& values) {
  std::string text;
  for (auto v : values) text += (text.empty() ? "" : " ") + std::to_string(v);
  return text;
}

struct Race {
  std::vector<Outcome> outcomes;
  std::chrono::milliseconds took{};
  int watched = 0;            // committed states the watcher checked while the racers ran
  std::string watch_problem;  // the first thing it found wrong

  int accepted() const {
    int n = 0;
    for (const auto& o : outcomes) n += o.ok ? 1 : 0;
    return n;
  }
  // The refusals by their text, so a database error among them shows with its words.
  std::map<std::string, int> refusals() const {
    std::map<std::string, int> by_text;
    for (const auto& o : outcomes)
      if (!o.ok) ++by_text[o.message];
    return by_text;
  }
};

class MoneyRaces : public BetFixture {
 protected:
  void SetUp() override {
    // PostgreSQL breaks a deadlock after deadlock_timeout and the loser runs again, so two
    // transactions locking rows in opposite orders cost only a second now and then. Held for six
    // seconds here, a single deadlock fails the race's time limit.
    if (brindle::testing::on_postgresql()) {
      const char* address = std::getenv(kDatabaseVariable);
      ASSERT_NE(address, nullptr);
      saved_address_ = address;
      const auto options = saved_address_.rfind("options=");
      ASSERT_TRUE(options != std::string::npos && saved_address_.find('&', options) == std::string::npos)
          << "the test database's options are not its address's last parameter: " << saved_address_;
      ::setenv(kDatabaseVariable, (saved_address_ + "%20-cdeadlock_timeout%3D6s").c_str(), 1);
    }
    BetFixture::SetUp();
    ASSERT_TRUE(server::add_star_handlers(*dispatcher_, services_).ok());
  }

  void TearDown() override {
    if (!saved_address_.empty()) ::setenv(kDatabaseVariable, saved_address_.c_str(), 1);
  }

  // An account bought in with `cents`, counted in the money every race must keep.
  std::int64_t funded(const std::string& name, std::int64_t cents) {
    put_in_ += cents;
    return add_account(name, cents);
  }

  // A funded account with the withdrawal password "wd"; a star member may transfer to anyone, any
  // other member only cash out to a star.
  std::int64_t member(const std::string& name, std::int64_t cents, bool star) {
    const auto id = funded(name, cents);
    auto set = services_.db->transaction([&](Connection& c) -> Result<void> {
      if (auto password = accounts::set_withdrawal_password(c, *services_.hasher, id, "wd"); !password)
        return password;
      return star ? accounts::set_star_member(c, id, true) : Result<void>{};
    });
    EXPECT_TRUE(set.ok()) << set.error();
    return id;
  }

  static Outcome outcome_of(const brindle::wire::SingleRecordReply& reply) {
    return {reply.success(), reply.message()};
  }

  // The integer columns of a query's first row, read in one snapshot.
  std::vector<std::int64_t> row(const std::string& query) {
    auto read = services_.db->read([&](Connection& c) -> Result<std::vector<std::int64_t>> {
      using R = Result<std::vector<std::int64_t>>;
      auto statement = c.prepare(query);
      if (!statement) return R::failure(statement.error());
      auto stepped = statement->step();
      if (!stepped) return R::failure(stepped.error());
      std::vector<std::int64_t> values;
      for (int i = 0; stepped.value() && i < statement->column_count(); ++i)
        values.push_back(statement->column_int64(i));
      return values;
    });
    EXPECT_TRUE(read.ok()) << read.error() << "\n" << query;
    return read.ok() ? read.value() : std::vector<std::int64_t>{};
  }

  std::int64_t money_held() {
    const auto sum = row("SELECT SUM(balance + frozen_amount) FROM accounts");
    return sum.empty() ? -1 : sum[0];
  }

  // Runs racer(0 … n−1) on threads of their own, all let go at once when the last is ready, while
  // `watch` checks the committed state again and again (an empty answer: all is well).
  Race race(int n, const std::function<Outcome(int)>& racer, const std::function<std::string()>& watch = {}) {
    Race result;
    result.outcomes.resize(static_cast<std::size_t>(n));
    std::atomic<int> ready{0};
    std::atomic<int> running{n};
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (int i = 0; i < n; ++i) {
      threads.emplace_back([&, i] {
        ready.fetch_add(1);
        while (!go.load()) std::this_thread::yield();
        result.outcomes[static_cast<std::size_t>(i)] = racer(i);
        running.fetch_sub(1);
      });
    }
    std::thread watcher;
    if (watch) {
      watcher = std::thread([&] {
        while (!go.load()) std::this_thread::yield();
        while (running.load() > 0) {
          auto problem = watch();
          if (!problem.empty() && result.watch_problem.empty()) result.watch_problem = std::move(problem);
          ++result.watched;
        }
      });
    }
    while (ready.load() < n) std::this_thread::yield();
    const auto start = std::chrono::steady_clock::now();
    go = true;
    for (auto& t : threads) t.join();
    result.took =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    if (watcher.joinable()) watcher.join();
    if (watch) {
      if (auto problem = watch(); !problem.empty() && result.watch_problem.empty())
        result.watch_problem = std::move(problem);
    }
    // Well under a second on either engine. Racers caught in a deadlock wait deadlock_timeout (six
    // seconds here, see SetUp) before PostgreSQL ends one of them.
    EXPECT_LT(result.took, std::chrono::seconds(5));
    RecordProperty("race_ms", static_cast<int>(result.took.count()));
    RecordProperty("states_watched", result.watched);
    return result;
  }

  // After every race: each account agrees with its statement, and all of them together hold
  // exactly the money bought in.
  void expect_money_kept() {
    auto mismatches = services_.db->read([](Connection& c) { return accounts::check_ledger(c); });
    ASSERT_TRUE(mismatches.ok()) << mismatches.error();
    for (const auto& m : mismatches.value()) ADD_FAILURE() << m.user_name << ": " << m.problem;
    EXPECT_EQ(money_held(), put_in_);
  }

  static constexpr const char* kDatabaseVariable = "BRINDLE_DATABASE";
  std::string saved_address_;
  std::int64_t put_in_ = 0;
};

TEST_F(MoneyRaces, ClientsBettingOneBalanceAtOnceGetExactlyTheBetsItCovers) {
  constexpr int kCovered = 10;
  constexpr std::int64_t kStake = 1'000;  // 10.00 a bet
  const auto bettor = funded("bettor", kCovered * kStake);
  const int match = add_match();
  const int home = add_line(match, 0, 3, 950);

  auto result = race(
      kRacers, [&](int) { return outcome_of(single(3010, "bettor", bet_form({home}, {950}, 1, 10))); },
      [&] {
        const auto b = balances_of(bettor);
        if (b.available < 0 || b.available + b.frozen != kCovered * kStake || b.frozen % kStake != 0)
          return "available " + std::to_string(b.available) + ", frozen " + std::to_string(b.frozen);
        return std::string();
      });

  EXPECT_EQ(result.accepted(), kCovered);
  EXPECT_EQ(result.refusals(),
            (std::map<std::string, int>{{std::string(accounts::kNotEnoughBalanceText), kRacers - kCovered}}));
  EXPECT_EQ(result.watch_problem, "");
  EXPECT_EQ(balances_of(bettor), (accounts::Balances{0, kCovered * kStake, 0}));
  EXPECT_EQ(row("SELECT COUNT(*), SUM(stake) FROM bets WHERE account_id = " + std::to_string(bettor)),
            (std::vector<std::int64_t>{kCovered, kCovered * kStake}));
  expect_money_kept();
}

TEST_F(MoneyRaces, TakersRacingForOneBankerMarketTakeExactlyItsAcceptableStake) {
  constexpr int kCovered = 10;
  const auto banker_id = funded("banker", 1'000'000);
  std::vector<std::int64_t> takers;
  for (int i = 0; i < kRacers; ++i) takers.push_back(funded("taker" + std::to_string(i), 100'000));
  const int match = add_match();
  const int option = add_line(match, 1, 1, 1000);
  // Net price 1.000: each take of 10.00 reserves 10.00 of the banker's 100.00.
  auto opened = single(3008, "banker",
                       std::to_string(banker::openable_number(match, 1)) + "|1|100|" +
                           brindle::testing::ten(option) + "|0001000");
  ASSERT_TRUE(opened.success()) << opened.message();
  const std::int64_t market = std::stoll(opened.fields().text());
  const std::int64_t offer = row("SELECT MAX(id) FROM banker_offers").at(0);
  const std::string figures =
      "SELECT m.stake, m.reserved, m.cancelled,"
      " (SELECT COALESCE(SUM(liability), 0) FROM banker_bets WHERE market_id = m.id),"
      " (SELECT COALESCE(SUM(taken), 0) FROM banker_offers WHERE market_id = m.id)"
      " FROM banker_markets m WHERE m.id = " +
      std::to_string(market);

  auto result = race(
      kRacers,
      [&](int i) {
        return outcome_of(single(3009, "taker" + std::to_string(i), std::to_string(offer) + "|10"));
      },
      [&] {
        const auto f = row(figures);
        if (f.size() != 5 || f[1] > f[0] || f[1] != f[3] || f[1] != f[4])
          return "stake, reserved, cancelled, liabilities, taken: " + numbers(f);
        return std::string();
      });

  EXPECT_EQ(result.accepted(), kCovered);
  EXPECT_EQ(result.refusals(),
            (std::map<std::string, int>{{std::string(banker::kOverAcceptableText), kRacers - kCovered}}));
  EXPECT_EQ(result.watch_problem, "");
  EXPECT_EQ(row(figures), (std::vector<std::int64_t>{10'000, 10'000, 0, 10'000, 10'000}));
  EXPECT_EQ(balances_of(banker_id).frozen, 10'000);
  for (int i = 0; i < kRacers; ++i) {
    const bool took = result.outcomes[static_cast<std::size_t>(i)].ok;
    EXPECT_EQ(balances_of(takers[static_cast<std::size_t>(i)]),
              (took ? accounts::Balances{99'000, 1'000, 0} : accounts::Balances{100'000, 0, 0}))
        << "taker" << i;
  }
  expect_money_kept();
}

TEST_F(MoneyRaces, TransfersOutOfOneAccountAtOnceMoveExactlyWhatItHolds) {
  constexpr int kCovered = 10;  // 30.00 pays ten transfers of 3.00
  constexpr int kCashOuts = 8;  // 8.00 pays four cash-outs of 2.00
  constexpr int kEachWay = 16;
  const auto payer = member("payer", kCovered * 300, true);
  std::vector<std::int64_t> payees;
  for (int i = 0; i < 4; ++i) payees.push_back(member("payee" + std::to_string(i), 100, false));
  const auto a = member("alpha", 100'000, true);
  const auto b = member("beta", 100'000, true);
  const auto cashing = member("cashing", 800, false);

  // Racers 0–31 pay out of "payer"; then alpha and beta transfer to each other, 5.00 one way and
  // 7.00 the other, each direction changing the two rows in the opposite order; last, a member who
  // is no star cashes out to alpha.
  const int total = kRacers + 2 * kEachWay + kCashOuts;
  auto result = race(
      total,
      [&](int i) {
        std::string from, para;
        if (i < kRacers) {
          from = "payer";
          para = "wd|3.000000|payee" + std::to_string(i % 4);
        } else if (i < kRacers + 2 * kEachWay) {
          const bool forth = (i - kRacers) % 2 == 0;
          from = forth ? "alpha" : "beta";
          para = forth ? "wd|5.000000|beta" : "wd|7.000000|alpha";
        } else {
          from = "cashing";
          para = "wd|2.000000|alpha";
        }
        return outcome_of(brindle::wire::SingleRecordReply(send("DATA_UPDATE", 2009, from, para)));
      },
      [&] {
        const auto held = money_held();
        if (held != put_in_) return "the accounts hold " + std::to_string(held);
        return std::string();
      });

  int paid = 0, swapped = 0, cashed = 0;
  std::map<std::string, int> refused;
  for (int i = 0; i < total; ++i) {
    const auto& o = result.outcomes[static_cast<std::size_t>(i)];
    int& count = i < kRacers ? paid : i < kRacers + 2 * kEachWay ? swapped : cashed;
    if (o.ok) ++count;
    if (!o.ok) ++refused[o.message];
  }
  EXPECT_EQ(paid, kCovered);
  EXPECT_EQ(swapped, 2 * kEachWay);
  EXPECT_EQ(cashed, kCashOuts / 2);
  EXPECT_EQ(refused, (std::map<std::string, int>{{std::string(accounts::kNotEnoughBalanceText),
                                                  kRacers - kCovered + kCashOuts / 2}}));
  EXPECT_EQ(result.watch_problem, "");
  EXPECT_EQ(balances_of(payer), (accounts::Balances{0, 0, 0}));
  std::int64_t received = 0;
  for (auto p : payees) received += balances_of(p).available - 100;
  EXPECT_EQ(received, kCovered * 300);
  EXPECT_EQ(balances_of(cashing).available, 0);
  EXPECT_EQ(balances_of(a).available, 100'000 - kEachWay * 500 + kEachWay * 700 + 800);
  EXPECT_EQ(balances_of(b).available, 100'000 + kEachWay * 500 - kEachWay * 700);
  expect_money_kept();
}

// The banker cancels his market while 31 takers race for it, earlier or later in each round: a
// take either went in before the cancellation, which then left its reserve frozen for settlement,
// or was refused as the closed offer it met.
TEST_F(MoneyRaces, CancellingAMarketWhileTakersRaceKeepsEveryTakeOrRefusesIt) {
  constexpr int kTakers = kRacers - 1;
  constexpr std::int64_t kBacking = 10'000;  // 100.00
  constexpr std::int64_t kLiability = 200;   // a take of 2.00 at net price 1.000
  const auto banker_id = funded("banker", 1'000'000);
  std::vector<std::int64_t> takers;
  for (int i = 0; i < kTakers; ++i) takers.push_back(funded("taker" + std::to_string(i), 100'000));

  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const int match = add_match();
    const int option = add_line(match, 1, 1, 1000);
    const auto banker_before = balances_of(banker_id);
    auto opened = single(3008, "banker",
                         std::to_string(banker::openable_number(match, 1)) + "|1|100|" +
                             brindle::testing::ten(option) + "|0001000");
    ASSERT_TRUE(opened.success()) << opened.message();
    const std::int64_t market = std::stoll(opened.fields().text());
    const std::int64_t offer = row("SELECT MAX(id) FROM banker_offers").at(0);
    std::vector<accounts::Balances> takers_before;
    for (const auto taker : takers) takers_before.push_back(balances_of(taker));

    // Round 0 cancels at once; the later rounds once 10 and 20 takes have gone in.
    std::atomic<int> taken_so_far{0};
    auto result = race(
        kRacers,
        [&](int i) {
          if (i == kTakers) {
            while (taken_so_far.load() < round * 10) std::this_thread::yield();
            return outcome_of(brindle::wire::SingleRecordReply(
                send("DATA_UPDATE", 2014, "banker", std::to_string(market))));
          }
          auto taken = outcome_of(single(3009, "taker" + std::to_string(i), std::to_string(offer) + "|2"));
          if (taken.ok) taken_so_far.fetch_add(1);
          return taken;
        },
        [&] {
          const auto f =
              row("SELECT reserved, cancelled, (SELECT COALESCE(SUM(liability), 0) FROM"
                  " banker_bets WHERE market_id = m.id) FROM banker_markets m WHERE id = " +
                  std::to_string(market));
          if (f.size() != 3 || f[0] + f[1] > kBacking || f[0] != f[2])
            return "reserved, cancelled, liabilities: " + numbers(f);
          const auto held = money_held();
          if (held != put_in_) return "the accounts hold " + std::to_string(held);
          return std::string();
        });

    const Outcome cancelled = result.outcomes.back();
    result.outcomes.pop_back();
    const int accepted = result.accepted();
    const std::int64_t refund = kBacking - accepted * kLiability;
    ASSERT_TRUE(cancelled.ok) << cancelled.message;
    EXPECT_EQ(cancelled.message,
              std::string(banker::kCancelledText) + "退回彩金" + server::storage::money_text(refund));
    if (accepted < kTakers) {
      EXPECT_EQ(result.refusals(),
                (std::map<std::string, int>{{std::string(banker::kNoOfferText), kTakers - accepted}}));
    }
    EXPECT_EQ(result.watch_problem, "");
    EXPECT_EQ(row("SELECT reserved, cancelled, (SELECT COUNT(*) FROM banker_bets WHERE market_id = m.id),"
                  " (SELECT COUNT(*) FROM banker_offers WHERE market_id = m.id AND open = 1)"
                  " FROM banker_markets m WHERE id = " +
                  std::to_string(market)),
              (std::vector<std::int64_t>{accepted * kLiability, refund, accepted, 0}));
    EXPECT_EQ(balances_of(banker_id), (accounts::Balances{banker_before.available - accepted * kLiability,
                                                          banker_before.frozen + accepted * kLiability, 0}));
    for (int i = 0; i < kTakers; ++i) {
      auto expected = takers_before[static_cast<std::size_t>(i)];
      if (result.outcomes[static_cast<std::size_t>(i)].ok) {
        expected.available -= kLiability;
        expected.frozen += kLiability;
      }
      EXPECT_EQ(balances_of(takers[static_cast<std::size_t>(i)]), expected) << "taker" << i;
    }
    expect_money_kept();

    // The takes that went in are settled like any other: home wins, each taker doubles his 2.00.
    finish(match, 1, 0);
    EXPECT_EQ(balances_of(banker_id),
              (accounts::Balances{banker_before.available - accepted * kLiability, banker_before.frozen, 0}));
    expect_money_kept();
    RecordProperty("taken_round_" + std::to_string(round), accepted);
  }
}

}  // namespace
