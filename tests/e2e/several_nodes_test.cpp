// Three server processes on one PostgreSQL database serve as one service. Clients race bets,
// banker takes and transfers over them while one node after another is killed (kill -9) and
// started again; a client that loses its node goes on through another. Afterwards every
// acknowledged operation is there exactly once, the ledger is clean, every finished match is
// settled exactly once and the market clock never stood still for long. A flood of wrong
// passwords spread over the nodes meets the refusals one node gives.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "server/accounts/account_store.h"
#include "server/accounts/ledger.h"
#include "server/accounts/password_hash.h"
#include "server/banker/banker_store.h"
#include "server/market/clock_holder.h"
#include "server/market/demo_generator.h"
#include "server/market/market_clock.h"
#include "server/services.h"
#include "support/postgresql_schema.h"
#include "support/server_process.h"
#include "support/temp_dir.h"
#include "support/test_client.h"
#include "wire/gbk.h"

namespace {

using namespace brindle;
using namespace std::chrono_literals;
using brindle::testing::ServerProcess;
using brindle::testing::TestConnection;
using server::storage::Connection;

constexpr int kNodes = 3;
constexpr int kClients = 32;
constexpr int kCycles = 20;
constexpr std::string_view kTrans = "/betengine/VTServer220.dll?DATA_TRANS";
constexpr std::string_view kUpdate = "/betengine/VTServer220.dll?DATA_UPDATE";
constexpr std::int64_t kFunds = 100'000'000;  // 1,000,000.00 each

std::string client_name(int i) { return "racer" + std::to_string(i); }

std::string body(int subject, const std::string& user, const std::string& para) {
  return "txtLanguage=1&txtSubjectID=" + std::to_string(subject) + "&txtUserName=" + user +
         "&txtPwd=pw123456&txtPara=" + para;
}

std::string padded(std::int64_t value, int width) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*lld", width, static_cast<long long>(value));
  return text;
}

template <typename T>
T must(Result<T> result) {
  if (!result) throw std::runtime_error(result.error());
  return std::move(result).value();
}

std::vector<std::int64_t> row(server::storage::Database& db, const std::string& sql) {
  return must(db.read([&](Connection& c) -> Result<std::vector<std::int64_t>> {
    auto statement = c.prepare(sql);
    if (!statement) return Result<std::vector<std::int64_t>>::failure(statement.error());
    auto stepped = statement->step();
    if (!stepped) return Result<std::vector<std::int64_t>>::failure(stepped.error());
    std::vector<std::int64_t> values;
    if (stepped.value())
      for (int i = 0; i < statement->column_count(); ++i) values.push_back(statement->column_int64(i));
    return values;
  }));
}

struct Line {
  std::int64_t selection = 0;
  std::int64_t price_milli = 0;
};

std::vector<Line> lines(server::storage::Database& db, const std::string& sql) {
  return must(db.read([&](Connection& c) -> Result<std::vector<Line>> {
    auto statement = c.prepare(sql);
    if (!statement) return Result<std::vector<Line>>::failure(statement.error());
    std::vector<Line> found;
    for (;;) {
      auto stepped = statement->step();
      if (!stepped) return Result<std::vector<Line>>::failure(stepped.error());
      if (!stepped.value()) return found;
      found.push_back({statement->column_int64(0), statement->column_int64(1)});
    }
  }));
}

// What each client was told succeeded, by the number it made unique per client.
struct Acknowledged {
  std::vector<std::pair<int, std::int64_t>> bets;       // client, stake in units
  std::vector<std::pair<int, std::int64_t>> takes;      // client, stake in units
  std::vector<std::pair<int, std::int64_t>> transfers;  // client (the payer), amount in units
  std::map<std::string, int> refusals;
};

// The nodes, each restarted on a port of its own after it is killed; clients ask for a live one.
class Nodes {
 public:
  explicit Nodes(const std::filesystem::path& root) : root_(root) {
    for (int i = 0; i < kNodes; ++i) start(i);
  }

