#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "server/accounts/account_store.h"
#include "server/accounts/ledger.h"
#include "server/admin/account_commands.h"
#include "server/admin/subcommand.h"
#include "server/rooms/room_store.h"
#include "server/services.h"
#include "support/temp_dir.h"

namespace brindle::server::admin {
namespace {

TEST(ParseOptions, TakesValuesFlagsAndPositionals) {
  const std::string_view values[] = {"--data-dir", "--memo"};
  const std::string_view flags[] = {"--star"};
  const std::string_view args[] = {"--data-dir", "/d",     "alice", "--memo=a=b",
                                   "--star",     "-12.50", "--",    "--x"};
  auto parsed = parse_options(args, values, flags);
  ASSERT_TRUE(parsed.ok()) << parsed.error();
  EXPECT_EQ(parsed->value("--data-dir"), "/d");
  EXPECT_EQ(parsed->value("--memo"), "a=b");
  EXPECT_TRUE(parsed->flag("--star"));
  EXPECT_EQ(parsed->positional, (std::vector<std::string>{"alice", "-12.50", "--x"}));

  const std::vector<std::vector<std::string_view>> refused = {
      {"--data-dir"}, {"--unknown", "x"}, {"--star=1"}};
  for (const auto& bad : refused) EXPECT_FALSE(parse_options(bad, values, flags).ok()) << bad[0];
}

class CommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(add_account_commands(table_).ok());
    ASSERT_TRUE(table_
                    .add(Subcommand{"serve", "serve", "serve usage\n",
                                    [this](std::span<const std::string_view> args, CommandContext&) {
                                      served_with_ = std::vector<std::string_view>(args.begin(), args.end());
                                      return 0;
                                    }})
                    .ok());
  }

  int run(std::vector<std::string_view> args) {
    out_.str({});
    err_.str({});
    CommandContext context{out_, err_, &in_, 1000};
    return table_.run(args, context);
  }

  std::shared_ptr<storage::Database> db() { return open_server_database(dir_.path()).value(); }

  testing::TempDir dir_;
  SubcommandTable table_;
  std::ostringstream out_, err_;
  std::istringstream in_;
  std::vector<std::string_view> served_with_;
};

TEST_F(CommandsTest, WithoutACommandTheServerServes) {
  EXPECT_EQ(run({"--listen", "127.0.0.1:0", "--data-dir", "/d"}), 0);
  EXPECT_EQ(served_with_, (std::vector<std::string_view>{"--listen", "127.0.0.1:0", "--data-dir", "/d"}));
  EXPECT_EQ(run({}), 0);
  EXPECT_EQ(run({"serve", "--data-dir", "/e"}), 0);
  EXPECT_EQ(served_with_, (std::vector<std::string_view>{"--data-dir", "/e"}));
}

TEST_F(CommandsTest, HelpListsCommandsAndEachCommandExplainsItself) {
  EXPECT_EQ(run({"--help"}), 0);
  for (auto name : {"seed", "add-user", "credit", "credit-line", "check-ledger", "serve"}) {
    EXPECT_NE(out_.str().find(name), std::string::npos) << name;
  }
  for (std::string_view name : {"seed", "add-user", "credit", "check-ledger"}) {
    EXPECT_EQ(run({name, "--help"}), 0);
    EXPECT_TRUE(out_.str().starts_with("usage: brindle-server " + std::string(name))) << out_.str();
  }
  EXPECT_EQ(run({"frobnicate"}), 2);
  EXPECT_NE(err_.str().find("unknown command"), std::string::npos);
}

TEST_F(CommandsTest, SeedCreatesEveryKindOfDemoAccountOnceAndPrintsThePasswords) {
  const std::string data_dir = dir_.path().string();
  ASSERT_EQ(run({"seed", "--data-dir", data_dir}), 0) << err_.str();
  const std::string printed = out_.str();
  auto accounts = db()->read([](storage::Connection& c) { return accounts::list_accounts(c); });
  ASSERT_TRUE(accounts.ok());
  bool rmb = false, usd = false, hkd = false, none = false, frozen = false, star = false;
  for (const auto& a : accounts.value()) {
    EXPECT_NE(printed.find(a.user_name), std::string::npos) << a.user_name;
    const bool funded = a.balance > 0;
    rmb |= a.currency == accounts::Currency::rmb && funded && !a.frozen;
    usd |= a.currency == accounts::Currency::usd && funded;
    hkd |= a.currency == accounts::Currency::hkd && funded;
    none |= a.currency == accounts::Currency::none && a.balance == 0;
    frozen |= a.frozen;
    star |= a.star_member;
  }
  EXPECT_TRUE(rmb && usd && hkd && none && frozen && star);
  EXPECT_NE(printed.find("rmb12345"), std::string::npos) << "passwords are printed";
  EXPECT_NE(printed.find("tc111111"), std::string::npos) << "withdrawal passwords are printed";
  auto room = db()->read([](storage::Connection& c) { return rooms::list_rooms(c); });
  ASSERT_TRUE(room.ok() && room->size() == 1u);
  EXPECT_EQ(room->front().owner_name, "demo_star");
  EXPECT_NE(printed.find("password " + std::to_string(room->front().password)), std::string::npos) << printed;

  ASSERT_EQ(run({"seed", "--data-dir", data_dir}), 0);
  auto again = db()->read([](storage::Connection& c) { return accounts::list_accounts(c); });
  EXPECT_EQ(again->size(), accounts->size());
  EXPECT_EQ(db()->read([](storage::Connection& c) { return rooms::list_rooms(c); })->size(), 1u)
      << "the star's room is made once";
  auto mismatches = db()->read([](storage::Connection& c) { return accounts::check_ledger(c); });
  EXPECT_TRUE(mismatches->empty());
}

