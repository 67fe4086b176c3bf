#include "server/accounts/account_handlers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "accounts_fixture.h"
#include "server/accounts/authenticator.h"
#include "server/storage/timestamp.h"
#include "wire/framing.h"
#include "wire/ole_date.h"

namespace brindle::server::accounts {
namespace {

using storage::Connection;

std::vector<std::string> reply_lines(const Reply& reply) {
  std::vector<std::string> lines;
  const std::string text = reply.to_gbk();
  std::size_t start = 0;
  while (start < text.size()) {
    const auto end = text.find("\r\n", start);
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

class AccountHandlersTest : public AccountsTest {
 protected:
  void SetUp() override {
    AccountsTest::SetUp();
    ServerServices services;
    services.config = std::make_shared<const ServerConfig>();
    services.db = db_;
    services.hasher = hasher_;
    services.authenticator = std::make_shared<const Authenticator>(db_, hasher_);
    auto added = add_account_handlers(dispatcher_, services);
    ASSERT_TRUE(added.ok()) << added.error();
  }

  Reply ask(std::string_view category, int subject, std::string_view para, std::string_view user = "alice",
            std::string_view password = "secret1") {
    return dispatcher_.dispatch(category, "txtLanguage=1&txtSubjectID=" + std::to_string(subject) +
                                              "&txtUserName=" + std::string(user) + "&txtPwd=" +
                                              std::string(password) + "&txtPara=" + std::string(para));
  }

  wire::SingleRecordReply single(const Reply& reply) {
    lines_ = reply_lines(reply);
    return wire::SingleRecordReply(lines_);
  }

  Dispatcher dispatcher_;
  std::vector<std::string> lines_;
};

TEST_F(AccountHandlersTest, SignInAnswersTheThirteenFieldsInTheClientsOrder) {
  const AccountId id = add("alice", "secret1", 123'450, Currency::hkd);
  ASSERT_TRUE(db_->transaction([&](Connection& c) { return freeze_stake(c, id, 450); }).ok());
  ASSERT_TRUE(db_->transaction([&](Connection& c) -> Result<void> {
                   auto s = c.prepare(
                       "UPDATE accounts SET login_text1 = '欢迎', login_text3 = '好运', star_member = 1, "
                       "credit = 50000,"
                       " new_messages = 2 WHERE id = ?1");
                   if (!s) return Result<void>::failure(s.error());
                   s->bind(1, id);
                   return s->run();
                 })
                  .ok());

  auto first = single(ask("DATA_TRANS", 3001, "1|00E04C6A1B2C\n"));
  ASSERT_TRUE(first.success()) << first.message();
  EXPECT_EQ(first.message(), "登陆成功！");
  auto& f = first.fields();
  EXPECT_EQ(f.text(), "欢迎");
  EXPECT_EQ(f.integer(), 1);  // star member
  EXPECT_EQ(f.text(), "好运");
  EXPECT_EQ(f.integer(), 3);  // HKD
  EXPECT_DOUBLE_EQ(f.decimal(), 1230.00);
  EXPECT_DOUBLE_EQ(f.decimal(), 4.50);
  EXPECT_DOUBLE_EQ(f.decimal(), 500.00);
  EXPECT_EQ(f.integer(), 0);  // spare
  const int context1 = f.integer();
  const int context2 = f.integer();
  EXPECT_EQ(f.integer(), 2);  // new messages
  EXPECT_EQ(f.text(), "") << "nothing after the thirteenth field";
  EXPECT_EQ(lines_.size(), 1u);

  // A second sign-in hands out a new second context number.
  auto second = single(ask("DATA_TRANS", 3001, "1|00E04C6A1B2C\n"));
  ASSERT_TRUE(second.success());
  for (int i = 0; i < 8; ++i) (void)second.fields().text();
  EXPECT_EQ(second.fields().integer(), context1);
  EXPECT_NE(second.fields().integer(), context2);
}

TEST_F(AccountHandlersTest, EveryAccountSubjectRefusesWrongCredentialsInChinese) {
  add("alice", "secret1", 1'000);
  const struct {
    std::string_view category;
    int subject;
  } subjects[] = {{"DATA_TRANS", 3001}, {"DATA_TRANS", 3032}, {"DATA_TRANS", 3033},
                  {"DATA_QUERY", 4012}, {"DATA_QUERY", 4061}, {"DATA_QUERY", 4011}};
  const struct {
    std::string_view user;
    std::string_view password;
  } wrong[] = {{"alice", "secret2"}, {"nobody", "secret1"}, {"alice", ""}};
  for (const auto& s : subjects) {
    for (const auto& w : wrong) {
      auto reply = single(ask(s.category, s.subject, "1|x", w.user, w.password));
      EXPECT_NE(reply.result_code(), 1) << s.subject << " " << w.user << "/" << w.password;
      EXPECT_EQ(reply.message(), kWrongCredentialsText) << s.subject;
    }
  }
}

TEST_F(AccountHandlersTest, SignInRefusesAParameterWithoutTheModeNumber) {
  add("alice", "secret1");
  for (std::string_view para : {"", "x|00E04C6A1B2C", "1"}) {
    auto reply = single(ask("DATA_TRANS", 3001, para));
    EXPECT_NE(reply.result_code(), 1) << para;
    EXPECT_FALSE(reply.message().empty());
  }
}

TEST_F(AccountHandlersTest, MemberDetailsPutTheInPlayWebModeWhereTheMessageWouldBe) {
  const AccountId id = add("alice", "secret1");
  ASSERT_TRUE(
      db_->transaction([&](Connection& c) {
           return c.execute_script(
               "UPDATE accounts SET in_play_web_mode = 1, member_number1 = 7, member_number2 = 9;"
               "INSERT INTO member_details (account_id, slot, text) VALUES (1, 1, '小明'), (1, 19, '末项')");
         })
          .ok());
  ASSERT_EQ(id, 1);
  auto reply = single(ask("DATA_TRANS", 3032, ""));
  ASSERT_TRUE(reply.success());
  EXPECT_EQ(reply.message(), "1");
  auto& f = reply.fields();
  EXPECT_EQ(f.text(), "小明");
  for (int i = 2; i <= 18; ++i) EXPECT_EQ(f.text(), "") << "text " << i;
  EXPECT_EQ(f.text(), "末项");
  EXPECT_EQ(f.integer(), 7);
  EXPECT_EQ(f.integer(), 9);
}

TEST_F(AccountHandlersTest, AccountStateGivesTheFrozenFlagOfTheSignedInAccountOnly) {
  const AccountId id = add("alice", "secret1");
  add("bob", "secret1");
  auto open = single(ask("DATA_TRANS", 3033, "alice"));
  ASSERT_TRUE(open.success());
  EXPECT_EQ(open.fields().integer(), 0);

  ASSERT_TRUE(db_->transaction([&](Connection& c) { return set_frozen(c, id, true); }).ok());
  auto frozen = single(ask("DATA_TRANS", 3033, "alice"));
  ASSERT_TRUE(frozen.success());
  EXPECT_EQ(frozen.fields().integer(), 1);

  EXPECT_FALSE(single(ask("DATA_TRANS", 3033, "bob")).success()) << "no looking at other accounts";
}

TEST_F(AccountHandlersTest, BalanceAnswersAmountFrozenBalanceCurrencyAndWholeCredit) {
  const AccountId id = add("alice", "secret1", 10'000, Currency::usd);
  ASSERT_TRUE(db_->transaction([&](Connection& c) { return freeze_stake(c, id, 2'550); }).ok());
  ASSERT_TRUE(
      db_->transaction([&](Connection& c) { return c.execute_script("UPDATE accounts SET credit = 123456"); })
          .ok());
  auto reply = single(ask("DATA_QUERY", 4012, ""));
  ASSERT_TRUE(reply.success());
  auto& f = reply.fields();
  EXPECT_DOUBLE_EQ(f.decimal(), 100.00);  // the whole holding
  EXPECT_DOUBLE_EQ(f.decimal(), 25.50);
  EXPECT_DOUBLE_EQ(f.decimal(), 74.50);  // available: what the stake checks compare with
  EXPECT_EQ(f.integer(), 2);
  EXPECT_EQ(f.text(), "1234");
}

TEST_F(AccountHandlersTest, WebTokenIsFortyCharactersAndNewEachTime) {
  add("alice", "secret1");
  auto first = single(ask("DATA_QUERY", 4061, ""));
  ASSERT_TRUE(first.success());
  const std::string token = first.fields().text();
  EXPECT_EQ(token.size(), 40u);
  EXPECT_EQ(token.find_first_not_of("0123456789ABCDEF"), std::string::npos);
  auto second = single(ask("DATA_QUERY", 4061, ""));
  EXPECT_NE(second.fields().text(), token);
  auto owner = db_->read([&](Connection& c) { return web_token_account(c, token); });
  ASSERT_TRUE(owner.ok() && owner.value());
  EXPECT_EQ(*owner.value(), 1);
}

TEST_F(AccountHandlersTest, StatementRowsCarryTimeTypeAmountContentAndBalanceBefore) {
  const AccountId id = add("alice", "secret1", 10'000);
  add("bob", "secret1", 777);
  ASSERT_TRUE(db_->transaction([&](Connection& c) -> Result<Balances> {
                   auto frozen = freeze_stake(c, id, 3'000);
                   if (!frozen) return frozen;
                   return settle_stake(c, id, 3'000, 0, StatementType::over_under, "0000000007");
                 })
                  .ok());

  const auto now = storage::now_unix_seconds();
  auto range = [](std::int64_t t) {
    const auto civil = wire::ole_to_civil(storage::ole_from_unix(t)).value();
    return wire::date_range_text(civil);
  };
  lines_ = reply_lines(ask("DATA_QUERY", 4011, range(now - 3600) + "|" + range(now + 3600) + "|0"));
  wire::ListReply reply(lines_);
  ASSERT_TRUE(reply.success()) << reply.message();
  ASSERT_EQ(reply.row_count(), 2u) << "bob's entry is not alice's";

  auto buy_in = reply.row(0);
  const double ole = buy_in.decimal();
  EXPECT_NEAR(ole, storage::ole_from_unix(now), 10.0 / 86400);
  EXPECT_EQ(buy_in.integer(), 1);
  EXPECT_DOUBLE_EQ(buy_in.decimal(), 100.00);
  EXPECT_EQ(buy_in.text(), "test");
  EXPECT_DOUBLE_EQ(buy_in.decimal(), 0.00);

  auto loss = reply.row(1);
  (void)loss.decimal();
  EXPECT_EQ(loss.integer(), 9);
  EXPECT_DOUBLE_EQ(loss.decimal(), -30.00);
  EXPECT_EQ(loss.text(), "0000000007");
  EXPECT_DOUBLE_EQ(loss.decimal(), 100.00);

  // Outside the range: no rows, still a success.
  lines_ = reply_lines(ask("DATA_QUERY", 4011, "20000101000000|20000102000000|0"));
  wire::ListReply empty(lines_);
  EXPECT_TRUE(empty.success());
  EXPECT_EQ(empty.row_count(), 0u);
}

TEST_F(AccountHandlersTest, StatementRefusesBadRanges) {
  add("alice", "secret1");
  const std::string_view paras[] = {"",
                                    "2024|2025|0",
                                    "20240230000000|20240301000000|0",
                                    "20240102000000|20240101000000|0",
                                    "20240101000000|20240108010000|0",
                                    "x'; DROP TABLE accounts;--|20240101000000|0"};
  for (auto para : paras) {
    lines_ = reply_lines(ask("DATA_QUERY", 4011, para));
    wire::ListReply reply(lines_);
    EXPECT_FALSE(reply.success()) << para;
    EXPECT_FALSE(reply.message().empty()) << para;
  }
  lines_ = reply_lines(ask("DATA_QUERY", 4011, "20240101000000|20240108005959|0"));
  EXPECT_TRUE(wire::ListReply(lines_).success()) << "a week and 59 minutes is allowed";
}

}  // namespace
}  // namespace brindle::server::accounts
