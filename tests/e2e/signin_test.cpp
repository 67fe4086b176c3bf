// Signing in over HTTPS against the reference server seeded with its demo accounts.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "core/net/account_status.h"
#include "core/net/latest_information.h"
#include "core/net/member_details.h"
#include "core/net/version_check.h"
#include "seeded_market.h"

namespace {

using brindle::testing::read_file;

struct DemoAccount {
  std::string user_name;
  std::string password;
  std::string currency;  // "RMB", "USD", "HKD" or "none"
};

int currency_code(const std::string& label) {
  if (label == "RMB") return 1;
  if (label == "USD") return 2;
  if (label == "HKD") return 3;
  return 0;
}

class SignInAgainstServer : public brindle::testing::SeededMarketTest {
 protected:
  void SetUp() override {
    if (!start_server(/*run_feed=*/true, "the server cannot seed its demo accounts here: ")) return;
    // "user  password  currency  balance  account", then one account a line.
    std::istringstream lines(read_file(seed_output()));
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line)) {
      if (line.rfind("market:", 0) == 0) break;  // the market's summary follows the accounts
      std::istringstream words(line);
      DemoAccount account;
      if (words >> account.user_name >> account.password >> account.currency) accounts_.push_back(account);
    }
    ASSERT_FALSE(accounts_.empty()) << read_file(seed_output());
  }

  const DemoAccount* find(const std::string& user_name) const {
    for (const auto& a : accounts_) {
      if (a.user_name == user_name) return &a;
    }
    return nullptr;
  }

  std::vector<DemoAccount> accounts_;
};

TEST_F(SignInAgainstServer, EveryDemoAccountSignsInAndGetsItsDetails) {
  brindle::net::VersionCheckResult versions;
  ASSERT_TRUE(brindle::net::version_check(context_, transport_, progress_, versions, error_)) << error_;
  EXPECT_EQ(versions.server_version, versions.local_version);
  for (const auto& account : accounts_) {
    ASSERT_TRUE(sign_in(account.user_name, account.password)) << account.user_name << ": " << error_;
    EXPECT_EQ(context_.login_mode, brindle::net::kLoginModeMember);
    EXPECT_EQ(context_.currency_code, currency_code(account.currency)) << account.user_name;
    EXPECT_TRUE(brindle::net::member_details_request(context_, transport_, progress_, error_))
        << account.user_name << ": " << error_;
    EXPECT_TRUE(brindle::net::latest_information_request(context_, transport_, progress_, error_)) << error_;
  }
}

TEST_F(SignInAgainstServer, WrongPasswordIsRefusedInTheServersWords) {
  const DemoAccount& account = accounts_.front();
  EXPECT_FALSE(sign_in(account.user_name, account.password + "x"));
  EXPECT_FALSE(error_.empty());
  EXPECT_EQ(error_.find("网络错误"), std::string::npos) << error_;  // a refusal, not a transport failure
}

TEST_F(SignInAgainstServer, FrozenAccountIsReportedFrozenAndAFundedOneIsNot) {
  const DemoAccount* frozen_account = find("demo_frozen");
  const DemoAccount* funded = find("demo_rmb");
  if (!frozen_account || !funded) GTEST_SKIP() << "the seed has no frozen and funded demo accounts";

  bool frozen = false;
  ASSERT_TRUE(sign_in(frozen_account->user_name, frozen_account->password)) << error_;
  ASSERT_TRUE(brindle::net::account_status_request(context_, transport_, progress_, frozen, error_))
      << error_;
  EXPECT_TRUE(frozen);

  ASSERT_TRUE(sign_in(funded->user_name, funded->password)) << error_;
  ASSERT_TRUE(brindle::net::account_status_request(context_, transport_, progress_, frozen, error_))
      << error_;
  EXPECT_FALSE(frozen);
}

}  // namespace
