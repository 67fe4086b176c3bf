// Wrong withdrawal passwords (transfers 2009, profile changes 2004) are slowed down per account
// like wrong sign-ins, and their hashing runs on the worker pool.

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "accounts_fixture.h"
#include "server/accounts/account_handlers.h"
#include "server/accounts/attempt_limiter.h"
#include "server/accounts/authenticator.h"
#include "server/http/dispatcher.h"
#include "server/http/worker_pool.h"
#include "server/members/member_handlers.h"
#include "server/rooms/star_handlers.h"
#include "wire/gbk.h"

namespace brindle::server::accounts {
namespace {

using namespace std::chrono_literals;

class WithdrawalLimitsTest : public AccountsTest {
 protected:
  void SetUp() override {
    AccountsTest::SetUp();
    star_ = member("star", true);
    alice_ = member("alice", false);
    services_.config = std::make_shared<const ServerConfig>();
    services_.db = db_;
    services_.hasher = hasher_;
    services_.data_dir = dir_.path();
    services_.authenticator = std::make_shared<const Authenticator>(db_, hasher_);
    services_.limiters.withdrawal_by_account =
        std::make_shared<AttemptLimiter>(ServerConfig{}.withdrawal_per_account, [this] { return now_; });
    ASSERT_TRUE(add_account_handlers(dispatcher_, services_).ok());
    ASSERT_TRUE(add_star_handlers(dispatcher_, services_).ok());
    ASSERT_TRUE(add_member_handlers(dispatcher_, services_).ok());
  }

