#include "core/accounts/registration.h"

#include <gtest/gtest.h>

#include <deque>

#include "accounts_fixture.h"
#include "core/accounts/password_retrieval.h"
#include "core/accounts/profile.h"
#include "core/net/digest.h"

namespace brindle::accounts {
namespace {

using ports::ProfileEntries;
using ports::RegistrationEntries;

RegistrationEntries valid_registration() {
  RegistrationEntries e;
  e.user_name = "newbie";
  e.password = e.password_confirmation = "abcdef";
  e.email = "newbie@example.com";
  e.withdrawal_password = e.withdrawal_password_confirmation = "1234";
  e.nickname = "小明";
  e.phone = "13800000000";
  e.adult = e.agreed = true;
  return e;
}

ProfileEntries valid_profile() {
  ProfileEntries e;
  e.user_name = "alice";
  e.old_password = "oldpw1";
  e.old_withdrawal_password = "9999";
  e.new_password = e.password_confirmation = "newpw1";
  e.email = "alice@example.com";
  e.new_withdrawal_password = e.withdrawal_password_confirmation = "1234";
  e.phone = "555";
  return e;
}

struct RegistrationCase {
  const char* name;
  void (*edit)(RegistrationEntries&);
  const char* message;  // nullptr: passes
  Field field;
  void (*expect_cleared)(const RegistrationEntries&);
};

void nothing_cleared(const RegistrationEntries& e) {
  EXPECT_FALSE(e.user_name.empty());
  EXPECT_FALSE(e.password.empty());
  EXPECT_FALSE(e.nickname.empty());
}

TEST(RegistrationRules, SubmitChecksInOrderAndClearsTheFieldsSaid) {
  const RegistrationCase cases[] = {
      {"both boxes unchecked: only the age",
       [](auto& e) {
         e.adult = e.agreed = false;
         e.user_name.clear();
       },
       kAgeText, Field::adult, [](const auto&) {}},
      {"agreement", [](auto& e) { e.agreed = false; }, kAgreementText, Field::agreement, nothing_cleared},
      {"user name empty", [](auto& e) { e.user_name.clear(); }, kUserNameEmptyText, Field::user_name,
       [](const auto&) {}},
      {"user name 123456", [](auto& e) { e.user_name = "123456"; }, kUserNameDigitsText, Field::user_name,
       [](const auto& e) { EXPECT_EQ(e.user_name, ""); }},
      {"user name a1_b-2", [](auto& e) { e.user_name = "a1_b-2"; }, nullptr, Field::none, nothing_cleared},
      {"user name a.b", [](auto& e) { e.user_name = "a.b"; }, kUserNameCharactersText, Field::user_name,
       [](const auto& e) { EXPECT_EQ(e.user_name, ""); }},
      {"user name of 21", [](auto& e) { e.user_name = std::string(21, 'a'); }, kUserNameLongText,
       Field::user_name, [](const auto& e) { EXPECT_EQ(e.user_name, ""); }},
      {"password empty keeps its confirmation", [](auto& e) { e.password.clear(); }, kPasswordEmptyText,
       Field::password, [](const auto& e) { EXPECT_EQ(e.password_confirmation, "abcdef"); }},
      {"password abc12", [](auto& e) { e.password = e.password_confirmation = "abc12"; }, kPasswordShortText,
       Field::password, [](const auto& e) { EXPECT_EQ(e.password + e.password_confirmation, ""); }},
      {"password of 13", [](auto& e) { e.password = e.password_confirmation = "abcdefghijklm"; },
       kPasswordLongText, Field::password, [](const auto& e) { EXPECT_EQ(e.password, ""); }},
      {"password abc-def", [](auto& e) { e.password = e.password_confirmation = "abc-def"; },
       kPasswordCharactersText, Field::password, [](const auto& e) { EXPECT_EQ(e.password, ""); }},
      {"password mismatch", [](auto& e) { e.password_confirmation = "abcdeg"; }, kPasswordMismatchText,
       Field::password, [](const auto& e) { EXPECT_EQ(e.password + e.password_confirmation, ""); }},
      {"e-mail without @", [](auto& e) { e.email = "newbie.example.com"; }, kEmailText, Field::email,
       [](const auto& e) { EXPECT_EQ(e.email, ""); }},
      {"withdrawal empty", [](auto& e) { e.withdrawal_password.clear(); }, kWithdrawalEmptyText,
       Field::withdrawal_password, [](const auto& e) { EXPECT_EQ(e.withdrawal_password_confirmation, ""); }},
      {"withdrawal 123", [](auto& e) { e.withdrawal_password = e.withdrawal_password_confirmation = "123"; },
       kWithdrawalShortText, Field::withdrawal_password, [](const auto&) {}},
      {"withdrawal 1234567",
       [](auto& e) { e.withdrawal_password = e.withdrawal_password_confirmation = "1234567"; },
       kWithdrawalLongText, Field::withdrawal_password, [](const auto&) {}},
      {"withdrawal mismatch", [](auto& e) { e.withdrawal_password_confirmation = "1235"; },
       kWithdrawalMismatchText, Field::withdrawal_password,
       [](const auto& e) { EXPECT_EQ(e.withdrawal_password + e.withdrawal_password_confirmation, ""); }},
      {"nickname empty", [](auto& e) { e.nickname.clear(); }, kNicknameEmptyText, Field::nickname,
       [](const auto&) {}},
      {"nickname of 11 Chinese characters", [](auto& e) { e.nickname = "一二三四五六七八九十一"; },
       kNicknameLongText, Field::nickname, [](const auto& e) { EXPECT_EQ(e.nickname, ""); }},
      {"nickname 小明&朋友", [](auto& e) { e.nickname = "小明&朋友"; }, "昵称不能包含字符'&'！",
       Field::nickname, [](const auto& e) { EXPECT_EQ(e.nickname, ""); }},
      {"nickname names the first found", [](auto& e) { e.nickname = "a?b%c"; }, "昵称不能包含字符'?'！",
       Field::nickname, [](const auto&) {}},
      {"nickname GBK cannot carry", [](auto& e) { e.nickname = "小明😀"; }, "昵称不能包含字符'😀'！",
       Field::nickname, [](const auto& e) { EXPECT_EQ(e.nickname, ""); }},
      {"e-mail GBK cannot carry", [](auto& e) { e.email = "ming😀@example.com"; }, kEmailText, Field::email,
       [](const auto& e) { EXPECT_EQ(e.email, ""); }},
      {"phone GBK cannot carry", [](auto& e) { e.phone = "138😀"; }, "电话不能包含字符'😀'！", Field::phone,
       [](const auto& e) { EXPECT_EQ(e.phone, ""); }},
      {"nickname 小明 passes", [](auto&) {}, nullptr, Field::none, nothing_cleared},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto e = valid_registration();
    c.edit(e);
    const auto refusal = check_registration(e);
    if (c.message == nullptr) {
      EXPECT_FALSE(refusal) << refusal->message;
    } else {
      ASSERT_TRUE(refusal);
      EXPECT_EQ(*refusal, (Refusal{c.message, c.field}));
    }
    c.expect_cleared(e);
  }
}

TEST(RegistrationRules, CheckButtonsAreStricterThanSubmit) {
  struct Case {
    const char* text;
    bool nickname;
    const char* message;  // nullptr: asked of the server
    bool cleared;
  };
  const Case cases[] = {
      {"", false, kUserNameEmptyText, false},        {"123456", false, kUserNameDigitsText, true},
      {"a b", false, kUserNameCharactersText, true}, {"a1_b-2", false, nullptr, false},
      {"小明", true, kNicknameCharactersText, true}, {"2008", true, kNicknameDigitsText, true},
      {"", true, kNicknameEmptyText, false},         {"ming_1", true, nullptr, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    RegistrationEntries e;
    (c.nickname ? e.nickname : e.user_name) = c.text;
    const auto refusal = c.nickname ? check_nickname_to_ask(e) : check_user_name_to_ask(e);
    EXPECT_EQ(refusal ? refusal->message : std::string(), c.message ? c.message : "");
    EXPECT_EQ((c.nickname ? e.nickname : e.user_name).empty(), c.cleared || std::string(c.text).empty());
  }
}

TEST(RegistrationForm, CheckButtonsSendTheirRequestAndShowTheAnswer) {
  testing::AccountsFixture f;
  RegistrationForm form({f.session, f.messages});
  auto e = valid_registration();
  f.reply({"0|用户名已被使用"});
  EXPECT_EQ(form.check_user_name(e), Field::none);
  e.nickname = "ming";
  f.reply({"1|昵称可以使用"});
  EXPECT_EQ(form.check_nickname(e), Field::none);
  e.nickname = "小明";
  EXPECT_EQ(form.check_nickname(e), Field::nickname);
  EXPECT_EQ(f.subjects(), (std::vector<int>{2020, 2021}));
  EXPECT_EQ(f.paras(), (std::vector<std::string>{"newbie|0", "ming|1"}));
  EXPECT_EQ(f.messages.texts,
            (std::vector<std::string>{"用户名已被使用", "昵称可以使用", kNicknameCharactersText}));
}

struct ScriptedRegistrationWindow final : ports::RegistrationWindowPort {
  std::optional<RegistrationEntries> ask_registration(const RegistrationEntries& typed) override {
    shown.push_back(typed);
    if (answers.empty()) return std::nullopt;
    auto a = answers.front();
    answers.pop_front();
    return a;
  }
  std::deque<RegistrationEntries> answers;
  std::vector<RegistrationEntries> shown;
};

TEST(RegistrationFlow, ARefusalByTheServerReopensWithTheEntriesThenTheAccountIsCreated) {
  testing::AccountsFixture f;
  ScriptedRegistrationWindow window;
  window.answers = {valid_registration(), valid_registration()};
  f.reply({"1|ok|100"});
  f.reply({"0|用户名已存在！"});
  f.reply({"1|ok|100"});
  f.reply({"1|注册成功！"});
  EXPECT_TRUE(run_registration({f.session, f.messages}, window));
  ASSERT_EQ(window.shown.size(), 2u);
  EXPECT_EQ(window.shown[1], valid_registration());
  EXPECT_EQ(f.subjects(), (std::vector<int>{13002, 2022, 13002, 2022}));
  const std::string signature = net::registration_signature("newbie", "abcdef");
  EXPECT_EQ(f.paras()[3],
            "newbie|abcdef|newbie@example.com|1234|小明|13800000000||||" + signature + "|||||||||||||1");
  EXPECT_EQ(f.messages.texts, (std::vector<std::string>{"用户名已存在！", "注册成功！"}));
}

TEST(RegistrationFlow, AFailedVersionCheckSendsNoRegistrationAndCancelEnds) {
  testing::AccountsFixture f;
  ScriptedRegistrationWindow window;
  window.answers = {valid_registration()};
  f.reply({"0|版本过旧"});
  EXPECT_FALSE(run_registration({f.session, f.messages}, window));
  EXPECT_EQ(f.subjects(), (std::vector<int>{13002}));
  EXPECT_EQ(f.messages.texts, (std::vector<std::string>{"版本过旧"}));
  EXPECT_EQ(window.shown.size(), 2u);
}

TEST(RegistrationFlow, AgreementAddressIsOnTheCurrentServer) {
  testing::AccountsFixture f;
  EXPECT_EQ(agreement_address(f.context), "http://srv.example:8443/doc/agreement.htm");
}

TEST(ProfileRules, SubmitChecksInOrder) {
  struct Case {
    const char* name;
    void (*edit)(ProfileEntries&);
    const char* message;
    Field field;
    void (*expect)(const ProfileEntries&);
  };
  const Case cases[] = {
      {"user name 123456 is allowed here", [](auto& e) { e.user_name = "123456"; }, nullptr, Field::none,
       [](const auto&) {}},
      {"user name a b", [](auto& e) { e.user_name = "a b"; }, kUserNameCharactersText, Field::user_name,
       [](const auto& e) { EXPECT_EQ(e.user_name, ""); }},
      {"short new password clears only its confirmation", [](auto& e) { e.new_password = "abc12"; },
       kPasswordShortText, Field::password,
       [](const auto& e) {
         EXPECT_EQ(e.new_password, "abc12");
         EXPECT_EQ(e.password_confirmation, "");
       }},
      {"withdrawal before the e-mail",
       [](auto& e) {
         e.new_withdrawal_password = "12a-";
         e.email = "none";
       },
       kWithdrawalCharactersText, Field::withdrawal_password,
       [](const auto& e) { EXPECT_EQ(e.withdrawal_password_confirmation, ""); }},
      {"e-mail before the confirmations",
       [](auto& e) {
         e.email = "none";
         e.password_confirmation = "other1";
       },
       kEmailText, Field::email, [](const auto& e) { EXPECT_EQ(e.email, ""); }},
      {"phone GBK cannot carry, last", [](auto& e) { e.phone = "😀"; }, "电话不能包含字符'😀'！", Field::phone,
       [](const auto&) {}},
      {"password mismatch clears both", [](auto& e) { e.password_confirmation = "other1"; },
       kPasswordMismatchText, Field::password,
       [](const auto& e) { EXPECT_EQ(e.new_password + e.password_confirmation, ""); }},
      {"withdrawal mismatch clears its confirmation",
       [](auto& e) { e.withdrawal_password_confirmation = "4321"; }, kWithdrawalMismatchText,
       Field::withdrawal_password_confirmation,
       [](const auto& e) {
         EXPECT_EQ(e.new_withdrawal_password, "1234");
         EXPECT_EQ(e.withdrawal_password_confirmation, "");
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto e = valid_profile();
    c.edit(e);
    const auto refusal = check_profile(e);
    EXPECT_EQ(refusal.value_or(Refusal{}), c.message ? (Refusal{c.message, c.field}) : Refusal{});
    c.expect(e);
  }
}

struct ScriptedProfileWindow final : ports::ProfileWindowPort {
  std::optional<ProfileEntries> ask_profile(const ProfileEntries& typed) override {
    shown.push_back(typed);
    if (answers.empty()) return std::nullopt;
    auto a = answers.front();
    answers.pop_front();
    return a;
  }
  std::deque<ProfileEntries> answers;
  std::vector<ProfileEntries> shown;
};

TEST(ProfileFlow, CancelInTheConfirmationReturnsThenTheChangeGoesOutUnderTheTypedIdentity) {
  testing::AccountsFixture f;
  f.context.user_name.clear();
  ScriptedProfileWindow window;
  window.answers = {valid_profile(), valid_profile(), valid_profile()};
  struct Answers final : ports::ConfirmationPort {
    bool confirm(const ports::ConfirmationRequest& r) override {
      shown.push_back(r);
      return shown.size() > 1;
    }
    std::vector<ports::ConfirmationRequest> shown;
  } confirmation;
  f.reply({"0|原提彩密码错误"});
  f.reply({"1|修改成功"});
  EXPECT_TRUE(run_profile_change({f.session, f.messages}, confirmation, window));
  ASSERT_EQ(confirmation.shown.size(), 3u);
  EXPECT_EQ(confirmation.shown[0].title, kProfileConfirmTitle);
  EXPECT_EQ(confirmation.shown[0].text,
            "\n  您的用户名为：alice。\n\n  您的电子邮件为：alice@example.com。\n\n  请确认以上信息！");
  EXPECT_EQ(f.subjects(), (std::vector<int>{2004, 2004}));
  EXPECT_EQ(f.paras()[1], "alice|9999|newpw1|1234|alice@example.com|555||||||||||||||");
  EXPECT_EQ(f.context.user_name, "alice");
  EXPECT_EQ(f.context.password, "oldpw1");
  EXPECT_NE(f.transport.exchanges()[0].body.find("txtUserName=alice&txtPwd=oldpw1"), std::string::npos);
  EXPECT_EQ(f.messages.texts, (std::vector<std::string>{"原提彩密码错误", "修改成功"}));
}

// A mistyped old password is refused; the session keeps signing its requests as it signed in, and
// the window comes back with what was typed.
TEST(ProfileFlow, ARefusalLeavesTheSessionsIdentityAndTheTypedEntries) {
  testing::AccountsFixture f;
  f.context.user_name = "alice";
  f.context.password = "rightpw";
  ScriptedProfileWindow window;
  ProfileEntries wrong = valid_profile();
  wrong.old_password = "wrongpw";
  window.answers = {wrong};
  struct Yes final : ports::ConfirmationPort {
    bool confirm(const ports::ConfirmationRequest&) override { return true; }
  } confirmation;
  f.reply({"0|原密码错误"});
  EXPECT_FALSE(run_profile_change({f.session, f.messages}, confirmation, window));
  EXPECT_NE(f.transport.exchanges()[0].body.find("txtPwd=wrongpw"), std::string::npos);
  EXPECT_EQ(f.context.password, "rightpw");
  ASSERT_EQ(window.shown.size(), 2u);
  EXPECT_EQ(window.shown[1].old_password, "wrongpw");
}

TEST(PasswordRetrieval, TheTypedNameTravelsAsTheUserName) {
  testing::AccountsFixture f;
  struct Window final : ports::PasswordRetrievalWindowPort {
    std::optional<std::string> ask_user_name() override { return "forgetful"; }
  } window;
  f.reply({"1|密码已发送到您的信箱"});
  EXPECT_TRUE(run_password_retrieval({f.session, f.messages}, window));
  EXPECT_EQ(f.context.user_name, "forgetful");
  EXPECT_EQ(f.subjects(), (std::vector<int>{2016}));
  EXPECT_NE(f.transport.exchanges()[0].body.find("txtUserName=forgetful"), std::string::npos);
  EXPECT_EQ(f.messages.texts, (std::vector<std::string>{"密码已发送到您的信箱"}));
}

}  // namespace
}  // namespace brindle::accounts
