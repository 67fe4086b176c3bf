#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "accounts_fixture.h"
#include "server/accounts/authenticator.h"
#include "server/accounts/credential_cache.h"

namespace brindle::server::accounts {
namespace {

TEST(PasswordHasher, StoresASaltedHashThatVerifiesOnlyTheRightPassword) {
  const PasswordHasher hasher(1000);
  auto first = hasher.hash("secret1");
  auto second = hasher.hash("secret1");
  ASSERT_TRUE(first.ok() && second.ok());
  EXPECT_EQ(first.value().find("secret1"), std::string::npos);
  EXPECT_TRUE(first.value().starts_with("pbkdf2-sha256$1000$"));
  EXPECT_NE(first.value(), second.value()) << "each hash draws its own salt";
  EXPECT_TRUE(hasher.verify("secret1", first.value()));
  EXPECT_FALSE(hasher.verify("secret2", first.value()));
  EXPECT_FALSE(hasher.verify("", first.value()));
  // A hash made with another iteration count still verifies: the count is stored with it.
  EXPECT_TRUE(PasswordHasher(2000).verify("secret1", first.value()));
}

TEST(PasswordHasher, NeverVerifiesAgainstADamagedStoredText) {
  const PasswordHasher hasher(1000);
  const std::string good = hasher.hash("pw").value();
  const std::string damaged[] = {
      "",
      "pw",
      "md5$1000$00$00",
      "pbkdf2-sha256$0$" + good.substr(good.find('$', 15) + 1),
      "pbkdf2-sha256$99999999999$00$00",
      "pbkdf2-sha256$1000$zz$00",
      "pbkdf2-sha256$1000$00",
      good.substr(0, good.size() - 1),
      good + "0",
  };
  for (const auto& stored : damaged) EXPECT_FALSE(hasher.verify("pw", stored)) << stored;
}

TEST(AccountRules, RefuseNamesAndPasswordsThatCouldNotTravelInTheBody) {
  const struct {
    std::string_view name;
    bool ok;
  } names[] = {{"alice", true},
               {"王小明", true},
               {"a_b-c", true},
               {"", false},
               {"a&txtPwd=b", false},
               {"a|b", false},
               {"a\nb", false},
               {"12345678901234567890", true},
               {"123456789012345678901", false},
               {"一二三四五六七八九十一", false},
               {" alice", false}};
  for (const auto& c : names) EXPECT_EQ(check_user_name(c.name).ok(), c.ok) << c.name;
  const struct {
    std::string_view password;
    bool ok;
  } passwords[] = {{"abc123", true}, {"a&txtPwd=b", true}, {"p&txtPara=x", false},
                   {"", false},      {"tab\there", false}, {std::string_view("x\0y", 3), false}};
  for (const auto& c : passwords) EXPECT_EQ(check_password(c.password).ok(), c.ok) << c.password;
}

TEST(CredentialCache, MatchesOnlyTheSameCredentialAccountAndStoredHash) {
  CredentialCache cache;
  cache.remember("ab", "c", 7, "hash1");
  EXPECT_TRUE(cache.contains("ab", "c", 7, "hash1"));
  EXPECT_FALSE(cache.contains("a", "bc", 7, "hash1")) << "the name's length is part of the digest";
  EXPECT_FALSE(cache.contains("ab", "c", 8, "hash1"));
  EXPECT_FALSE(cache.contains("ab", "c", 7, "hash2"));
  cache.forget_account(7);
  EXPECT_FALSE(cache.contains("ab", "c", 7, "hash1"));
}

TEST(CredentialCache, StaysWithinItsCapacity) {
  CredentialCache cache(3);
  for (int i = 0; i < 10; ++i) cache.remember("user" + std::to_string(i), "pw", i, "h");
  EXPECT_LE(cache.size(), 3u);
  EXPECT_TRUE(cache.contains("user9", "pw", 9, "h"));
}

TEST(CredentialCache, KnowsTheAddressesACredentialIsALiveSessionOf) {
  auto now = std::chrono::steady_clock::time_point(std::chrono::hours(1000));
  CredentialCache cache(10, [&now] { return now; });
  const auto live = [&](std::string_view address) {
    return cache.find("ab", "c", 7, "h", address).live_here;
  };
  cache.remember("ab", "c", 7, "h", "10.0.0.1");
  EXPECT_TRUE(live("10.0.0.1"));
  EXPECT_FALSE(live("10.0.0.2")) << "known, but not a session there";
  EXPECT_TRUE(cache.find("ab", "c", 7, "h", "10.0.0.2").known);
  now += CredentialCache::kSessionIdle - std::chrono::seconds(1);
  cache.used("ab", "c", "10.0.0.2");
  EXPECT_TRUE(live("10.0.0.1"));
  now += std::chrono::seconds(1);
  EXPECT_FALSE(live("10.0.0.1")) << "idle for the whole time";
  EXPECT_TRUE(live("10.0.0.2"));
  for (int i = 3; i <= 6; ++i) cache.used("ab", "c", "10.0.0." + std::to_string(i));
  EXPECT_FALSE(live("10.0.0.2")) << "only the most recent addresses are kept";
  EXPECT_TRUE(live("10.0.0.6"));
  cache.remember("ab", "c", 7, "h2", "10.0.0.9");
  EXPECT_FALSE(cache.find("ab", "c", 7, "h2", "10.0.0.6").live_here) << "a new password starts afresh";
}

TEST_F(AccountsTest, AuthenticatorHashesACredentialOnceThenUsesTheCache) {
  const AccountId id = add("alice", "secret1");
  const Authenticator auth(db_, hasher_);
  const auto before = hasher_->full_hash_count();

  auto first = auth.authenticate("alice", "secret1");
  ASSERT_TRUE(first.ok()) << first.error();
  EXPECT_EQ(first->id, id);
  EXPECT_EQ(first->user_name, "alice");
  EXPECT_EQ(hasher_->full_hash_count(), before + 1);

  for (int i = 0; i < 5; ++i) ASSERT_TRUE(auth.authenticate("alice", "secret1").ok());
  EXPECT_EQ(hasher_->full_hash_count(), before + 1) << "repeat requests must not re-hash";
}

TEST_F(AccountsTest, AuthenticatorRefusesWrongCredentialsAlikeAndInChinese) {
  add("alice", "secret1");
  const Authenticator auth(db_, hasher_);
  ASSERT_TRUE(auth.authenticate("alice", "secret1").ok());
  const struct {
    std::string_view user;
    std::string_view password;
  } wrong[] = {{"alice", "secret2"}, {"alice", ""},        {"bob", "secret1"}, {"", ""},
               {"ALICE", "secret1"}, {"alice", "secret1 "}};
  for (const auto& c : wrong) {
    auto result = auth.authenticate(c.user, c.password);
    ASSERT_FALSE(result.ok()) << c.user << "/" << c.password;
    EXPECT_EQ(result.error(), kWrongCredentialsText);
  }
}

TEST_F(AccountsTest, APasswordChangeInvalidatesTheCachedCredential) {
  const AccountId id = add("alice", "secret1");
  const Authenticator auth(db_, hasher_);
  ASSERT_TRUE(auth.authenticate("alice", "secret1").ok());

  // Changed through the database, as an admin command in another process would.
  ASSERT_TRUE(
      db_->transaction([&](storage::Connection& c) { return set_password(c, *hasher_, id, "secret2"); })
          .ok());
  EXPECT_FALSE(auth.authenticate("alice", "secret1").ok());
  EXPECT_TRUE(auth.authenticate("alice", "secret2").ok());
}

TEST_F(AccountsTest, AuthenticationReadsTheAccountsCurrentFlags) {
  const AccountId id = add("alice", "secret1");
  const Authenticator auth(db_, hasher_);
  EXPECT_FALSE(auth.authenticate("alice", "secret1")->frozen);
  ASSERT_TRUE(db_->transaction([&](storage::Connection& c) { return set_frozen(c, id, true); }).ok());
  EXPECT_TRUE(auth.authenticate("alice", "secret1")->frozen)
      << "a cached credential must not cache the flags";
}

TEST_F(AccountsTest, RefusesASecondAccountOfTheSameName) {
  add("alice", "secret1");
  auto again = db_->transaction([&](storage::Connection& c) {
    NewAccount account;
    account.user_name = "alice";
    account.password = "other";
    return create_account(c, *hasher_, account);
  });
  ASSERT_FALSE(again.ok());
  EXPECT_EQ(again.error(), kUserNameTakenText);
}

}  // namespace
}  // namespace brindle::server::accounts
