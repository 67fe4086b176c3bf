// Registration, account details, retrieval and customer service through the dispatcher, with the
// fields laid out as the client lays them out.

#include "server/members/member_handlers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../betting/bet_fixture.h"
#include "server/accounts/account_handlers.h"
#include "server/accounts/account_store.h"
#include "server/accounts/attempt_limiter.h"
#include "server/accounts/authenticator.h"
#include "server/members/member_rules.h"
#include "server/members/member_store.h"
#include "server/messages/message_handlers.h"
#include "server/services.h"
#include "server/storage/migration.h"
#include "server/storage/timestamp.h"
#include "support/postgresql_schema.h"
#include "support/retrieval_mail.h"
#include "support/temp_dir.h"
#include "wire/gbk.h"

namespace {

namespace server = brindle::server;
namespace members = brindle::server::members;
using brindle::testing::mailed_password;
using server::storage::Connection;

std::string join(const std::vector<std::string>& fields) {
  std::string text;
  for (std::size_t i = 0; i < fields.size(); ++i) text += (i ? "|" : "") + fields[i];
  return text;
}

struct Registration {
  std::string user = "Alice_1", password = "abc123", email = "alice@example.com", withdrawal = "1234",
              nickname = "小明", phone = "";
  std::string signature;  // empty: the right one

  std::string para() const {
    std::vector<std::string> f = {user, password, email, withdrawal, nickname, phone, "", "", ""};
    f.push_back(signature.empty() ? members::registration_signature(user, password) : signature);
    for (int i = 0; i < 12; ++i) f.push_back("");
    f.push_back("1");
    return join(f);
  }
};

class MemberHandlers : public brindle::testing::BetFixture {
 protected:
  void SetUp() override {
    BetFixture::SetUp();
    services_.data_dir = dir_.path();
    ASSERT_TRUE(server::add_member_handlers(*dispatcher_, services_).ok());
    ASSERT_TRUE(server::add_message_handlers(*dispatcher_, services_).ok());
  }

  // A request as the client sends it; the client doubles a leading "|" of txtPara.
  brindle::wire::ListReply request(int subject, const std::string& user, const std::string& password,
                                   std::string para) {
    if (!para.empty() && para.front() == '|') para.insert(para.begin(), '|');
    const std::string category = subject >= 4000 ? "DATA_QUERY" : "DATA_UPDATE";
    const std::string body = "txtLanguage=1&txtSubjectID=" + std::to_string(subject) +
                             "&txtUserName=" + user + "&txtPwd=" + password + "&txtPara=" + para;
    return brindle::wire::ListReply(send_raw(category, body));
  }

  // The reply lines, GBK, to a body written in UTF-8.
  std::vector<std::string> send_raw(const std::string& category, const std::string& body) {
    const std::string gbk = dispatcher_->dispatch(category, brindle::wire::utf8_to_gbk(body)).to_gbk();
    std::vector<std::string> lines;
    std::istringstream in(gbk);
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
    }
    return lines;
  }

  bool signs_in(const std::string& user, const std::string& password) {
    return services_.authenticator->authenticate(user, password).ok();
  }

  std::string detail(std::int64_t id, int slot) {
    auto text = services_.db->read([&](Connection& c) { return members::detail(c, id, slot); });
    return text.ok() ? text.value() : "?";
  }

