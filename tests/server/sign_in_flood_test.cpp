// A flood of wrong sign-ins over real TLS connections must not hold up another user's bets: the
// password hashing it causes runs beside the network threads, not on them. Nor may it lock its
// victim out.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "server/accounts/account_store.h"
#include "server/accounts/ledger.h"
#include "server/accounts/password_hash.h"
#include "server/market/demo_generator.h"
#include "server/server.h"
#include "server/services.h"
#include "support/temp_dir.h"
#include "support/test_client.h"
#include "wire/gbk.h"

namespace brindle::server {
namespace {

using namespace std::chrono_literals;
using testing::TestConnection;

constexpr std::string_view kTrans = "/betengine/VTServer220.dll?DATA_TRANS";
constexpr int kFloodConnections = 64;
constexpr int kBets = 40;

// The reply's start in UTF-8: "1|登陆成功！…", "4|用户名或密码错误！…".
std::string text_of(const testing::HttpResult& reply) { return wire::gbk_to_utf8(reply.body); }

std::string sign_in_body(std::string_view user, std::string_view password) {
  return "txtLanguage=1&txtSubjectID=3001&txtUserName=" + std::string(user) +
         "&txtPwd=" + std::string(password) + "&txtPara=1|00E04C6A1B2C";
}

class SignInFloodTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto db = open_server_database(dir_.path());
    ASSERT_TRUE(db.ok()) << db.error();
    // The real cost of a password check, as in production.
    const accounts::PasswordHasher hasher;
    for (const auto* name : {"bettor", "victim"}) {
      auto made = db.value()->transaction([&](storage::Connection& c) -> Result<void> {
        accounts::NewAccount account;
        account.user_name = name;
        account.password = "secret1";
        auto id = accounts::create_account(c, hasher, account);
        if (!id) return Result<void>::failure(id.error());
        auto bought = accounts::credit(c, id.value(), 1'000'000'00, accounts::Currency::rmb, "test");
        if (!bought) return Result<void>::failure(bought.error());
        return {};
      });
      ASSERT_TRUE(made.ok()) << made.error();
    }
    market::DemoOptions demo;
    demo.football_matches = 4;
    demo.basketball_matches = 0;
    ASSERT_TRUE(market::seed_market(*db.value(), std::chrono::system_clock::now(), 7, demo).ok());
    auto line = db.value()->read([](storage::Connection& c) -> Result<std::string> {
      auto found = c.prepare(
          "SELECT l.selection_id, l.price_milli FROM market_lines l JOIN market_matches m ON m.id = "
          "l.match_id"
          " WHERE l.market_type = 0 AND l.status = 0 AND m.status = 0 ORDER BY m.kickoff DESC LIMIT 1");
      if (!found) return Result<std::string>::failure(found.error());
      auto row = found->step();
      if (!row || !row.value()) return Result<std::string>::failure("no open handicap line");
      char para[64];
      std::snprintf(para, sizeof para, "1|%.10lld|%.8lld|1|00000001|000001|0",
                    static_cast<long long>(found->column_int64(0)),
                    static_cast<long long>(found->column_int64(1)));
      return std::string(para);
    });
    ASSERT_TRUE(line.ok()) << line.error();
    bet_body_ = "txtLanguage=1&txtSubjectID=3010&txtUserName=bettor&txtPwd=secret1&txtPara=" + line.value();
  }

  // Without limits a flood costs the server a full password check per request, which is what the
  // latency test is about; with them, on the stepped clock of the limits and sessions.
  void start(bool limited) {
    ServerOptions options;
    options.data_dir = dir_.path();
    options.market.run_feed = false;
    if (!limited) {
      for (auto* policy : {&options.config.sign_in_per_name, &options.config.sign_in_per_account,
                           &options.config.sign_in_per_address}) {
        policy->backoff = 0s;
        policy->lock_after = 0;
      }
    }
    options.limiter_clock = [this] {
      return std::chrono::steady_clock::time_point(std::chrono::steady_clock::duration(clock_ticks_.load()));
    };
    auto started = Server::start(std::move(options));
    ASSERT_TRUE(started.ok()) << started.error();
    server_ = std::move(started).value();
  }
  void advance(std::chrono::seconds by) {
    clock_ticks_ += std::chrono::duration_cast<std::chrono::steady_clock::duration>(by).count();
  }