TEST_F(CommandsTest, TheWithdrawalPasswordIsStoredHashedAndOnlyForAnExistingUser) {
  const std::string data_dir = dir_.path().string();
  ASSERT_EQ(run({"add-user", "--data-dir", data_dir, "carol", "pw1234", "--withdrawal-password", "first1"}),
            0)
      << err_.str();
  in_.str("second2\n");
  ASSERT_EQ(run({"withdrawal-password", "--data-dir", data_dir, "carol", "-"}), 0) << err_.str();
  EXPECT_EQ(run({"withdrawal-password", "--data-dir", data_dir, "nobody", "x1"}), 1);
  EXPECT_EQ(run({"withdrawal-password", "--data-dir", data_dir, "carol", "a|b"}), 1)
      << "cannot travel in txtPara";
  auto stored = db()->read([](storage::Connection& c) -> Result<std::string> {
    auto carol = accounts::find_credential(c, "carol");
    if (!carol) return Result<std::string>::failure(carol.error());
    return accounts::withdrawal_password_hash(c, carol.value()->identity.id);
  });
  ASSERT_TRUE(stored.ok()) << stored.error();
  EXPECT_EQ(stored->find("second2"), std::string::npos);
  EXPECT_TRUE(accounts::PasswordHasher(1000).verify("second2", stored.value()));
  EXPECT_FALSE(accounts::PasswordHasher(1000).verify("first1", stored.value()));
}

TEST_F(CommandsTest, AgentSetsAndRemovesAStarMembersAgent) {
  const std::string data_dir = dir_.path().string();
  ASSERT_EQ(run({"add-user", "--data-dir", data_dir, "carol", "pw1234", "--star"}), 0) << err_.str();
  EXPECT_EQ(run({"agent", "--data-dir", data_dir, "carol", "100", "代理"}), 2);
  EXPECT_EQ(run({"agent", "--data-dir", data_dir, "carol", "5"}), 2) << "an id without a name";
  EXPECT_EQ(run({"agent", "--data-dir", data_dir, "nobody", "5", "代理"}), 1);
  const auto agent_of = [&] {
    return db()->read([](storage::Connection& c) -> Result<std::optional<accounts::Agent>> {
      auto carol = accounts::find_credential(c, "carol");
      if (!carol) return Result<std::optional<accounts::Agent>>::failure(carol.error());
      return accounts::find_agent(c, carol.value()->identity.id);
    });
  };
  ASSERT_EQ(run({"agent", "--data-dir", data_dir, "carol", "5", "代理甲"}), 0) << err_.str();
  auto agent = agent_of();
  ASSERT_TRUE(agent.ok() && agent.value());
  EXPECT_EQ(agent.value()->id, 5);
  EXPECT_EQ(agent.value()->name, "代理甲");
  ASSERT_EQ(run({"agent", "--data-dir", data_dir, "carol", "0"}), 0) << err_.str();
  agent = agent_of();
  ASSERT_TRUE(agent.ok());
  EXPECT_FALSE(agent.value().has_value());
}

TEST_F(CommandsTest, InPlayWebTurnsTheModeOnAndOffForAnExistingMemberOnly) {
  const std::string data_dir = dir_.path().string();
  ASSERT_EQ(run({"add-user", "--data-dir", data_dir, "carol", "pw1234"}), 0) << err_.str();
  ASSERT_EQ(run({"add-user", "--data-dir", data_dir, "dave", "pw1234"}), 0) << err_.str();
  const auto mode_of = [&](const char* user) {
    auto account =
        db()->read([&](storage::Connection& c) { return accounts::find_account_by_name(c, user); });
    EXPECT_TRUE(account.ok() && account.value());
    return account.ok() && account.value() && account.value()->in_play_web_mode;
  };
  ASSERT_EQ(run({"in-play-web", "--data-dir", data_dir, "carol", "on"}), 0) << err_.str();
  EXPECT_EQ(out_.str(), "in-play web mode of carol: on\n");
  EXPECT_TRUE(mode_of("carol"));
  EXPECT_FALSE(mode_of("dave"));
  ASSERT_EQ(run({"in-play-web", "--data-dir", data_dir, "carol", "on"}), 0) << "again: harmless";
  ASSERT_EQ(run({"in-play-web", "--data-dir", data_dir, "carol", "off"}), 0) << err_.str();
  EXPECT_FALSE(mode_of("carol"));

  EXPECT_EQ(run({"in-play-web", "--data-dir", data_dir, "nobody", "on"}), 1);
  EXPECT_NE(err_.str().find("nobody"), std::string::npos);
  for (std::vector<std::string_view> bad :
       {std::vector<std::string_view>{"in-play-web", "--data-dir", data_dir, "carol"},
        {"in-play-web", "--data-dir", data_dir, "carol", "1"},
        {"in-play-web", "carol", "on"}}) {
    EXPECT_EQ(run(bad), 2) << bad.back();
    EXPECT_FALSE(mode_of("carol"));
  }
  EXPECT_EQ(run({"in-play-web", "--help"}), 0);
  EXPECT_TRUE(out_.str().starts_with(
      "usage: brindle-server in-play-web --data-dir DIR [--database URL] USER on|off"));
}

