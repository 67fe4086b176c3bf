// Signing in over HTTPS against the reference server seeded with its demo accounts.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/net/account_status.h"
#include "core/net/client_context.h"
#include "core/net/curl_transport.h"
#include "core/net/latest_information.h"
#include "core/net/login_request.h"
#include "core/net/member_details.h"
#include "core/net/network_card_address.h"
#include "core/net/version_check.h"
#include "core/ports/progress_sink.h"
#include "server/server.h"
#include "support/temp_dir.h"

namespace {

using brindle::testing::read_file;
using brindle::testing::TempDir;

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

class SignInAgainstServer : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto data = dir_ / "server";
    const auto printed = dir_ / "seed.txt";
    const std::string command = std::string(BRINDLE_SERVER_PATH) + " seed --data-dir " + data.string() +
                                " >" + printed.string() + " 2>&1";
    const int status = std::system(command.c_str());
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      GTEST_SKIP() << "the server cannot seed its demo accounts here: " << read_file(printed);
    }
    // "user  password  currency  balance  account", then one account a line.
    std::istringstream lines(read_file(printed));
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line)) {
      if (line.rfind("market:", 0) == 0) break;  // the market's summary follows the accounts
      std::istringstream words(line);
      DemoAccount account;
      if (words >> account.user_name >> account.password >> account.currency) accounts_.push_back(account);
    }
    ASSERT_FALSE(accounts_.empty()) << read_file(printed);

    brindle::server::ServerOptions options;
    options.data_dir = data;
    auto started = brindle::server::Server::start(std::move(options));
    ASSERT_TRUE(started) << started.error();
    server_ = std::move(started).value();
    context_.program_directory = dir_.path();
    context_.current_server = "127.0.0.1:" + std::to_string(server_->port());
  }

  bool sign_in(const std::string& user_name, const std::string& password) {
    brindle::net::LoginReply reply;
    return brindle::net::login_request(context_, transport_, progress_, user_name, password,
                                       brindle::net::kLoginRequestModeMember,
                                       brindle::net::network_card_address(), reply, error_);
  }
  const DemoAccount* find(const std::string& user_name) const {
    for (const auto& a : accounts_) {
      if (a.user_name == user_name) return &a;
    }
    return nullptr;
  }

  TempDir dir_;
  std::vector<DemoAccount> accounts_;
  std::unique_ptr<brindle::server::Server> server_;
  brindle::net::ClientContext context_;
  brindle::net::CurlTransport transport_;
  brindle::ports::SilentProgress progress_;
  std::string error_;
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
