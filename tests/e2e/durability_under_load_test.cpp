// What a bettor was told stays told: bets acknowledged by the server are in the database exactly
// once after the server process is killed under load over and over, and after the database itself
// restarts under load (on PostgreSQL); the server refuses in the generic words while its database is
// away and takes bets again when it is back.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "server/accounts/account_store.h"
#include "server/accounts/ledger.h"
#include "server/accounts/password_hash.h"
#include "server/http/dispatcher.h"
#include "server/market/demo_generator.h"
#include "server/server.h"
#include "server/services.h"
#include "support/own_cluster.h"
#include "support/postgresql_schema.h"
#include "support/server_process.h"
#include "support/temp_dir.h"
#include "support/test_client.h"
#include "wire/gbk.h"

namespace {

using namespace brindle;
using server::storage::Connection;

constexpr const char* kUser = "steady";
constexpr const char* kPassword = "steady123";

struct OpenLine {
  std::int64_t selection = 0;
  std::int64_t price_milli = 0;
};

// A market, one funded account and the open line its bets go on.
OpenLine prepare(const std::filesystem::path& data_dir, const std::string& address) {
  auto db = server::open_server_database(data_dir, address);
  if (!db) throw std::runtime_error(db.error());
  server::accounts::PasswordHasher hasher(1000);
  auto made = db.value()->transaction([&](Connection& c) -> Result<void> {
    server::accounts::NewAccount fresh;
    fresh.user_name = kUser;
    fresh.password = kPassword;
    auto id = server::accounts::create_account(c, hasher, fresh);
    if (!id) return Result<void>::failure(id.error());
    auto bought =
        server::accounts::credit(c, id.value(), 10'000'000'000, server::accounts::Currency::rmb, "test");
    if (!bought) return Result<void>::failure(bought.error());
    return {};
  });
  if (!made) throw std::runtime_error(made.error());
  server::market::DemoOptions options;
  options.football_matches = 8;
  options.basketball_matches = 2;
  if (auto seeded = server::market::seed_market(*db.value(), std::chrono::system_clock::now(), 3, options);
      !seeded)
    throw std::runtime_error(seeded.error());
  auto line = db.value()->read([](Connection& c) -> Result<OpenLine> {
    auto found = c.prepare(
        "SELECT l.selection_id, l.price_milli FROM market_lines l JOIN market_matches m ON m.id = l.match_id"
        " WHERE l.market_type = 0 AND l.status = 0 AND m.status = 0 ORDER BY m.kickoff DESC, l.selection_id"
        " LIMIT 1");
    if (!found) return Result<OpenLine>::failure(found.error());
    auto row = found->step();
    if (!row || !row.value()) return Result<OpenLine>::failure("no open handicap line");
    return OpenLine{found->column_int64(0), found->column_int64(1)};
  });
  if (!line) throw std::runtime_error(line.error());
  return line.value();
}

// One bet of `units` on the line; the stake tells the bets apart afterwards.
std::string bet_body(const OpenLine& line, std::int64_t units) {
  char para[96];
  std::snprintf(para, sizeof para, "1|%.10lld|%.8lld|1|00000001|%.6lld|0",
                static_cast<long long>(line.selection), static_cast<long long>(line.price_milli),
                static_cast<long long>(units));
  return "txtLanguage=1&txtSubjectID=3010&txtUserName=" + std::string(kUser) + "&txtPwd=" + kPassword +
         "&txtPara=" + para;
}

constexpr std::string_view kBetTarget = "/betengine/VTServer220.dll?DATA_TRANS";

// Bettors sending one bet after another until told to stop, each bet with a stake of its own; the
// stakes the server acknowledged, and what it answered otherwise.
class Bettors {
 public:
  Bettors(unsigned short port, const OpenLine& line, std::atomic<std::int64_t>& next, int count)
      : next_(next) {
    for (int i = 0; i < count; ++i) {
      threads_.emplace_back([this, port, line] { run(port, line); });
    }
  }
  ~Bettors() { stop(); }

  void stop() {
    stopping_ = true;
    for (auto& t : threads_)
      if (t.joinable()) t.join();
  }

  std::vector<std::int64_t> acknowledged;
  std::vector<std::string> other_answers;

 private:
  void run(unsigned short port, const OpenLine& line) {
    while (!stopping_) {
      try {
        auto connection = brindle::testing::TestConnection::tls(port);
        while (!stopping_) {
          const std::int64_t units = next_++;
          auto answer = connection.post(kBetTarget, bet_body(line, units));
          std::lock_guard lock(mutex_);
          if (answer.status == 200 && answer.body.rfind("1|", 0) == 0) {
            acknowledged.push_back(units);
          } else {
            other_answers.push_back(wire::gbk_to_utf8(answer.body));
          }
          if (!answer.keep_alive) break;
        }
      } catch (const std::exception&) {
        // the server went away mid-request: that bet was never acknowledged
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
    }
  }

  std::atomic<std::int64_t>& next_;
  std::atomic<bool> stopping_ = false;
  std::mutex mutex_;
  std::vector<std::thread> threads_;
};

// Every acknowledged stake is one bet in the database, and the ledger agrees with every balance.
void expect_kept(const std::filesystem::path& data_dir, const std::string& address,
                 const std::vector<std::int64_t>& acknowledged) {
  auto db = server::open_server_database(data_dir, address);
  ASSERT_TRUE(db.ok()) << db.error();
  auto checked = db.value()->read([&](Connection& c) -> Result<int> {
    auto count = c.prepare(
        "SELECT count(*) FROM bets b JOIN accounts a ON a.id = b.account_id WHERE a.user_name = ?1 AND "
        "b.stake = ?2");
    if (!count) return Result<int>::failure(count.error());
    int wrong = 0;
    for (const auto units : acknowledged) {
      count->bind(1, kUser).bind(2, units * 100);
      auto row = count->step();
      if (!row) return Result<int>::failure(row.error());
      if (count->column_int64(0) != 1) {
        ADD_FAILURE() << "the bet of " << units << " is there " << count->column_int64(0) << " times";
        ++wrong;
      }
      count->reset();
    }
    return wrong;
  });
  ASSERT_TRUE(checked.ok()) << checked.error();
  auto mismatches = db.value()->read([](Connection& c) { return server::accounts::check_ledger(c); });
  ASSERT_TRUE(mismatches.ok()) << mismatches.error();
  for (const auto& m : mismatches.value()) ADD_FAILURE() << m.user_name << ": " << m.problem;
}

using brindle::testing::ServerProcess;

TEST(DurabilityUnderLoad, EveryAcknowledgedBetSurvivesTwentyKillsOfTheServerExactlyOnce) {
  brindle::testing::TempDir dir;
  const auto data_dir = dir.path() / "server";
  const OpenLine line = prepare(data_dir, {});
  std::atomic<std::int64_t> next = 1;
  std::vector<std::int64_t> acknowledged;
  std::mt19937 random(7);
  for (int cycle = 0; cycle < 20; ++cycle) {
    ServerProcess server(BRINDLE_SERVER_PATH, data_dir);
    Bettors bettors(server.port(), line, next, 3);
    std::this_thread::sleep_for(std::chrono::milliseconds(150 + random() % 250));
    server.kill_hard();
    bettors.stop();
    acknowledged.insert(acknowledged.end(), bettors.acknowledged.begin(), bettors.acknowledged.end());
    for (const auto& answer : bettors.other_answers) ADD_FAILURE() << "cycle " << cycle << ": " << answer;
  }
  ASSERT_GT(acknowledged.size(), 20u) << "too few bets went through to prove anything";
  expect_kept(data_dir, {}, acknowledged);
}

TEST(DurabilityUnderLoad, TheServerOutlivesARestartOfItsDatabaseAndLosesNothingAcknowledged) {
  if (!brindle::testing::on_postgresql()) GTEST_SKIP() << "a database server to restart";
  brindle::testing::OwnCluster cluster(BRINDLE_PG_CLUSTER_SCRIPT);
  brindle::testing::TempDir dir;
  const auto data_dir = dir.path() / "server";
  const OpenLine line = prepare(data_dir, cluster.address());

  server::ServerOptions options;
  options.data_dir = data_dir;
  options.config.database = cluster.address();
  options.password_iterations = 1000;
  options.market.run_feed = false;
  auto started = server::Server::start(std::move(options));
  ASSERT_TRUE(started.ok()) << started.error();
  auto& server = *started.value();

  std::atomic<std::int64_t> next = 1;
  Bettors bettors(server.port(), line, next, 3);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  const std::int64_t before_restart = next.load();
  cluster.restart();
  const std::int64_t after_restart = next.load();
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  bettors.stop();

  std::size_t later = 0;
  for (const auto units : bettors.acknowledged) later += units > after_restart ? 1 : 0;
  EXPECT_GT(bettors.acknowledged.size(), later) << "bets before the restart";
  EXPECT_GT(later, 0u) << "the server took no bet once its database was back";
  EXPECT_GE(after_restart, before_restart);
  // While the database was away the refusals were the generic server error, never its words.
  for (const auto& answer : bettors.other_answers) {
    EXPECT_NE(answer.find(std::string(server::kServerErrorText)), std::string::npos) << answer;
    EXPECT_EQ(answer.find("database"), std::string::npos) << answer;
  }
  server.stop();
  expect_kept(data_dir, cluster.address(), bettors.acknowledged);
}

}  // namespace
