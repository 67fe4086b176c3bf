#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "accounts_fixture.h"
#include "server/accounts/account_handlers.h"
#include "server/accounts/attempt_limiter.h"
#include "server/accounts/authenticator.h"
#include "server/http/dispatcher.h"
#include "wire/gbk.h"

namespace brindle::server::accounts {
namespace {

using namespace std::chrono_literals;
using Kind = AttemptVerdict::Kind;

struct FakeClock {
  std::chrono::steady_clock::time_point now{std::chrono::hours(1000)};
  AttemptLimiter::Clock clock() {
    return [this] { return now; };
  }
};

TEST(AttemptLimiter, BacksOffDoublingThenLocksAndASuccessDoesNotLiftTheLock) {
  FakeClock time;
  AttemptLimiter limiter({2, 1s, 4s, 6, 10min}, time.clock());
  // Each row: one counted failure, then what the next attempt hears.
  const struct {
    Kind kind;
    int wait_seconds;
  } steps[] = {{Kind::allowed, 0}, {Kind::allowed, 0}, {Kind::backoff, 1},
               {Kind::backoff, 2}, {Kind::backoff, 4}, {Kind::locked, 600}};
  for (const auto& step : steps) {
    const auto verdict = limiter.count("alice");
    EXPECT_EQ(verdict.kind, step.kind);
    EXPECT_EQ(verdict.wait_seconds(), step.wait_seconds);
    time.now += std::chrono::seconds(step.wait_seconds);  // waits out any backoff
  }
  time.now -= 600s;
  limiter.clear("alice");
  EXPECT_EQ(limiter.check("alice").kind, Kind::locked) << "the right password does not lift a lock";
  EXPECT_EQ(limiter.check("alice").wait_minutes(), 10);
  EXPECT_TRUE(limiter.check("bob").allowed());
  time.now += 10min;
  EXPECT_TRUE(limiter.check("alice").allowed());
  EXPECT_TRUE(limiter.count("alice").allowed()) << "after the lock the count starts afresh";
}

TEST(AttemptLimiter, ForgetsFailuresOnceTheirWindowHasPassedAndZeroTurnsPartsOff) {
  FakeClock time;
  AttemptLimiter limiter({0, 1s, 1s, 3, 1min}, time.clock());
  limiter.count("k");
  limiter.count("k");
  time.now += 2min;
  EXPECT_FALSE(limiter.count("k").kind == Kind::locked) << "two old failures and one new do not lock";
  AttemptLimiter off({0, 0s, 0s, 0, 1min}, time.clock());
  for (int i = 0; i < 100; ++i) EXPECT_TRUE(off.count("k").allowed());
}

TEST(AttemptLimiter, RefusalTextsNameTheWait) {
  EXPECT_EQ(sign_in_refusal({Kind::locked, 14min + 1s}), "登录失败次数过多，请15分钟后再试！");
  EXPECT_EQ(sign_in_refusal({Kind::backoff, 8s}), "登录失败，请8秒后再试！");
  EXPECT_EQ(name_key("Alice王"), "alice王");
}

constexpr std::string_view kSignedIn = "1|登陆成功！";
constexpr std::string_view kWrong = "4|用户名或密码错误！";
constexpr std::string_view kLocked = "4|登录失败次数过多，请15分钟后再试！";

// Sign-in through the dispatcher as the listener hands requests over, with a stepped clock.
class SignInLimitsTest : public AccountsTest {
 protected:
  void SetUp() override {
    AccountsTest::SetUp();
    add("alice", "secret1");
    add("bob", "secret2");
    ServerServices services;
    services.config = std::make_shared<const ServerConfig>();
    services.db = db_;
    services.hasher = hasher_;
    services.authenticator = std::make_shared<const Authenticator>(db_, hasher_, time_.clock());
    services.limiters.sign_in_by_name =
        std::make_shared<AttemptLimiter>(AttemptPolicy{2, 1s, 8s, 5, 15min}, time_.clock());
    services.limiters.sign_in_by_account =
        std::make_shared<AttemptLimiter>(AttemptPolicy{6, 1s, 8s, 0, 15min}, time_.clock());
    services.limiters.sign_in_by_address =
        std::make_shared<AttemptLimiter>(AttemptPolicy{8, 1s, 8s, 20, 15min}, time_.clock());
    ASSERT_TRUE(add_account_handlers(dispatcher_, services).ok());
  }