TEST_F(CommandsTest, AddUserAndCreditBookABuyInThatTheLedgerAgreesWith) {
  const std::string data_dir = dir_.path().string();
  ASSERT_EQ(run({"add-user", "--data-dir", data_dir, "carol", "pw1234", "--star"}), 0) << err_.str();
  ASSERT_EQ(run({"credit", "--data-dir", data_dir, "carol", "250.50", "--currency", "3"}), 0) << err_.str();
  EXPECT_NE(out_.str().find("balance 250.50"), std::string::npos) << out_.str();
  ASSERT_EQ(run({"credit", "--data-dir", data_dir, "carol", "-50"}), 0) << err_.str();
  ASSERT_EQ(run({"credit-line", "--data-dir", data_dir, "carol", "100"}), 0) << err_.str();
  ASSERT_EQ(run({"credit-line", "--data-dir", data_dir, "carol", "-30", "--memo", "还信"}), 0) << err_.str();
  EXPECT_NE(out_.str().find("credit 70.00"), std::string::npos) << out_.str();
  EXPECT_EQ(run({"check-ledger", "--data-dir", data_dir}), 0) << out_.str();

  auto carol = db()->read([](storage::Connection& c) { return accounts::find_account_by_name(c, "carol"); });
  ASSERT_TRUE(carol.ok() && carol.value());
  EXPECT_EQ(carol.value()->balance, 20'050 + 7'000);
  EXPECT_EQ(carol.value()->credit, 7'000);
  EXPECT_EQ(carol.value()->currency, accounts::Currency::hkd);
  EXPECT_TRUE(carol.value()->star_member);
}

TEST_F(CommandsTest, BadCommandLinesAndRefusalsChangeNothing) {
  const std::string data_dir = dir_.path().string();
  ASSERT_EQ(run({"add-user", "--data-dir", data_dir, "dave", "pw1234"}), 0);
  const struct {
    std::vector<std::string_view> args;
    int code;
  } cases[] = {
      {{"add-user", "--data-dir", data_dir, "dave", "other"}, 1},        // taken
      {{"add-user", "--data-dir", data_dir, "x&txtPwd=y", "pw"}, 1},     // cut rule
      {{"add-user", "--data-dir", data_dir, "erin", "p&txtPara=w"}, 1},  // cut rule
      {{"add-user", "--data-dir", data_dir, "erin"}, 2},                 // no password
      {{"add-user", "--data-dir", data_dir, "erin", "pw", "--currency", "7"}, 2},
      {{"credit", "--data-dir", data_dir, "dave", "12.345"}, 2},
      {{"credit", "--data-dir", data_dir, "dave", "abc"}, 2},
      {{"credit", "--data-dir", data_dir, "dave", "0"}, 2},
      {{"credit", "--data-dir", data_dir, "dave", "-1"}, 1},  // nothing to withdraw
      {{"credit", "--data-dir", data_dir, "nobody", "10"}, 1},
      {{"credit", "dave", "10"}, 2},                               // no data folder
      {{"credit-line", "--data-dir", data_dir, "dave", "10"}, 1},  // no currency
      {{"credit-line", "--data-dir", data_dir, "dave", "0"}, 2},
      {{"credit-line", "--data-dir", data_dir, "nobody", "10"}, 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(run(c.args), c.code) << c.args[0] << " " << c.args.back();
    EXPECT_FALSE(err_.str().empty());
  }
  auto accounts = db()->read([](storage::Connection& c) { return accounts::list_accounts(c); });
  ASSERT_EQ(accounts->size(), 1u);
  EXPECT_EQ(accounts.value()[0].balance, 0);
}

TEST_F(CommandsTest, AddUserReadsAPasswordFromStandardInput) {
  in_.str("from-stdin\n");
  ASSERT_EQ(run({"add-user", "--data-dir", dir_.path().string(), "frank", "-"}), 0) << err_.str();
  const accounts::PasswordHasher hasher(1000);
  auto stored = db()->read([](storage::Connection& c) { return accounts::find_credential(c, "frank"); });
  ASSERT_TRUE(stored.ok() && stored.value());
  EXPECT_TRUE(hasher.verify("from-stdin", stored.value()->password_hash));
}

}  // namespace
}  // namespace brindle::server::admin