  void start(int i) {
    auto node = std::make_unique<ServerProcess>(BRINDLE_SERVER_PATH, root_ / ("node" + std::to_string(i)),
                                                root_ / ("node" + std::to_string(i) + ".log"));
    std::lock_guard lock(mutex_);
    nodes_[static_cast<std::size_t>(i)] = std::move(node);
  }
  void kill(int i) {
    std::unique_ptr<ServerProcess> gone;
    {
      std::lock_guard lock(mutex_);
      gone = std::move(nodes_[static_cast<std::size_t>(i)]);
    }
    if (gone) gone->kill_hard();
  }
  // The node whose process is `pid`, or -1.
  int by_pid(pid_t pid) {
    std::lock_guard lock(mutex_);
    for (int i = 0; i < kNodes; ++i)
      if (nodes_[static_cast<std::size_t>(i)] && nodes_[static_cast<std::size_t>(i)]->pid() == pid) return i;
    return -1;
  }
  // Some live node's port, the n-th in turn; 0 when none is up.
  unsigned short port(unsigned n) {
    std::lock_guard lock(mutex_);
    for (int tried = 0; tried < kNodes; ++tried) {
      const auto& node = nodes_[(n + static_cast<unsigned>(tried)) % kNodes];
      if (node) return node->port();
    }
    return 0;
  }

 private:
  std::filesystem::path root_;
  std::mutex mutex_;
  std::array<std::unique_ptr<ServerProcess>, kNodes> nodes_;
};

class SeveralNodes : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!brindle::testing::on_postgresql()) GTEST_SKIP() << "servers sharing a PostgreSQL database";
    db_ = must(server::open_server_database(dir_.path() / "setup"));
    server::accounts::PasswordHasher hasher(1000);
    must(db_->transaction([&](Connection& c) -> Result<bool> {
      for (int i = 0; i <= kClients; ++i) {
        server::accounts::NewAccount fresh;
        fresh.user_name = i < kClients ? client_name(i) : "banker";
        fresh.password = "pw123456";
        auto id = server::accounts::create_account(c, hasher, fresh);
        if (!id) return Result<bool>::failure(id.error());
        if (auto paid =
                server::accounts::credit(c, id.value(), kFunds, server::accounts::Currency::rmb, "test");
            !paid)
          return Result<bool>::failure(paid.error());
        if (auto wd = server::accounts::set_withdrawal_password(c, hasher, id.value(), "wd"); !wd)
          return Result<bool>::failure(wd.error());
        if (auto star = server::accounts::set_star_member(c, id.value(), true); !star)
          return Result<bool>::failure(star.error());
      }
      return true;
    }));
    server::market::DemoOptions options;
    options.football_matches = 16;
    options.basketball_matches = 0;
    options.days = 2;
    must(server::market::seed_market(*db_, std::chrono::system_clock::now(), 11, options));
  }

  // What the nodes wrote to standard error, for a failure's message.
  std::string logs() const {
    std::string all;
    for (int i = 0; i < kNodes; ++i) {
      std::ifstream in(dir_.path() / ("node" + std::to_string(i) + ".log"));
      std::string line;
      int lines = 0;
      while (std::getline(in, line) && lines++ < 60) all += "node" + std::to_string(i) + ": " + line + "\n";
    }
    return all;
  }

  brindle::testing::TempDir dir_;
  std::shared_ptr<server::storage::Database> db_;
};

