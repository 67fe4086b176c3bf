#include "server/admin/copy_command.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "server/accounts/account_store.h"
#include "server/accounts/ledger.h"
#include "server/accounts/password_hash.h"
#include "server/admin/account_commands.h"
#include "server/admin/subcommand.h"
#include "server/services.h"
#include "server/storage/database_copy.h"
#include "support/postgresql_schema.h"
#include "support/temp_dir.h"

namespace brindle::server::admin {
namespace {

using storage::Connection;

// Every table's rows, each row's columns as text (NULL told apart), sorted: two databases with the
// same dump hold the same data whatever the order the rows went in.
using Dump = std::map<std::string, std::vector<std::string>>;

Dump dump(storage::Database& db) {
  auto dumped = db.read([](Connection& c) -> Result<Dump> {
    auto tables = storage::list_tables(c);
    if (!tables) return Result<Dump>::failure(tables.error());
    Dump all;
    for (const auto& table : tables.value()) {
      if (table == "schema_migrations") continue;
      auto select = c.prepare("SELECT * FROM " + table);
      if (!select) return Result<Dump>::failure(select.error());
      auto& rows = all[table];
      for (;;) {
        auto row = select->step();
        if (!row) return Result<Dump>::failure(row.error());
        if (!row.value()) break;
        std::string text;
        for (int i = 0; i < select->column_count(); ++i) {
          text += select->column_kind(i) == storage::ValueKind::null ? "<null>"
                                                                     : "'" + select->column_text(i) + "'";
          text += '|';
        }
        rows.push_back(text);
      }
      std::sort(rows.begin(), rows.end());
    }
    return all;
  });
  EXPECT_TRUE(dumped.ok()) << dumped.error();
  return dumped.ok() ? dumped.value() : Dump{};
}

std::string sqlite_address(const testing::TempDir& dir) { return "sqlite:" + (dir / "brindle.db").string(); }

class CopyDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(add_account_commands(table_).ok());
    ASSERT_TRUE(add_copy_command(table_).ok());
  }

  int run(std::vector<std::string_view> args) {
    out_.str({});
    err_.str({});
    CommandContext context{out_, err_, nullptr, 1000};
    return table_.run(args, context);
  }

  int copy(const std::string& from, const std::string& to) {
    return run({"copy-database", "--from", from, "--to", to});
  }

  static std::shared_ptr<storage::Database> open(const std::string& address) {
    auto db = open_server_database({}, address);
    EXPECT_TRUE(db.ok()) << db.error();
    return db.value();
  }

  // The demo data set, and beside it what the demo leaves out: an open bet and a settled one with
  // their legs (NULLs among them) and a message whose text needs quoting.
  void seed(const testing::TempDir& dir) {
    ASSERT_EQ(run({"seed", "--data-dir", dir.path().string(), "--database", "sqlite:"}), 0) << err_.str();
    auto db = open(sqlite_address(dir));
    auto done = db->transaction([](Connection& c) -> Result<void> {
      const auto account = accounts::find_account_by_name(c, "demo_rmb");
      if (!account || !account.value()) return Result<void>::failure("no demo_rmb");
      const auto id = account.value()->id;
      if (auto frozen = accounts::freeze_stake(c, id, 5000); !frozen)
        return Result<void>::failure(frozen.error());
      if (auto frozen = accounts::freeze_stake(c, id, 2000); !frozen)
        return Result<void>::failure(frozen.error());
      if (auto won = accounts::settle_stake(c, id, 2000, 3900, accounts::StatementType::bet, "2"); !won) {
        return Result<void>::failure(won.error());
      }
      auto bet = c.prepare(
          "INSERT INTO bets (id, account_id, kind, status, legs, mask, unit_stake, stake, room, placed_at, "
          "settled_at,"
          " returned) VALUES (?1, ?2, 0, ?3, 1, 1, ?4, ?4, 0, 1700000000, ?5, ?6)");
      bet->bind(1, 1).bind(2, id).bind(3, 0).bind(4, 5000);
      if (auto ran = bet->run(); !ran) return ran;
      bet->reset();
      bet->bind(1, 2).bind(2, id).bind(3, 2).bind(4, 2000).bind(5, 1700003600).bind(6, 3900);
      if (auto ran = bet->run(); !ran) return ran;
      auto leg = c.prepare(
          "INSERT INTO bet_legs (bet_id, position, selection_id, match_id, outright, market_type, line_code,"
          " line_kind, price_milli, score_home, score_away, league, home, away, outcome, final_score)"
          " VALUES (?1, 0, 10, 20, 0, 0, 2, 0, 1950, 0, 0, '英超', '阿森纳', '切尔西', ?2, ?3)");
      leg->bind(1, 1);
      if (auto ran = leg->run(); !ran) return ran;
      leg->reset();
      leg->bind(1, 2).bind(2, 1).bind(3, "2:1");
      if (auto ran = leg->run(); !ran) return ran;
      auto message = c.prepare(
          "INSERT INTO private_messages (account_id, heading, content, sent_at) VALUES (?1, ?2, ?3, "
          "1700000000)");
      message->bind(1, id).bind(2, "it's \"quoted\"").bind(3, "两行\n第二行 ?1 ; --");
      return message->run();
    });
    ASSERT_TRUE(done.ok()) << done.error();
  }