  // The reply's code and message, in UTF-8.
  std::string sign_in(std::string_view user, std::string_view password, std::string_view peer = "10.0.0.1") {
    const std::string text =
        dispatcher_
            .dispatch("DATA_TRANS",
                      "txtLanguage=1&txtSubjectID=3001&txtUserName=" + std::string(user) +
                          "&txtPwd=" + std::string(password) + "&txtPara=1|00E04C6A1B2C",
                      peer)
            .to_gbk();
    return wire::gbk_to_utf8(text.substr(0, text.find_first_of("|\r", text.find('|') + 1)));
  }

  // Five failures, the backoffs waited out: the name is locked for new sign-ins from `peer`.
  void lock_from(std::string_view user, std::string_view peer) {
    for (const auto* guess : {"guess1", "guess2", "guess3"}) ASSERT_EQ(sign_in(user, guess, peer), kWrong);
    time_.now += 1s;
    ASSERT_EQ(sign_in(user, "guess4", peer), kWrong);
    time_.now += 2s;
    ASSERT_EQ(sign_in(user, "guess5", peer), kLocked);
  }

  FakeClock time_;
  Dispatcher dispatcher_;
};

TEST_F(SignInLimitsTest, RepeatedFailuresBackOffThenLockTheNameEvenForTheRightPassword) {
  EXPECT_EQ(sign_in("alice", "guess1"), kWrong);
  EXPECT_EQ(sign_in("alice", "guess2"), kWrong);
  EXPECT_EQ(sign_in("alice", "guess3"), kWrong);  // the third failure starts the backoff
  EXPECT_EQ(sign_in("alice", "secret1"), "4|登录失败，请1秒后再试！");
  const auto hashes = hasher_->full_hash_count();
  EXPECT_EQ(sign_in("ALICE", "guess4"), "4|登录失败，请1秒后再试！") << "names differ only in case are one";
  EXPECT_EQ(hasher_->full_hash_count(), hashes) << "a refused attempt costs no hashing";
  time_.now += 1s;
  EXPECT_EQ(sign_in("alice", "guess4"), kWrong);
  time_.now += 2s;
  EXPECT_EQ(sign_in("alice", "guess5"), "4|登录失败次数过多，请15分钟后再试！");
  time_.now += 14min;
  EXPECT_EQ(sign_in("alice", "secret1"), "4|登录失败次数过多，请1分钟后再试！");
  EXPECT_EQ(sign_in("bob", "secret2", "10.0.0.1"), kSignedIn) << "other names are not locked";
  time_.now += 1min;
  EXPECT_EQ(sign_in("alice", "secret1"), kSignedIn);
}

TEST_F(SignInLimitsTest, AnAddressIsSlowedDownButItsSignedInUsersAndOtherAddressesGoOn) {
  EXPECT_EQ(sign_in("bob", "secret2"), kSignedIn);  // bob's credential is now remembered
  for (int i = 0; i < 9; ++i) EXPECT_EQ(sign_in("user" + std::to_string(i), "guess"), kWrong);
  EXPECT_EQ(sign_in("alice", "secret1"), "4|登录失败，请1秒后再试！");
  EXPECT_EQ(sign_in("bob", "secret2"), kSignedIn) << "an already proven credential is not held up";
  EXPECT_EQ(sign_in("alice", "secret1", "10.0.0.2"), kSignedIn);
}

TEST_F(SignInLimitsTest, AStrangersGuessesLockNewSignInsFromHisAddressOnly) {
  ASSERT_EQ(sign_in("alice", "secret1", "10.0.0.1"), kSignedIn);  // her session, remembered
  ASSERT_NO_FATAL_FAILURE(lock_from("alice", "10.0.0.9"));
  ASSERT_NO_FATAL_FAILURE(lock_from("bob", "10.0.0.9"));  // bob has never signed in
  const auto hashes = hasher_->full_hash_count();
  for (int i = 0; i < 50; ++i)
    ASSERT_EQ(sign_in("alice", "guess" + std::to_string(10 + i), "10.0.0.9"), kLocked);
  EXPECT_EQ(sign_in("alice", "secret1", "10.0.0.9"), kLocked)
      << "the cache does not vouch for her password coming from the guesser's address";
  EXPECT_EQ(hasher_->full_hash_count(), hashes) << "a refused attempt costs no hashing";

  EXPECT_EQ(sign_in("alice", "secret1", "10.0.0.1"), kSignedIn) << "her session goes on";
  EXPECT_EQ(sign_in("bob", "secret2", "10.0.0.2"), kSignedIn) << "a new sign-in from another address";
  EXPECT_EQ(hasher_->full_hash_count(), hashes + 1);
}

TEST_F(SignInLimitsTest, ASessionOutlastsALockOnItsOwnAddressWhileItIsInUse) {
  ASSERT_EQ(sign_in("alice", "secret1"), kSignedIn);
  ASSERT_EQ(sign_in("bob", "secret2"), kSignedIn);
  ASSERT_NO_FATAL_FAILURE(lock_from("alice", "10.0.0.1"));
  ASSERT_NO_FATAL_FAILURE(lock_from("bob", "10.0.0.1"));
  EXPECT_EQ(sign_in("alice", "secret1"), kSignedIn) << "a session from before the lock, on the same address";
  time_.now += 14min;
  EXPECT_EQ(sign_in("alice", "secret1"), kSignedIn) << "in use at least every 15 minutes, as clients are";
  time_.now += 54s;
  // Bob's session has been idle for 15 minutes: his password is now a guess like any other.
  EXPECT_EQ(sign_in("bob", "secret2"), "4|登录失败次数过多，请1分钟后再试！");
  time_.now += 1min;
  EXPECT_EQ(sign_in("bob", "secret2"), kSignedIn) << "the lock is over";
}

TEST_F(SignInLimitsTest, NamesOfNoAccountCountOnlyTowardTheirAddress) {
  for (int i = 0; i < 7; ++i) EXPECT_EQ(sign_in("carol", "guess" + std::to_string(i), "10.0.0.5"), kWrong);
  add("carol", "secret3");
  EXPECT_EQ(sign_in("carol", "secret3", "10.0.0.5"), kSignedIn)
      << "the guesses before carol existed do not count";
  EXPECT_EQ(sign_in("nobody1", "guess", "10.0.0.5"), kWrong);
  EXPECT_EQ(sign_in("nobody2", "guess", "10.0.0.5"), kWrong);
  EXPECT_EQ(sign_in("bob", "secret2", "10.0.0.5"), "4|登录失败，请1秒后再试！")
      << "the address's count has them";
}

TEST_F(SignInLimitsTest, GuessesSpreadOverAddressesSlowDownTheAccountButNotItsOwner) {
  for (int i = 1; i <= 7; ++i) EXPECT_EQ(sign_in("bob", "guess", "10.0.1." + std::to_string(i)), kWrong);
  const auto hashes = hasher_->full_hash_count();
  EXPECT_EQ(sign_in("bob", "guess2", "10.0.1.1"), "4|登录失败，请1秒后再试！")
      << "an address that failed at bob waits for the account";
  EXPECT_EQ(hasher_->full_hash_count(), hashes);
  EXPECT_EQ(sign_in("bob", "secret2", "10.0.0.2"), kSignedIn)
      << "an address that never failed at bob does not";
  EXPECT_EQ(sign_in("alice", "secret1", "10.0.1.1"), kSignedIn) << "nor does another account";
}

}  // namespace
}  // namespace brindle::server::accounts