TEST_F(SeveralNodes, KillingANodeEveryTwoSecondsUnderLoadLosesNothingAndDoesNothingTwice) {
  // Bets go on the handicap lines of the first matches, which finish while the test runs; the
  // banker's market is on the last match, which stays open.
  const auto bet_lines = lines(
      *db_,
      "SELECT l.selection_id, l.price_milli FROM market_lines l JOIN market_matches m ON m.id = l.match_id"
      " WHERE l.market_type = 0 AND l.status = 0 AND m.status = 0 ORDER BY m.kickoff, l.selection_id LIMIT "
      "6");
  const auto last_match = row(*db_, "SELECT id FROM market_matches ORDER BY kickoff DESC LIMIT 1").at(0);
  const auto banker_line = lines(*db_,
                                 "SELECT selection_id, price_milli FROM market_lines WHERE market_type = 1"
                                 " AND match_id = " +
                                     std::to_string(last_match) + " ORDER BY selection_id LIMIT 1");
  ASSERT_EQ(bet_lines.size(), 6u);
  ASSERT_EQ(banker_line.size(), 1u);

  Nodes nodes(dir_.path());
  std::int64_t offer = 0;
  {
    auto connection = TestConnection::tls(nodes.port(0));
    const std::string para = std::to_string(server::banker::openable_number(last_match, 1)) + "|1|900000|" +
                             padded(banker_line[0].selection, 10) + "|" +
                             padded(banker_line[0].price_milli / 10 * 10, 7);
    auto opened = connection.post(kTrans, body(3008, "banker", para));
    ASSERT_EQ(wire::gbk_to_utf8(opened.body).rfind("1|", 0), 0u) << wire::gbk_to_utf8(opened.body);
    offer = row(*db_, "SELECT MAX(id) FROM banker_offers").at(0);
  }

  // The clock's beats as the test sees them: the longest time without one, once it has started.
  std::atomic<bool> stopping = false;
  std::atomic<std::int64_t> longest_still_ms = 0;
  std::thread watcher([&] {
    auto db = must(server::open_server_database(dir_.path() / "watcher"));
    std::int64_t last_beats = -1;
    auto last_change = std::chrono::steady_clock::now();
    while (!stopping) {
      auto holder = db->read([](Connection& c) { return server::market::read_clock_holder(c); });
      const auto now = std::chrono::steady_clock::now();
      if (holder && holder.value() && holder.value()->beats != last_beats) {
        if (last_beats >= 0) {
          const auto still = std::chrono::duration_cast<std::chrono::milliseconds>(now - last_change).count();
          longest_still_ms = std::max(longest_still_ms.load(), static_cast<std::int64_t>(still));
        }
        last_beats = holder.value()->beats;
        last_change = now;
      }
      std::this_thread::sleep_for(100ms);
    }
  });

  Acknowledged acknowledged;
  std::mutex acknowledged_mutex;
  std::vector<std::thread> clients;
  for (int i = 0; i < kClients; ++i) {
    clients.emplace_back([&, i] {
      std::mt19937 random(static_cast<unsigned>(i));
      std::int64_t next = 1;
      const std::string me = client_name(i);
      while (!stopping) {
        const unsigned short port = nodes.port(random());
        if (port == 0) {
          std::this_thread::sleep_for(50ms);
          continue;
        }
        try {
          auto connection = TestConnection::tls(port);
          for (int n = 0; n < 20 && !stopping; ++n) {
            const std::int64_t units = next++;
            const int kind = static_cast<int>(random() % 4);
            std::string para;
            int subject = 3010;
            std::string_view target = kTrans;
            if (kind <= 1) {
              const auto& line = bet_lines[random() % bet_lines.size()];
              para = "1|" + padded(line.selection, 10) + "|" + padded(line.price_milli, 8) + "|1|00000001|" +
                     padded(units, 6) + "|0";
            } else if (kind == 2) {
              subject = 3009;
              para = std::to_string(offer) + "|" + std::to_string(units);
            } else {
              subject = 2009;
              target = kUpdate;
              para = "wd|" + std::to_string(units) + ".000000|" + client_name((i + 1) % kClients);
            }
            auto answer = connection.post(target, body(subject, me, para));
            const std::string text = wire::gbk_to_utf8(answer.body);
            std::lock_guard lock(acknowledged_mutex);
            if (answer.status == 200 && text.rfind("1|", 0) == 0) {
              auto& into = kind <= 1   ? acknowledged.bets
                           : kind == 2 ? acknowledged.takes
                                       : acknowledged.transfers;
              into.emplace_back(i, units);
            } else {
              ++acknowledged.refusals[text.substr(0, text.find("\r\n"))];
            }
            if (!answer.keep_alive) break;
          }
        } catch (const std::exception&) {
          // The node went away mid-request: that one was never acknowledged; go on elsewhere.
        }
      }
    });
  }

  std::mt19937 random(5);
  int holders_killed = 0;
  for (int cycle = 0; cycle < kCycles; ++cycle) {
    std::this_thread::sleep_for(2s);
    // The market moves on, so that matches finish and settle while nodes die.
    must(server::market::advance_clock(*db_, 40min));
    int victim = static_cast<int>(random() % kNodes);
    if (cycle % 3 == 0) {
      auto holder = must(db_->read([](Connection& c) { return server::market::read_clock_holder(c); }));
      if (holder) {
        const auto at = holder->node.rfind(" pid ");
        const int node = at == std::string::npos ? -1 : nodes.by_pid(std::stoi(holder->node.substr(at + 5)));
        if (node >= 0) victim = node;
      }
    }
    nodes.kill(victim);
    if (cycle % 3 == 0) ++holders_killed;
    nodes.start(victim);
  }
  std::this_thread::sleep_for(1s);
  stopping = true;
  for (auto& c : clients) c.join();

  // The last finished matches are settled by whichever node holds the clock now.
  const auto deadline = std::chrono::steady_clock::now() + 20s;
  while (row(*db_, "SELECT count(*) FROM market_matches WHERE status = 2 AND notice_delivered = 0").at(0) >
             0 &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(200ms);
  }
  watcher.join();
  nodes.kill(0);
  nodes.kill(1);
  nodes.kill(2);

  for (const auto& [text, count] : acknowledged.refusals)
    std::printf("refused %d×: %s\n", count, text.c_str());
  EXPECT_GE(holders_killed, kCycles / 3);
  EXPECT_GT(acknowledged.bets.size(), 50u) << "too few bets to prove anything";
  EXPECT_GT(acknowledged.takes.size(), 50u);
  EXPECT_GT(acknowledged.transfers.size(), 50u);
  EXPECT_LE(longest_still_ms.load(), 5000) << "the market clock stood still";
  for (const auto& [text, count] : acknowledged.refusals) {
    EXPECT_EQ(text.find("database"), std::string::npos) << text;
    EXPECT_FALSE(text.starts_with("3|")) << count << " × " << text << "\n" << logs();
  }

  auto counted = [&](const std::string& sql, int client) {
    return row(*db_, sql + " AND a.user_name = '" + client_name(client) + "'").at(0);
  };
  for (const auto& [client, units] : acknowledged.bets) {
    EXPECT_EQ(counted("SELECT count(*) FROM bets b JOIN accounts a ON a.id = b.account_id WHERE b.stake = " +
                          std::to_string(units * 100),
                      client),
              1)
        << "bet of " << units << " by " << client_name(client);
  }
  for (const auto& [client, units] : acknowledged.takes) {
    EXPECT_EQ(
        counted("SELECT count(*) FROM banker_bets b JOIN accounts a ON a.id = b.account_id WHERE b.stake = " +
                    std::to_string(units * 100),
                client),
        1)
        << "take of " << units << " by " << client_name(client);
  }
  for (const auto& [client, units] : acknowledged.transfers) {
    EXPECT_EQ(counted("SELECT count(*) FROM statement_entries e JOIN accounts a ON a.id = e.account_id"
                      " WHERE e.type = 8 AND e.amount = " +
                          std::to_string(-units * 100),
                      client),
              1)
        << "transfer of " << units << " by " << client_name(client);
  }

  // Every bet on a finished match is settled, and paid exactly once.
  EXPECT_EQ(row(*db_,
                "SELECT count(*) FROM bets b JOIN bet_legs l ON l.bet_id = b.id JOIN market_matches m"
                " ON m.id = l.match_id WHERE m.status = 2 AND b.status = 0")
                .at(0),
            0);
  EXPECT_GT(row(*db_, "SELECT count(*) FROM bets WHERE status = 4").at(0), 0) << "no match finished";
  EXPECT_EQ(row(*db_,
                "SELECT count(*) FROM bets b WHERE b.status = 4 AND (SELECT count(*) FROM statement_entries e"
                " WHERE e.account_id = b.account_id AND e.content = lpad(b.id::text, 10, '0')) <> 1")
                .at(0),
            0);
  EXPECT_EQ(row(*db_, "SELECT count(*) FROM accounts WHERE balance < 0 OR frozen_amount < 0").at(0), 0);
  auto mismatches = must(db_->read([](Connection& c) { return server::accounts::check_ledger(c); }));
  for (const auto& m : mismatches) ADD_FAILURE() << m.user_name << ": " << m.problem;
}

// The sign-ins of one name from one address, wrong every time, sent round the three nodes in turn
// or all to one: the same answers in the same order.
TEST_F(SeveralNodes, AWrongPasswordFloodSpreadOverThreeNodesIsLimitedAsOneNodeLimitsIt) {
  Nodes nodes(dir_.path());
  auto flood = [&](const std::string& source, bool spread) {
    std::vector<std::string> answers;
    for (unsigned n = 0; n < 9; ++n) {
      auto connection = TestConnection::tls(nodes.port(spread ? n : 0), {}, source);
      auto answer =
          connection.post(kTrans, "txtLanguage=1&txtSubjectID=3001&txtUserName=racer1&txtPwd=guess" +
                                      std::to_string(n) + "&txtPara=1|00E04C6A1B2C");
      const std::string text = wire::gbk_to_utf8(answer.body);
      answers.push_back(text.substr(0, text.find("\r\n")));
    }
    return answers;
  };
  const auto alone = flood("127.0.0.2", false);
  const auto spread = flood("127.0.0.3", true);
  EXPECT_EQ(spread, alone);
  EXPECT_NE(alone.back().find("秒后再试"), std::string::npos) << alone.back();
}

}  // namespace