  // Signs in with "secret1", transfers with "wd" + name; 1000.00 RMB each.
  AccountId member(const std::string& name, bool star) {
    auto id = db_->transaction([&](storage::Connection& c) -> Result<AccountId> {
      NewAccount account;
      account.user_name = name;
      account.password = "secret1";
      account.withdrawal_password = "wd" + name;
      account.star_member = star;
      auto made = create_account(c, *hasher_, account);
      if (!made) return made;
      if (auto bought = credit(c, made.value(), 100'000, Currency::rmb, "buy-in"); !bought)
        return Result<AccountId>::failure(bought.error());
      return made;
    });
    EXPECT_TRUE(id.ok()) << id.error();
    return id.ok() ? id.value() : 0;
  }

  static std::string body(int subject, const std::string& user, const std::string& para) {
    return "txtLanguage=1&txtSubjectID=" + std::to_string(subject) + "&txtUserName=" + user +
           "&txtPwd=secret1&txtPara=" + para;
  }
  static std::string text(const Reply& reply) {
    const std::string gbk = reply.to_gbk();
    return wire::gbk_to_utf8(gbk.substr(0, gbk.find_first_of("|\r", gbk.find('|') + 1)));
  }
  // "1|拨彩成功！" or the refusal, as the client reads the first two fields.
  std::string transfer(const std::string& withdrawal, const std::string& to = "alice") {
    return text(dispatcher_.dispatch("DATA_UPDATE", body(2009, "star", withdrawal + "|5.000000|" + to)));
  }
  // Only the phone changes; nickname, the empty text and the four groups stay empty.
  static std::string profile_para(const std::string& user, const std::string& old_withdrawal) {
    return user + "|" + old_withdrawal + "||||555" + std::string(14, '|');
  }
  std::string change_profile(const std::string& user, const std::string& old_withdrawal) {
    return text(dispatcher_.dispatch("DATA_UPDATE", body(2004, user, profile_para(user, old_withdrawal))));
  }

  std::chrono::steady_clock::time_point now_{std::chrono::hours(1000)};
  ServerServices services_;
  Dispatcher dispatcher_;
  AccountId star_ = 0;
  AccountId alice_ = 0;
};

constexpr std::string_view kWrong = "0|提彩密码错误！";
constexpr std::string_view kMoved = "1|拨彩成功！";
constexpr std::string_view kLocked = "0|提彩密码错误次数过多，请15分钟后再试！";

TEST_F(WithdrawalLimitsTest, GuessesBackOffThenLockTheAccountAndTheRightOneWaitsForTheLockToEnd) {
  const struct {
    std::chrono::seconds wait;  // before the attempt
    const char* password;
    std::string_view heard;
  } steps[] = {
      {0s, "guess1", kWrong},
      {0s, "guess2", kWrong},
      {0s, "guess3", kWrong},
      {0s, "guess4", kWrong},  // three are free: the fourth failure starts the backoff
      {0s, "wdstar", "0|提彩密码错误，请1秒后再试！"},
      {1s, "guess5", kWrong},
      {0s, "guess6", "0|提彩密码错误，请2秒后再试！"},
      {2s, "guess6", kWrong},
      {4s, "guess7", kWrong},
      {8s, "guess8", kWrong},
      {16s, "guess9", kWrong},
      {31s, "wdstar", "0|提彩密码错误，请1秒后再试！"},
      {1s, "guess10", kLocked},  // the tenth failure locks and says so
      {0s, "wdstar", kLocked},
  };
  for (const auto& step : steps) {
    now_ += step.wait;
    EXPECT_EQ(transfer(step.password), step.heard) << step.password;
  }
  const auto hashes = hasher_->full_hash_count();
  for (int i = 0; i < 200; ++i) ASSERT_EQ(transfer("guess" + std::to_string(100 + i)), kLocked);
  EXPECT_EQ(transfer("wdstar"), kLocked) << "the right one after 200 more guesses";
  EXPECT_EQ(hasher_->full_hash_count(), hashes) << "a refusal hashes nothing";
  EXPECT_EQ(funds(star_).available, 100'000) << "nothing moved";

  now_ += 14min;
  EXPECT_EQ(transfer("wdstar"), "0|提彩密码错误次数过多，请1分钟后再试！");
  now_ += 1min;
  EXPECT_EQ(transfer("wdstar"), kMoved);
  EXPECT_EQ(funds(star_).available, 100'000 - 500);
}

TEST_F(WithdrawalLimitsTest, ProfileChangesAndTransfersCountTogetherPerAccount) {
  for (int i = 0; i < 4; ++i) EXPECT_EQ(change_profile("star", "guess"), "0|原提彩密码错误！");
  EXPECT_EQ(transfer("wdstar"), "0|提彩密码错误，请1秒后再试！");
  EXPECT_EQ(change_profile("star", "wdstar"), "0|提彩密码错误，请1秒后再试！");
  EXPECT_EQ(change_profile("alice", "wdalice"), "1|修改成功！") << "another account is not held up";
  now_ += 1s;
  EXPECT_EQ(change_profile("star", "wdstar"), "1|修改成功！");
  // The right password clears the count: four more failures before the next backoff.
  for (int i = 0; i < 4; ++i) EXPECT_EQ(transfer("guess"), kWrong);
  EXPECT_EQ(transfer("wdstar"), "0|提彩密码错误，请1秒后再试！");
}

// With a busy pool: a transfer waits for it, a refused one is answered on the calling thread.
TEST_F(WithdrawalLimitsTest, ATransferHashesOnThePoolAndARefusalDoesNotQueueThere) {
  for (int i = 0; i < 4; ++i) ASSERT_EQ(change_profile("alice", "guess"), "0|原提彩密码错误！");
  ASSERT_EQ(change_profile("star", "wdstar"), "1|修改成功！");  // both credentials are now cached

  auto pool = std::make_shared<WorkerPool>(1);
  dispatcher_.set_worker_pool(pool);
  std::promise<void> release;
  pool->post([ready = release.get_future().share()] { ready.wait(); });

  std::promise<std::string> moved;
  dispatcher_.dispatch_async("DATA_UPDATE", body(2009, "star", "wdstar|5.000000|alice"), "10.0.0.1",
                             [&](Reply reply) { moved.set_value(text(reply)); });
  std::string refused;
  for (const int subject : {2009, 2004}) {
    const std::string para = subject == 2009 ? "wdalice|5.000000|star" : profile_para("alice", "wdalice");
    dispatcher_.dispatch_async("DATA_UPDATE", body(subject, "alice", para), "10.0.0.1",
                               [&](Reply reply) { refused = text(reply); });
    EXPECT_EQ(refused, "0|提彩密码错误，请1秒后再试！") << subject << " answered at once";
    refused.clear();
  }
  auto pending = moved.get_future();
  EXPECT_EQ(pending.wait_for(50ms), std::future_status::timeout) << "the transfer waits for the pool";
  release.set_value();
  EXPECT_EQ(pending.get(), kMoved);
  pool->stop();
}

}  // namespace
}  // namespace brindle::server::accounts
