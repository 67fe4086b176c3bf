#include "server/accounts/ledger.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <functional>
#include <thread>

#include "accounts_fixture.h"
#include "server/accounts/statement.h"
#include "server/storage/timestamp.h"

namespace brindle::server::accounts {
namespace {

using storage::Connection;

TEST_F(AccountsTest, AStakeIsFrozenThenSettledWithOneStatementEntry) {
  const AccountId id = add("alice", "pw", 10'000);
  auto frozen = db_->transaction([&](Connection& c) { return freeze_stake(c, id, 2'500); });
  ASSERT_TRUE(frozen.ok()) << frozen.error();
  EXPECT_EQ(frozen.value(), (Balances{7'500, 2'500, 0}));

  // A win at 0.9: the stake back plus 0.9 of it.
  auto settled = db_->transaction(
      [&](Connection& c) { return settle_stake(c, id, 2'500, 4'750, StatementType::bet, "0000000042"); });
  ASSERT_TRUE(settled.ok()) << settled.error();
  EXPECT_EQ(settled.value(), (Balances{12'250, 0, 0}));

  auto entries = db_->read([&](Connection& c) { return statement_entries(c, id, 0, INT64_MAX); });
  ASSERT_TRUE(entries.ok());
  ASSERT_EQ(entries->size(), 2u);
  EXPECT_EQ(entries.value()[0].type, 1);
  EXPECT_EQ(entries.value()[0].amount, 10'000);
  EXPECT_EQ(entries.value()[0].balance_before, 0);
  EXPECT_EQ(entries.value()[1].type, 13);
  EXPECT_EQ(entries.value()[1].amount, 2'250);
  EXPECT_EQ(entries.value()[1].balance_before, 10'000) << "the stake was still the account's money";
  EXPECT_EQ(entries.value()[1].content, "0000000042");
  EXPECT_TRUE(mismatches().empty());
}

TEST_F(AccountsTest, RefusedMovementsChangeNothing) {
  const AccountId rich = add("rich", "pw", 1'000);
  const AccountId fresh = add("fresh", "pw");
  const AccountId locked = add("locked", "pw", 1'000);
  ASSERT_TRUE(db_->transaction([&](Connection& c) { return set_frozen(c, locked, true); }).ok());

  const struct {
    AccountId account;
    Cents stake;
    std::string_view error;
  } refusals[] = {
      {rich, 1'001, kNotEnoughBalanceText},
      {rich, 0, kBadStakeText},
      {rich, -5, kBadStakeText},
      {fresh, 100, kNoCurrencyText},
      {locked, 100, kAccountFrozenText},
      {9999, 100, kNoSuchAccountText},
  };
  for (const auto& r : refusals) {
    auto result = db_->transaction([&](Connection& c) { return freeze_stake(c, r.account, r.stake); });
    ASSERT_FALSE(result.ok()) << r.account << " " << r.stake;
    EXPECT_EQ(result.error(), r.error);
  }
  EXPECT_FALSE(
      db_->transaction([&](Connection& c) { return settle_stake(c, rich, 100, 0, StatementType::bet, "x"); })
          .ok())
      << "nothing is frozen to settle";
  EXPECT_FALSE(
      db_->transaction([&](Connection& c) { return credit(c, rich, -1'001, Currency::rmb, "x"); }).ok());
  EXPECT_FALSE(
      db_->transaction([&](Connection& c) { return credit(c, fresh, -1, Currency::rmb, "x"); }).ok());
  EXPECT_EQ(funds(rich), (Balances{1'000, 0, 0}));
  EXPECT_EQ(funds(fresh), (Balances{0, 0, 0}));
  EXPECT_TRUE(mismatches().empty());
}

TEST_F(AccountsTest, TheFirstBuyInGivesTheCurrencyAndLaterOnesKeepIt) {
  const AccountId id = add("fresh", "pw");
  ASSERT_TRUE(db_->transaction([&](Connection& c) { return credit(c, id, 500, Currency::hkd, "x"); }).ok());
  ASSERT_TRUE(db_->transaction([&](Connection& c) { return credit(c, id, 500, Currency::usd, "x"); }).ok());
  auto account = db_->read([&](Connection& c) { return find_account(c, id); });
  ASSERT_TRUE(account.ok() && account.value());
  EXPECT_EQ(account.value()->currency, Currency::hkd);
  EXPECT_EQ(account.value()->balance, 1'000);
}

TEST_F(AccountsTest, TwoThreadsFreezingTheWholeBalanceAtOnceNeverOverdraw) {
  const AccountId id = add("alice", "pw", 5'000);
  // A second handle on the same file, as a second server process or connection would have.
  auto other = storage::Database::open_in(dir_.path());
  ASSERT_TRUE(other.ok());
  for (int round = 0; round < 20; ++round) {
    std::atomic<int> go{0};
    std::atomic<int> accepted{0};
    auto bettor = [&](storage::Database& database) {
      go.fetch_add(1);
      while (go.load() < 2) {
      }
      auto result = database.transaction([&](Connection& c) { return freeze_stake(c, id, 5'000); });
      if (result.ok()) accepted.fetch_add(1);
    };
    std::thread a(bettor, std::ref(*db_));
    std::thread b(bettor, std::ref(*other.value()));
    a.join();
    b.join();
    ASSERT_EQ(accepted.load(), 1) << "round " << round;
    EXPECT_EQ(funds(id), (Balances{0, 5'000, 0}));
    ASSERT_TRUE(db_->transaction([&](Connection& c) {
                     return settle_stake(c, id, 5'000, 5'000, StatementType::bet, "push");
                   })
                    .ok());
  }
  EXPECT_TRUE(mismatches().empty());
}

// Every kind of movement, with a stake frozen in between: the entries chain (each balance before
// is the previous one plus its amount) and end at balance + frozen.
TEST_F(AccountsTest, TransfersCommissionsAndCreditChangesChainWithBetsInTheStatement) {
  const AccountId alice = add("alice", "pw", 10'000);
  const AccountId bob = add("bob", "pw", 5'000);
  const struct {
    std::string_view step;
    std::function<Result<Balances>(Connection&)> run;
  } steps[] = {
      {"freeze", [&](Connection& c) { return freeze_stake(c, alice, 4'000); }},
      {"transfer out",
       [&](Connection& c) -> Result<Balances> {
         auto t = transfer(c, alice, bob, 1'500);
         if (!t) return Result<Balances>::failure(t.error());
         return t->payer;
       }},
      {"commission",
       [&](Connection& c) { return book(c, alice, StatementType::star_commission, 250, "佣金"); }},
      {"credit up", [&](Connection& c) { return change_credit(c, alice, 2'000, "受信"); }},
      {"settle",
       [&](Connection& c) { return settle_stake(c, alice, 4'000, 0, StatementType::parlay, "0000000009"); }},
      {"credit down", [&](Connection& c) { return change_credit(c, alice, -500, "受信"); }},
  };
  for (const auto& s : steps) {
    auto done = db_->transaction(s.run);
    ASSERT_TRUE(done.ok()) << s.step << ": " << done.error();
  }
  EXPECT_EQ(funds(alice), (Balances{10'000 - 1'500 + 250 + 2'000 - 4'000 - 500, 0, 1'500}));
  EXPECT_EQ(funds(bob), (Balances{6'500, 0, 0}));

  auto entries = db_->read([&](Connection& c) { return statement_entries(c, alice, 0, INT64_MAX); });
  ASSERT_TRUE(entries.ok());
  const std::vector<std::pair<int, Cents>> expected = {{1, 10'000}, {8, -1'500},  {5, 250},
                                                       {23, 2'000}, {50, -4'000}, {23, -500}};
  ASSERT_EQ(entries->size(), expected.size());
  Cents running = 0;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const auto& e = entries.value()[i];
    EXPECT_EQ(std::pair(e.type, e.amount), expected[i]) << i;
    EXPECT_EQ(e.balance_before, running) << i;
    running += e.amount;
  }
  EXPECT_EQ(running, funds(alice).available + funds(alice).frozen);
  EXPECT_EQ(entries.value()[1].content, "bob") << "the counterpart's user name";
  auto bobs = db_->read([&](Connection& c) { return statement_entries(c, bob, 0, INT64_MAX); });
  ASSERT_TRUE(bobs.ok());
  ASSERT_EQ(bobs->size(), 2u);
  EXPECT_EQ(bobs->back().type, 8);
  EXPECT_EQ(bobs->back().amount, 1'500);
  EXPECT_EQ(bobs->back().content, "alice");
  EXPECT_EQ(bobs->back().balance_before, 5'000);
  EXPECT_TRUE(mismatches().empty());
}

TEST_F(AccountsTest, AClockSetBackStillWritesEntriesInTheOrderOfTheChain) {
  const AccountId id = add("alice", "pw", 1'000);
  const std::int64_t later = storage::now_unix_seconds() + 3600;  // the entry of a clock an hour ahead
  ASSERT_TRUE(db_->transaction([&](Connection& c) {
                   return c.execute_script("UPDATE statement_entries SET time = " + std::to_string(later));
                 })
                  .ok());
  ASSERT_TRUE(
      db_->transaction([&](Connection& c) { return book(c, id, StatementType::promotion, 50, "x"); }).ok());
  auto entries = db_->read([&](Connection& c) { return statement_entries(c, id, 0, INT64_MAX); });
  ASSERT_TRUE(entries.ok());
  ASSERT_EQ(entries->size(), 2u);
  EXPECT_EQ(entries.value()[1].type, 20);
  EXPECT_EQ(entries.value()[1].time, later);
  EXPECT_EQ(entries.value()[1].balance_before, 1'000);
}

TEST_F(AccountsTest, RefusedTransfersBookingsAndCreditChangesChangeNothing) {
  const AccountId rich = add("rich", "pw", 1'000);
  const AccountId poor = add("poor", "pw", 100);
  const AccountId fresh = add("fresh", "pw");
  const AccountId locked = add("locked", "pw", 1'000);
  ASSERT_TRUE(db_->transaction([&](Connection& c) { return set_frozen(c, locked, true); }).ok());
  const auto as_balances = [](Result<TransferResult> t) -> Result<Balances> {
    if (!t) return Result<Balances>::failure(t.error());
    return t->payer;
  };
  const struct {
    std::string_view what;
    std::function<Result<Balances>(Connection&)> run;
    std::string_view error;
  } refusals[] = {
      {"more than the payer has", [&](Connection& c) { return as_balances(transfer(c, poor, rich, 101)); },
       kNotEnoughBalanceText},
      {"to oneself", [&](Connection& c) { return as_balances(transfer(c, rich, rich, 1)); },
       kTransferToSelfText},
      {"nothing", [&](Connection& c) { return as_balances(transfer(c, rich, poor, 0)); }, kBadAmountText},
      {"negative", [&](Connection& c) { return as_balances(transfer(c, rich, poor, -5)); }, kBadAmountText},
      {"to a frozen account", [&](Connection& c) { return as_balances(transfer(c, rich, locked, 5)); },
       kAccountFrozenText},
      {"to one without currency", [&](Connection& c) { return as_balances(transfer(c, rich, fresh, 5)); },
       kNoCurrencyText},
      {"to nobody", [&](Connection& c) { return as_balances(transfer(c, rich, 9999, 5)); },
       kNoSuchAccountText},
      {"a booking of 0", [&](Connection& c) { return book(c, rich, StatementType::promotion, 0, "x"); },
       kBadAmountText},
      {"a charge beyond the balance",
       [&](Connection& c) { return book(c, poor, StatementType::withdrawal_fee, -101, "x"); },
       kNotEnoughBalanceText},
      {"credit below 0", [&](Connection& c) { return change_credit(c, rich, -1, "x"); }, kBadAmountText},
  };
  for (const auto& r : refusals) {
    auto result = db_->transaction(r.run);
    ASSERT_FALSE(result.ok()) << r.what;
    EXPECT_EQ(result.error(), r.error) << r.what;
  }
  EXPECT_EQ(funds(rich), (Balances{1'000, 0, 0}));
  EXPECT_EQ(funds(poor), (Balances{100, 0, 0}));
  EXPECT_TRUE(mismatches().empty());
}

TEST_F(AccountsTest, LedgerCheckFindsFundsThatDisagreeWithTheStatement) {
  const AccountId id = add("alice", "pw", 1'000);
  add("bob", "pw", 2'000);
  ASSERT_TRUE(mismatches().empty());
  ASSERT_TRUE(db_->transaction([&](Connection& c) -> Result<void> {
                   auto s = c.prepare("UPDATE accounts SET balance = balance + 1 WHERE id = ?1");
                   if (!s) return Result<void>::failure(s.error());
                   s->bind(1, id);
                   return s->run();
                 })
                  .ok());
  auto found = mismatches();
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].user_name, "alice");

  // A broken chain of "balance before" is found too, even when the sum agrees.
  ASSERT_TRUE(db_->transaction([&](Connection& c) {
                   return c.execute_script(
                       "UPDATE accounts SET balance = balance - 1;"
                       "UPDATE statement_entries SET balance_before = 5 WHERE id = (SELECT max(id) FROM "
                       "statement_entries)");
                 })
                  .ok());
  EXPECT_FALSE(mismatches().empty());
}

// Money movements in a child process that is killed with SIGKILL mid-way: after reopening, every
// committed movement is there in full and every account agrees with its statement.
TEST(LedgerCrash, AKilledWriterLeavesEveryAccountConsistent) {
  testing::TempDir dir;
  const PasswordHasher hasher(1000);
  constexpr int kAccounts = 4;
  {
    auto db = open_server_database(dir.path()).value();
    for (int i = 0; i < kAccounts; ++i) {
      ASSERT_TRUE(db->transaction([&](Connection& c) -> Result<AccountId> {
                      NewAccount account;
                      account.user_name = "crash" + std::to_string(i);
                      account.password = "pw";
                      auto id = create_account(c, hasher, account);
                      if (!id) return id;
                      if (auto bought = credit(c, id.value(), 1'000'000, Currency::rmb, "start"); !bought)
                        return Result<AccountId>::failure(bought.error());
                      return id;
                    }).ok());
    }
  }
  int progress_pipe[2];
  ASSERT_EQ(pipe(progress_pipe), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(progress_pipe[0]);
    auto db = open_server_database(dir.path());
    if (!db) _exit(3);
    for (std::int64_t n = 0;; ++n) {
      const AccountId id = 1 + n % kAccounts;
      (void)db.value()->transaction([&](Connection& c) -> Result<Balances> {
        auto frozen = freeze_stake(c, id, 100 + n % 37);
        if (!frozen) return frozen;
        return settle_stake(c, id, 100 + n % 37, (n % 3) * (100 + n % 37), StatementType::bet,
                            std::to_string(n));
      });
      if (n % 10 == 0) (void)db.value()->transaction([&](Connection& c) { return freeze_stake(c, id, 50); });
      if (n == 200) (void)!write(progress_pipe[1], "x", 1);
    }
  }
  close(progress_pipe[1]);
  char byte = 0;
  ASSERT_EQ(read(progress_pipe[0], &byte, 1), 1) << "the writer never got going";
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  close(progress_pipe[0]);
  ASSERT_TRUE(WIFSIGNALED(status));

  auto db = open_server_database(dir.path());
  ASSERT_TRUE(db.ok()) << db.error();
  auto entries = db.value()->read([](Connection& c) -> Result<std::int64_t> {
    auto s = c.prepare("SELECT count(*) FROM statement_entries");
    if (!s) return Result<std::int64_t>::failure(s.error());
    (void)s->step();
    return s->column_int64(0);
  });
  EXPECT_GT(entries.value(), 200 + kAccounts);
  auto mismatches = db.value()->read([](Connection& c) { return check_ledger(c); });
  ASSERT_TRUE(mismatches.ok()) << mismatches.error();
  for (const auto& m : mismatches.value()) ADD_FAILURE() << m.user_name << ": " << m.problem;
}

}  // namespace
}  // namespace brindle::server::accounts
