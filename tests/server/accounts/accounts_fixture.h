#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "server/accounts/account_store.h"
#include "server/accounts/ledger.h"
#include "server/accounts/password_hash.h"
#include "server/services.h"
#include "support/temp_dir.h"

namespace brindle::server::accounts {

// A fresh data folder with the server's schema, and a hasher cheap enough for tests.
class AccountsTest : public ::testing::Test {
 protected:
  static constexpr unsigned kTestIterations = 1000;

  void SetUp() override {
    auto opened = open_server_database(dir_.path());
    ASSERT_TRUE(opened.ok()) << opened.error();
    db_ = opened.value();
  }

  AccountId add(const std::string& name, const std::string& password, Cents funds = 0,
                Currency currency = Currency::rmb) {
    auto id = db_->transaction([&](storage::Connection& c) -> Result<AccountId> {
      NewAccount account;
      account.user_name = name;
      account.password = password;
      auto made = create_account(c, *hasher_, account);
      if (!made || funds == 0) return made;
      auto bought = credit(c, made.value(), funds, currency, "test");
      if (!bought) return Result<AccountId>::failure(bought.error());
      return made;
    });
    EXPECT_TRUE(id.ok()) << id.error();
    return id.ok() ? id.value() : 0;
  }

  Balances funds(AccountId id) {
    auto b = db_->read([id](storage::Connection& c) { return balances(c, id); });
    EXPECT_TRUE(b.ok()) << b.error();
    return b.ok() ? b.value() : Balances{};
  }

  std::vector<LedgerMismatch> mismatches() {
    auto m = db_->read([](storage::Connection& c) { return check_ledger(c); });
    EXPECT_TRUE(m.ok()) << m.error();
    return m.ok() ? m.value() : std::vector<LedgerMismatch>{};
  }

  testing::TempDir dir_;
  std::shared_ptr<storage::Database> db_;
  std::shared_ptr<const PasswordHasher> hasher_ = std::make_shared<const PasswordHasher>(kTestIterations);
};

}  // namespace brindle::server::accounts