  // Asks for a retrieval of `user` and reads the password from the one new mail in the outbox.
  std::string retrieve(const std::string& user) {
    const auto before = outbox();
    EXPECT_TRUE(request(2016, user, "", "").success());
    for (const auto& file : outbox()) {
      if (std::find(before.begin(), before.end(), file) != before.end()) continue;
      std::ifstream in(file, std::ios::binary);
      return mailed_password(
          std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
    }
    return {};
  }

  std::vector<std::filesystem::path> outbox() {
    std::vector<std::filesystem::path> files;
    const auto dir = dir_.path() / "outbox";
    if (std::filesystem::exists(dir))
      for (const auto& e : std::filesystem::directory_iterator(dir)) files.push_back(e.path());
    return files;
  }
};

TEST_F(MemberHandlers, RegistrationAppliesTheRulesAndRefusesNamesTakenInAnyCase) {
  // Credentials of an earlier user do not matter: registration comes before sign-in.
  auto made = request(2022, "whoever", "stale", Registration{}.para());
  ASSERT_TRUE(made.success()) << made.message();
  EXPECT_TRUE(signs_in("Alice_1", "abc123"));
  auto account =
      services_.db->read([](Connection& c) { return server::accounts::find_account_by_name(c, "Alice_1"); });
  ASSERT_TRUE(account.ok() && account.value());
  EXPECT_EQ(account.value()->currency, server::accounts::Currency::none) << "no credit bought yet";
  EXPECT_EQ(detail(account.value()->id, members::kNicknameSlot), "小明");
  auto stored = services_.db->read(
      [&](Connection& c) { return server::accounts::withdrawal_password_hash(c, account.value()->id); });
  ASSERT_TRUE(stored.ok());
  EXPECT_TRUE(services_.hasher->verify("1234", stored.value()));
  EXPECT_EQ(stored->find("1234"), std::string::npos);

  struct Case {
    const char* what;
    Registration form;
    const char* refusal;
  };
  auto with = [](auto change) {
    Registration r;
    r.user = "bob";
    r.nickname = "Bobby";
    change(r);
    return r;
  };
  Registration carol;
  carol.user = "carol";
  carol.nickname = "Caroline";
  ASSERT_TRUE(request(2022, "", "", carol.para()).success());
  const Case cases[] = {
      {"name in other case", with([](Registration& r) { r.user = "ALICE_1"; }), "该用户名已被注册！"},
      {"nickname taken", with([](Registration& r) { r.nickname = "小明"; }), "该昵称已被使用！"},
      {"nickname in other case", with([](Registration& r) { r.nickname = "CAROLINE"; }), "该昵称已被使用！"},
      {"forged signature", with([](Registration& r) { r.signature = std::string(32, 'a'); }),
       "注册请求校验失败，请使用正式版客户端注册！"},
      {"signature of another password",
       with([](Registration& r) { r.signature = members::registration_signature("bob", "other1"); }),
       "注册请求校验失败，请使用正式版客户端注册！"},
      {"digits", with([](Registration& r) { r.user = "123456"; }), "用户名不能为数字！"},
      {"name character", with([](Registration& r) { r.user = "bo b"; }), "用户名只能为字母或数字！"},
      {"short password", with([](Registration& r) { r.password = "abc12"; }), "密码不能少于6位！"},
      {"password character", with([](Registration& r) { r.password = "abc-def"; }), "密码只能为字母或数字！"},
      {"e-mail", with([](Registration& r) { r.email = "bob.example.com"; }), "电子邮件格式不正确！"},
      {"withdrawal", with([](Registration& r) { r.withdrawal = "1234567"; }), "提彩密码不能大于6位！"},
      {"nickname &", with([](Registration& r) { r.nickname = "小明&朋友"; }), "昵称不能包含字符'&'！"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto reply = request(2022, "", "", c.form.para());
    EXPECT_FALSE(reply.success());
    EXPECT_EQ(reply.message(), c.refusal);
  }
  EXPECT_FALSE(signs_in("bob", "abc123"));

  EXPECT_EQ(request(2020, "", "", "alice_1|0").message(), "该用户名已被注册！");
  EXPECT_TRUE(request(2020, "", "", "dave|0").success());
  EXPECT_EQ(request(2021, "", "", "小明|1").message(), "该昵称已被使用！");
  EXPECT_TRUE(request(2021, "", "", "小红|1").success());
  EXPECT_FALSE(request(2022, "", "", "Alice_2|abc123").success()) << "a short registration";
}

// Lengths count GBK bytes: a Chinese character takes two.
TEST_F(MemberHandlers, FieldsLongerThanTheClientsBoxesAreRefusedBeforeAnythingIsStored) {
  const std::string at_50 = std::string(38, 'a') + "@example.com";  // 50 bytes
  std::string chinese_50;
  for (int i = 0; i < 25; ++i) chinese_50 += "电";
  struct Case {
    const char* what;
    std::string email, phone;
    const char* refusal;  // nullptr: accepted
  };
  const Case cases[] = {
      {"phone of 30,000 bytes", "a@example.com", std::string(30'000, '1'), "电话不能超过50位！"},
      {"phone of 51 bytes", "a@example.com", chinese_50 + "1", "电话不能超过50位！"},
      {"phone of 50 bytes", "a@example.com", chinese_50, nullptr},
      {"e-mail of 51 bytes", "a" + at_50, "", "电子邮件不能超过50位！"},
      {"e-mail of 50 bytes", at_50, "", nullptr},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Registration form;
    form.user = "user" + std::to_string(++n);
    form.nickname = "nick" + std::to_string(n);
    form.email = c.email;
    form.phone = c.phone;
    auto reply = request(2022, "", "", form.para());
    EXPECT_EQ(reply.success(), c.refusal == nullptr) << reply.message();
    if (c.refusal) {
      EXPECT_EQ(reply.message(), c.refusal);
    }
    EXPECT_EQ(signs_in(form.user, form.password), c.refusal == nullptr);
  }

  // The account-details change refuses them the same way and keeps the stored details.
  auto user = services_.db->read([](Connection& c) { return server::accounts::find_credential(c, "user3"); });
  ASSERT_TRUE(user.ok() && user.value());
  const auto id = user.value()->identity.id;
  const auto change = [&](const std::string& email, const std::string& phone) {
    std::vector<std::string> f = {"user3", "1234", "", "", email, phone, "", ""};
    f.resize(20);
    return request(2004, "user3", "abc123", join(f)).message();
  };
  EXPECT_EQ(change("", std::string(30'000, '1')), "电话不能超过50位！");
  EXPECT_EQ(change("a" + at_50, "555"), "电子邮件不能超过50位！");
  EXPECT_EQ(detail(id, members::kPhoneSlot), chinese_50);
  EXPECT_EQ(detail(id, members::kEmailSlot), "a@example.com");
  EXPECT_EQ(change(at_50, chinese_50), "修改成功！");
  EXPECT_EQ(detail(id, members::kEmailSlot), at_50);
}

TEST_F(MemberHandlers, ProfileChangeChecksTheOldWithdrawalPasswordAndChangesAllOrNothing) {
  ASSERT_TRUE(request(2022, "", "", Registration{}.para()).success());
  const auto para = [](const std::string& old_withdrawal) {
    std::vector<std::string> f = {"Alice_1",         old_withdrawal, "newpass7", "5678",
                                  "new@example.com", "555",          "",         ""};
    for (int i = 0; i < 12; ++i) f.push_back("");
    return join(f);
  };
  ASSERT_TRUE(signs_in("Alice_1", "abc123"));  // remembered by the credential cache

  auto wrong = request(2004, "Alice_1", "abc123", para("9999"));
  EXPECT_EQ(wrong.message(), "原提彩密码错误！");
  EXPECT_TRUE(signs_in("Alice_1", "abc123"));
  EXPECT_FALSE(signs_in("Alice_1", "newpass7"));
  EXPECT_EQ(request(2004, "Alice_1", "wrong1", para("1234")).message(), "用户名或密码错误！");
  EXPECT_EQ(request(2004, "Alice_1", "abc123", "Alice_1|1234").message(), "修改资料请求格式错误！");

  auto changed = request(2004, "Alice_1", "abc123", para("1234"));
  ASSERT_TRUE(changed.success()) << changed.message();
  EXPECT_FALSE(signs_in("Alice_1", "abc123")) << "the cached credential is gone with the old hash";
  EXPECT_TRUE(signs_in("Alice_1", "newpass7"));
  EXPECT_EQ(request(2004, "Alice_1", "newpass7", para("1234")).message(), "原提彩密码错误！")
      << "the withdrawal password changed too";
}

TEST_F(MemberHandlers, RetrievalWritesTheNewPasswordToTheOutboxWithoutTellingWhoExists) {
  ASSERT_TRUE(request(2022, "", "", Registration{}.para()).success());
  auto unknown = request(2016, "nobody", "", "");
  EXPECT_TRUE(unknown.success());
  EXPECT_TRUE(outbox().empty());

  auto sent = request(2016, "Alice_1", "", "");
  ASSERT_TRUE(sent.success());
  EXPECT_EQ(sent.message(), unknown.message());
  const auto files = outbox();
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].extension(), ".eml");
  EXPECT_EQ(std::filesystem::status(files[0]).permissions() & std::filesystem::perms::group_read,
            std::filesystem::perms::none);
  std::ifstream in(files[0], std::ios::binary);
  const std::string mail((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(mail.find("To: alice@example.com\r\n"), std::string::npos);
  EXPECT_NE(mail.find("\r\n\r\n"), std::string::npos);

  EXPECT_TRUE(signs_in("Alice_1", "abc123")) << "the old password stays until the new one is used";
  // The new password is in the base64 body, and it signs in.
  const std::string password = mailed_password(mail);
  ASSERT_EQ(password.size(), 10u);
  EXPECT_TRUE(signs_in("Alice_1", password)) << password;
  EXPECT_FALSE(signs_in("Alice_1", "abc123")) << "the new password's first use ends the old";
}

TEST_F(MemberHandlers, RetrievalGoesToTheMailCommandAndAFailedOneKeepsTheOldPassword) {
  ASSERT_TRUE(request(2022, "", "", Registration{}.para()).success());
  const auto sent = dir_.path() / "sent.eml";
  const auto with_command = [&](const std::string& command) {
    auto config = std::make_shared<server::ServerConfig>();
    config->mail_command = command;
    services_.config = config;
    dispatcher_ = std::make_unique<server::Dispatcher>();
    ASSERT_TRUE(server::add_account_handlers(*dispatcher_, services_).ok());
    ASSERT_TRUE(server::add_member_handlers(*dispatcher_, services_).ok());
    ASSERT_TRUE(server::add_message_handlers(*dispatcher_, services_).ok());
  };
  with_command("cat >/dev/null; exit 3");
  EXPECT_TRUE(request(2016, "Alice_1", "", "").success()) << "the same answer for every name";
  EXPECT_TRUE(signs_in("Alice_1", "abc123")) << "the mail did not go, so the password stays";
  EXPECT_TRUE(outbox().empty());

  with_command("cat >" + sent.string());
  ASSERT_TRUE(request(2016, "Alice_1", "", "").success());
  std::ifstream in(sent, std::ios::binary);
  const std::string mail((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(mail.find("To: alice@example.com\r\n"), std::string::npos) << mail;
  EXPECT_NE(mail.find("From: service@localhost\r\n"), std::string::npos);
  EXPECT_TRUE(signs_in("Alice_1", "abc123")) << "until the mailed password is used";
  EXPECT_TRUE(signs_in("Alice_1", mailed_password(mail)));
  EXPECT_FALSE(signs_in("Alice_1", "abc123"));
  EXPECT_TRUE(outbox().empty());
}

// Anyone may ask for a retrieval of anyone's password: it must not end the password in use.
TEST_F(MemberHandlers, ARetrievalLeavesTheOldPasswordUntilTheMailedOneSignsInOrThePasswordChanges) {
  ASSERT_TRUE(request(2022, "", "", Registration{}.para()).success());
  ASSERT_TRUE(signs_in("Alice_1", "abc123"));  // a session, remembered by the credential cache
  const auto sign_in = [&](const std::string& password) {
    const std::string body =
        "txtLanguage=1&txtSubjectID=3001&txtUserName=Alice_1&txtPwd=" + password + "&txtPara=1|00E04C6A1B2C";
    return brindle::wire::SingleRecordReply(send_raw("DATA_TRANS", body)).message();
  };
  const std::string first = retrieve("Alice_1");
  const std::string mailed = retrieve("Alice_1");
  ASSERT_EQ(mailed.size(), 10u);
  EXPECT_EQ(sign_in("abc123"), "登陆成功！") << "the session goes on";
  const server::accounts::Authenticator fresh(services_.db, services_.hasher);
  EXPECT_TRUE(fresh.authenticate("Alice_1", "abc123").ok()) << "and a full check of the old one passes";
  EXPECT_EQ(sign_in(first), "用户名或密码错误！") << "a later retrieval replaces the earlier mail";

  EXPECT_EQ(sign_in(mailed), "登陆成功！");
  EXPECT_EQ(sign_in("abc123"), "用户名或密码错误！") << "its first use ends the old password";
  EXPECT_FALSE(fresh.authenticate("Alice_1", "abc123").ok());
  EXPECT_TRUE(fresh.authenticate("Alice_1", mailed).ok()) << "in every process";

  // A password the user chooses drops a mailed one that was never used.
  const std::string unused = retrieve("Alice_1");
  std::vector<std::string> f = {"Alice_1", "1234", "chosen1", "", "", "", "", ""};
  f.resize(20);
  ASSERT_EQ(request(2004, "Alice_1", mailed, join(f)).message(), "修改成功！");
  EXPECT_EQ(sign_in(unused), "用户名或密码错误！");
  EXPECT_EQ(sign_in(mailed), "用户名或密码错误！");
  EXPECT_EQ(sign_in("chosen1"), "登陆成功！");
}

// A data folder made before retrievals waited beside the password opens and gains the table.
TEST_F(MemberHandlers, ADataFolderFromBeforeWaitingRetrievalsOpensAndRetrievesSafely) {
  if (brindle::testing::on_postgresql()) GTEST_SKIP() << "a SQLite data folder of an earlier version";
  brindle::testing::TempDir old_dir;
  {
    auto opened = server::storage::Database::open_in(old_dir.path());
    ASSERT_TRUE(opened.ok()) << opened.error();
    std::vector<server::storage::Migration> before;
    for (const auto& step : server::all_migrations())
      if (step.module != "retrievals") before.push_back(step);
    ASSERT_TRUE(server::storage::migrate(*opened.value(), before).ok());
    ASSERT_TRUE(opened.value()
                    ->transaction([&](Connection& c) -> brindle::Result<void> {
                      server::accounts::NewAccount account;
                      account.user_name = "old_timer";
                      account.password = "abc123";
                      auto made = server::accounts::create_account(c, *services_.hasher, account);
                      if (!made) return brindle::Result<void>::failure(made.error());
                      return members::set_detail(c, made.value(), members::kEmailSlot, "old@example.com");
                    })
                    .ok());
  }
  auto reopened = server::open_server_database(old_dir.path());
  ASSERT_TRUE(reopened.ok()) << reopened.error();
  services_.db = reopened.value();
  services_.data_dir = old_dir.path();
  services_.authenticator =
      std::make_shared<const server::accounts::Authenticator>(services_.db, services_.hasher);
  dispatcher_ = std::make_unique<server::Dispatcher>();
  ASSERT_TRUE(server::add_account_handlers(*dispatcher_, services_).ok());
  ASSERT_TRUE(server::add_member_handlers(*dispatcher_, services_).ok());
  ASSERT_TRUE(request(2016, "old_timer", "", "").success());
  EXPECT_TRUE(signs_in("old_timer", "abc123"));
}

TEST_F(MemberHandlers, QuestionsMessagesAndTheSurvey) {
  add_account("ann", 0);
  add_account("ben", 0);
  // An empty topic makes the txtPara start with "|".
  auto asked = request(2001, "ann", "pw", "|门票怎么买？|");
  ASSERT_TRUE(asked.success()) << asked.message();
  EXPECT_EQ(request(2001, "ann", "pw", "投注||").message(), "描述不能为空");
  auto listed = request(4001, "ann", "pw", "");
  ASSERT_EQ(listed.row_count(), 1u);
  auto row = brindle::testing::fields_of(listed, 0, 6);
  EXPECT_EQ(row[0], "1");
  EXPECT_EQ(row[2], "");
  EXPECT_EQ(row[3], "门票怎么买？");
  EXPECT_EQ(row[4], "");
  EXPECT_EQ(request(4001, "ben", "pw", "").row_count(), 0u) << "only one's own questions";

  const std::string number = row[1];
  EXPECT_FALSE(request(2019, "ann", "pw", number).success()) << "not answered yet";
  ASSERT_TRUE(services_.db
                  ->transaction([&](Connection& c) {
                    return members::answer_question(c, std::stoll(number), "在柜台购买。", "客服小李", 1);
                  })
                  .ok());
  EXPECT_FALSE(request(2019, "ben", "pw", number).success()) << "someone else's question";
  EXPECT_FALSE(request(2019, "ann", "pw", "0").success()) << "a notice";
  EXPECT_TRUE(request(2019, "ann", "pw", number).success());
  EXPECT_EQ(request(2018, "ann", "pw", std::string(400, 'x') + "|" + number + "|2").message(),
            "内容不能超过200汉字！");
  auto rated = request(2018, "ann", "pw", "|" + number + "|0");
  ASSERT_TRUE(rated.success()) << rated.message();
  EXPECT_FALSE(request(2019, "ann", "pw", number).success()) << "rated once";
  EXPECT_EQ(request(2018, "ann", "pw", "|" + number + "|1").message(), "该问题不能评价！");

  // Messages: the owner's only, line breaks as "<br>", deleted for good.
  std::int64_t ann_id = 0;
  auto sent = services_.db->transaction([&](Connection& c) -> brindle::Result<std::int64_t> {
    auto who = server::accounts::find_credential(c, "ann");
    ann_id = who.value()->identity.id;
    return members::send_message(c, ann_id, "通知", "第一行\n第二行", 1700000000);
  });
  ASSERT_TRUE(sent.ok());
  auto account = services_.db->read([&](Connection& c) { return server::accounts::find_account(c, ann_id); });
  EXPECT_EQ(account.value()->new_messages, 1) << "sign-in tells the client to fetch them";
  EXPECT_EQ(request(4002, "ben", "pw", "").row_count(), 0u);
  auto messages = request(4002, "ann", "pw", "");
  ASSERT_EQ(messages.row_count(), 1u);
  auto message = brindle::testing::fields_of(messages, 0, 5);
  EXPECT_EQ(message[1], "通知");
  EXPECT_EQ(message[2], "第一行<br>第二行");
  const std::string id = message[0];
  EXPECT_EQ(request(2002, "ben", "pw", id).message(), "该消息不存在！");
  EXPECT_TRUE(request(2002, "ann", "pw", id).success());
  EXPECT_EQ(request(2002, "ann", "pw", id).message(), "该消息不存在！");
  EXPECT_EQ(request(4002, "ann", "pw", "").row_count(), 0u);
  account = services_.db->read([&](Connection& c) { return server::accounts::find_account(c, ann_id); });
  EXPECT_EQ(account.value()->new_messages, 0);
}

}  // namespace

namespace {

// Name checks and retrievals share one count per address: past the free ones the next is refused
// before it looks anything up, whatever name it asks about.
TEST_F(MemberHandlers, NameChecksAndRetrievalsAreSlowedDownPerAddress) {
  const auto frozen_now = std::chrono::steady_clock::now();
  services_.limiters.lookups_by_address = std::make_shared<server::accounts::AttemptLimiter>(
      server::accounts::AttemptPolicy{1, std::chrono::seconds(5), std::chrono::seconds(30), 0,
                                      std::chrono::seconds(0)},
      [frozen_now] { return frozen_now; });
  dispatcher_ = std::make_unique<server::Dispatcher>();
  ASSERT_TRUE(server::add_member_handlers(*dispatcher_, services_).ok());

  EXPECT_TRUE(request(2020, "", "", "nobody1|0").success());
  EXPECT_TRUE(request(2021, "", "", "昵称甲|1").success());
  for (const auto& [subject, para] : {std::pair{2020, "nobody2|0"}, std::pair{2016, ""}}) {
    const auto refused = request(subject, subject == 2016 ? "nobody2" : "", "", para);
    EXPECT_FALSE(refused.success()) << subject;
    EXPECT_EQ(refused.message(), "操作过于频繁，请5秒后再试！") << subject;
  }
  EXPECT_TRUE(outbox().empty()) << "a refused retrieval mails nothing";
}

}  // namespace