  SubcommandTable table_;
  std::ostringstream out_, err_;
};

std::vector<accounts::Account> accounts_of(storage::Database& db) {
  return db.read([](Connection& c) { return accounts::list_accounts(c); }).value();
}

void expect_same_accounts(storage::Database& a, storage::Database& b) {
  const auto left = accounts_of(a);
  const auto right = accounts_of(b);
  ASSERT_EQ(left.size(), right.size());
  for (std::size_t i = 0; i < left.size(); ++i) {
    EXPECT_EQ(left[i].user_name, right[i].user_name);
    EXPECT_EQ(left[i].balance, right[i].balance) << left[i].user_name;
    EXPECT_EQ(left[i].frozen_amount, right[i].frozen_amount) << left[i].user_name;
  }
}

TEST_F(CopyDatabaseTest, SqliteToSqliteKeepsEveryRowAndChecksBothLedgers) {
  testing::TempDir source, target;
  seed(source);
  ASSERT_EQ(copy(sqlite_address(source), sqlite_address(target)), 0) << err_.str();
  EXPECT_NE(out_.str().find("ledger consistent on both"), std::string::npos) << out_.str();
  EXPECT_NE(out_.str().find("  bets                         2\n"), std::string::npos) << out_.str();

  auto from = open(sqlite_address(source));
  auto to = open(sqlite_address(target));
  const Dump before = dump(*from);
  EXPECT_EQ(before.at("bets").size(), 2u);
  EXPECT_FALSE(before.at("matchinfo_line_history").empty()) << "the history its trigger writes is copied too";
  EXPECT_EQ(dump(*to), before) << "the target's own market_meta rows and trigger rows are replaced, not kept";
  expect_same_accounts(*from, *to);
}

TEST_F(CopyDatabaseTest, RoundTripThroughPostgresqlKeepsEveryRowAndNumbersNewRowsAfterTheCopied) {
  const std::string postgresql = testing::fresh_postgresql_database();
  if (postgresql.empty()) GTEST_SKIP() << "BRINDLE_TEST_POSTGRESQL names no database";
  testing::TempDir first, last;
  seed(first);
  ASSERT_EQ(copy(sqlite_address(first), postgresql), 0) << err_.str();
  EXPECT_NE(out_.str().find("ledger consistent on both"), std::string::npos) << out_.str();
  ASSERT_EQ(copy(postgresql, sqlite_address(last)), 0) << err_.str();

  auto a = open(sqlite_address(first));
  auto middle = open(postgresql);
  auto b = open(sqlite_address(last));
  const Dump original = dump(*a);
  EXPECT_EQ(dump(*b), original);
  EXPECT_EQ(dump(*middle), original);
  expect_same_accounts(*a, *middle);
  expect_same_accounts(*a, *b);

  // The copied ids were given explicitly: the next account and the next statement entry on
  // PostgreSQL must not collide with them.
  const accounts::PasswordHasher hasher(1000);
  auto added = middle->transaction([&](Connection& c) -> Result<std::int64_t> {
    accounts::NewAccount account;
    account.user_name = "after_copy";
    account.password = "pw";
    account.currency = accounts::Currency::rmb;
    auto id = accounts::create_account(c, hasher, account);
    if (!id) return id;
    if (auto bought = accounts::credit(c, id.value(), 100, accounts::Currency::rmb, "buy-in"); !bought) {
      return Result<std::int64_t>::failure(bought.error());
    }
    return id;
  });
  ASSERT_TRUE(added.ok()) << added.error();
  std::int64_t largest = 0;
  for (const auto& account : accounts_of(*a)) largest = std::max<std::int64_t>(largest, account.id);
  EXPECT_EQ(added.value(), largest + 1);
}