  // The 99th percentile of kBets bets on one connection, in milliseconds. The pauses spread the
  // bets over a second of the flood.
  double bet_p99(TestConnection& connection) {
    std::vector<double> took;
    for (int i = 0; i < kBets; ++i) {
      const auto start = std::chrono::steady_clock::now();
      auto reply = connection.post(kTrans, bet_body_);
      took.push_back(
          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
      EXPECT_TRUE(reply.body.starts_with("1|")) << reply.body;
      std::this_thread::sleep_for(25ms);
    }
    std::sort(took.begin(), took.end());
    return took[took.size() * 99 / 100];
  }

  testing::TempDir dir_;
  std::string bet_body_;
  std::atomic<std::chrono::steady_clock::rep> clock_ticks_{
      std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::hours(1000)).count()};
  std::unique_ptr<Server> server_;
};

TEST_F(SignInFloodTest, AnotherUsersBetsKeepTheirLatencyDuringAFloodOfWrongSignIns) {
  start(false);
  ASSERT_TRUE(server_);
  auto bettor = TestConnection::tls(server_->port());
  ASSERT_TRUE(bettor.post(kTrans, sign_in_body("bettor", "secret1")).body.starts_with("1|"));
  const double quiet = bet_p99(bettor);

  std::atomic<bool> stop{false};
  std::atomic<int> wrong{0};
  std::vector<std::thread> flood;
  for (int i = 0; i < kFloodConnections; ++i) {
    flood.emplace_back([&, i] {
      auto connection = TestConnection::tls(server_->port());
      const auto body = sign_in_body("victim", "guess" + std::to_string(i));
      while (!stop) {
        if (connection.post(kTrans, body).body.starts_with("4|")) ++wrong;
      }
    });
  }
  // Under way: every flood connection has a wrong sign-in queued or in progress.
  for (auto until = std::chrono::steady_clock::now() + 20s;
       wrong < kFloodConnections && std::chrono::steady_clock::now() < until;)
    std::this_thread::sleep_for(10ms);
  const int before = wrong;
  const double flooded = bet_p99(bettor);
  const int during = wrong - before;
  stop = true;
  for (auto& thread : flood) thread.join();

  std::printf("bet p99 quiet %.1f ms, during the flood %.1f ms (%d wrong sign-ins meanwhile)\n", quiet,
              flooded, during);
  EXPECT_GE(before, kFloodConnections) << "the flood never got going";
  // How many complete depends on the hashing speed (a sanitizer build hashes several times slower);
  // what matters is that the flood kept the pool busy while the bets were measured.
  EXPECT_GE(during, 1) << "the flood stopped while the bets were measured";
  EXPECT_LE(flooded, std::max(5 * quiet, quiet + 200.0));
}

// A stranger floods the victim's name with guesses from his address (127.0.0.1) until it is locked
// there. The victim's sign-in from her own address and her session go on; the stranger's refused
// guesses cost no hashing, and the cache vouches for no credential coming from him.
TEST_F(SignInFloodTest, AStrangersFloodLocksOutNeitherTheVictimsSessionNorHerSignInFromElsewhere) {
  start(true);
  ASSERT_TRUE(server_);
  constexpr std::string_view kLocked = "4|登录失败次数过多";
  const auto& hasher = *server_->services().hasher;
  auto stranger = TestConnection::tls(server_->port());
  // The backoffs are waited out on the stepped clock, so the stranger reaches the lock at once.
  for (int guess = 0; guess < 10; ++guess) {
    advance(60s);
    ASSERT_TRUE(stranger.post(kTrans, sign_in_body("victim", "guess" + std::to_string(guess)))
                    .body.starts_with("4|"));
  }
  ASSERT_TRUE(text_of(stranger.post(kTrans, sign_in_body("victim", "secret1"))).starts_with(kLocked))
      << "the name is locked for the stranger's address, even with the right password";

  auto victim = TestConnection::tls(server_->port(), {}, "127.0.0.2");
  ASSERT_TRUE(victim.post(kTrans, sign_in_body("victim", "secret1")).body.starts_with("1|"))
      << "her sign-in from another address";

  std::atomic<bool> stop{false};
  std::atomic<int> refused{0};
  const auto hashes_before = hasher.full_hash_count();
  std::vector<std::thread> flood;
  for (int i = 0; i < 8; ++i) {
    flood.emplace_back([&, i] {
      auto connection = TestConnection::tls(server_->port());
      for (int n = 0; !stop && n < 2000; ++n) {
        // Every few guesses the right one, which the cache must not answer for him.
        const auto password =
            n % 5 == 0 ? std::string("secret1") : "g" + std::to_string(i) + "_" + std::to_string(n);
        if (text_of(connection.post(kTrans, sign_in_body("victim", password))).starts_with(kLocked))
          ++refused;
      }
    });
  }
  for (auto until = std::chrono::steady_clock::now() + 20s;
       refused < 200 && std::chrono::steady_clock::now() < until;)
    std::this_thread::sleep_for(10ms);
  // Her session, and a sign-in from a third address, while the flood goes on.
  for (int i = 0; i < 5; ++i) {
    EXPECT_TRUE(victim.post(kTrans, sign_in_body("victim", "secret1")).body.starts_with("1|"));
  }
  auto elsewhere = TestConnection::tls(server_->port(), {}, "127.0.0.3");
  EXPECT_TRUE(elsewhere.post(kTrans, sign_in_body("victim", "secret1")).body.starts_with("1|"));
  stop = true;
  for (auto& thread : flood) thread.join();

  EXPECT_GE(refused.load(), 200) << "the flood never got going";
  EXPECT_EQ(hasher.full_hash_count(), hashes_before) << "neither the refused flood nor her session hashed";
  EXPECT_TRUE(victim.post(kTrans, sign_in_body("victim", "secret1")).body.starts_with("1|"));
}

}  // namespace
}  // namespace brindle::server