TEST_F(CopyDatabaseTest, ATargetWithAccountsOrMatchesIsRefusedAndLeftAsItWas) {
  testing::TempDir source, seeded, one_account;
  seed(source);
  seed(seeded);
  ASSERT_EQ(
      run({"add-user", "--data-dir", one_account.path().string(), "--database", "sqlite:", "someone", "pw"}),
      0)
      << err_.str();

  std::vector<std::string> targets = {sqlite_address(seeded), sqlite_address(one_account)};
  if (const auto postgresql = testing::fresh_postgresql_database(); !postgresql.empty()) {
    ASSERT_EQ(copy(sqlite_address(source), postgresql), 0) << err_.str();
    targets.push_back(postgresql);
  }
  for (const auto& target : targets) {
    auto db = open(target);
    const Dump before = dump(*db);
    EXPECT_EQ(copy(sqlite_address(source), target), 1) << target;
    EXPECT_NE(err_.str().find("not empty"), std::string::npos) << err_.str();
    EXPECT_EQ(out_.str(), "");
    EXPECT_EQ(dump(*db), before) << target;
  }
}

TEST_F(CopyDatabaseTest, AFailureHalfwayLeavesTheTargetEmpty) {
  testing::TempDir source, target;
  seed(source);
  // The last table of the source has a column the target's has not: every other table has been
  // written by the time its rows are refused.
  auto db = open(sqlite_address(source));
  auto changed = db->transaction(
      [](Connection& c) { return c.execute_script("ALTER TABLE web_bet_keys ADD COLUMN extra TEXT"); });
  ASSERT_TRUE(changed.ok()) << changed.error();
  auto added = db->transaction([](Connection& c) {
    return c.execute_script(
        "INSERT INTO web_bet_keys (form_key, account_id, used_at, extra) VALUES ('k', 1, 1, 'x')");
  });
  ASSERT_TRUE(added.ok()) << added.error();

  EXPECT_EQ(copy(sqlite_address(source), sqlite_address(target)), 1);
  EXPECT_NE(err_.str().find("web_bet_keys"), std::string::npos) << err_.str();
  const Dump after = dump(*open(sqlite_address(target)));
  EXPECT_TRUE(after.at("accounts").empty());
  EXPECT_TRUE(after.at("market_lines").empty());
  EXPECT_TRUE(after.at("matchinfo_line_history").empty());
}

TEST_F(CopyDatabaseTest, ALedgerThatDisagreesFailsTheCommandOnBothSides) {
  testing::TempDir source, target;
  seed(source);
  auto broken = open(sqlite_address(source))->transaction([](Connection& c) {
    return c.execute_script("UPDATE accounts SET balance = balance + 1 WHERE user_name = 'demo_usd'");
  });
  ASSERT_TRUE(broken.ok()) << broken.error();
  EXPECT_EQ(copy(sqlite_address(source), sqlite_address(target)), 1);
  EXPECT_NE(err_.str().find("source: demo_usd"), std::string::npos) << err_.str();
  EXPECT_NE(err_.str().find("target: demo_usd"), std::string::npos) << err_.str();
  EXPECT_EQ(out_.str().find("ledger consistent"), std::string::npos) << out_.str();
}

TEST_F(CopyDatabaseTest, BadCommandLinesAndAMissingSourceAreRefused) {
  testing::TempDir dir;
  const std::string file = sqlite_address(dir);
  const std::vector<std::vector<std::string_view>> refused = {
      {"copy-database", "--from", file},
      {"copy-database", "--from", "sqlite:", "--to", file},
      {"copy-database", "--from", file, "--to", file, "extra"},
      {"copy-database", "--from", file, "--to", file, "--database", file},
  };
  for (const auto& args : refused) {
    EXPECT_EQ(run(args), 2) << args.size();
    EXPECT_NE(err_.str().find("usage: brindle-server copy-database"), std::string::npos) << err_.str();
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "brindle.db")) << "nothing is opened for a bad command line";

  // A mistyped source would otherwise be created empty and copied as nothing.
  testing::TempDir target;
  EXPECT_EQ(copy(file, sqlite_address(target)), 1);
  EXPECT_NE(err_.str().find("does not exist"), std::string::npos) << err_.str();
  EXPECT_FALSE(std::filesystem::exists(dir / "brindle.db"));
}

}  // namespace
}  // namespace brindle::server::admin
