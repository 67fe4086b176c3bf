// The requests that establish a session, against a scripted transport.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/net/account_status.h"
#include "core/net/client_context.h"
#include "core/net/latest_information.h"
#include "core/net/login_request.h"
#include "core/net/member_details.h"
#include "core/net/settings_file.h"
#include "core/net/version_check.h"
#include "fake_transport.h"
#include "support/temp_dir.h"
#include "wire/gbk.h"

namespace {

using brindle::net::ClientContext;
using brindle::net::SettingsFile;
using brindle::testing::FakeTransport;
using brindle::testing::TempDir;

class SessionRequests : public ::testing::Test {
 protected:
  void SetUp() override {
    context_.program_directory = dir_.path();
    context_.current_server = "current.test";
  }
  SettingsFile settings() const { return SettingsFile(dir_ / "Vantora.ini"); }

  TempDir dir_;
  ClientContext context_;
  FakeTransport transport_;
  brindle::ports::SilentProgress progress_;
  std::string error_;
};

TEST_F(SessionRequests, VersionCheckReadsTheServersVersionFromACategoryOneBody) {
  settings().write_int("SYSTEM", "Version", 107);
  transport_.reply({"1|ok|108"});
  brindle::net::VersionCheckResult versions;
  ASSERT_TRUE(brindle::net::version_check(context_, transport_, progress_, versions, error_));
  EXPECT_EQ(versions.local_version, 107);
  EXPECT_EQ(versions.server_version, 108);
  EXPECT_EQ(error_, "ok");

  const auto& sent = transport_.exchanges().at(0);
  EXPECT_EQ(sent.url, "https://current.test/betengine/VTServer220.dll?DATA_ACQUIRE");
  EXPECT_EQ(sent.body, "txtLanguage=1&txtSubjectID=13002");
  EXPECT_TRUE(sent.name_not_resolved_wording);
  EXPECT_FALSE(sent.use_proxy);
  EXPECT_EQ(sent.connecting_text, "正在验证终端版本号...");
  EXPECT_EQ(sent.sending_text, "正在从服务器获取128位密钥...");
  EXPECT_EQ(sent.reading_text, "");
}

TEST_F(SessionRequests, VersionCheckFallsOverToTheSecondConfiguredServerAndRecordsIt) {
  context_.configured_servers = {"first.test", "second.test", "third.test"};
  transport_.fail("down");  // current
  transport_.fail("down");  // first
  transport_.reply({"1|ok|100"});
  brindle::net::VersionCheckResult versions;
  ASSERT_TRUE(brindle::net::version_check(context_, transport_, progress_, versions, error_));
  ASSERT_EQ(transport_.exchanges().size(), 3u);
  EXPECT_EQ(transport_.exchanges()[2].url, "https://second.test/betengine/VTServer220.dll?DATA_ACQUIRE");
  EXPECT_EQ(context_.current_server, "second.test");
  EXPECT_EQ(settings().read_text("SERVER", "Current Server"), "second.test");
}

TEST_F(SessionRequests, VersionCheckTriesAtMostFourConfiguredServersAndKeepsTheLastFailure) {
  context_.configured_servers = {"a", "b", "c", "d", "e"};
  for (int i = 0; i < 4; ++i) transport_.fail("fail " + std::to_string(i));
  transport_.fail("last");
  brindle::net::VersionCheckResult versions;
  EXPECT_FALSE(brindle::net::version_check(context_, transport_, progress_, versions, error_));
  EXPECT_EQ(transport_.exchanges().size(), 5u);
  EXPECT_EQ(error_, "last");
}

TEST_F(SessionRequests, VersionCheckWithOneConfiguredServerRetriesOnce) {
  context_.configured_servers = {"only.test"};
  transport_.fail("down");
  transport_.fail("still down");
  brindle::net::VersionCheckResult versions;
  EXPECT_FALSE(brindle::net::version_check(context_, transport_, progress_, versions, error_));
  EXPECT_EQ(transport_.exchanges().size(), 2u);
  EXPECT_EQ(error_, "still down");
}

TEST_F(SessionRequests, VersionCheckRefusalIsAFailureWithTheServersWords) {
  transport_.reply({brindle::wire::utf8_to_gbk("0|暂停服务")});
  brindle::net::VersionCheckResult versions;
  EXPECT_FALSE(brindle::net::version_check(context_, transport_, progress_, versions, error_));
  EXPECT_EQ(error_, "暂停服务");
}

TEST_F(SessionRequests, LoginSendsTheCardAddressWithItsLineFeedThroughTheProxy) {
  context_.user_proxy = true;
  context_.proxy_text = "proxy.test:8080";
  transport_.reply({brindle::wire::utf8_to_gbk("1|欢迎|t1|1|t3|2|1500.5|20.25|3000|7|41|42|3")});
  brindle::net::LoginReply reply;
  ASSERT_TRUE(brindle::net::login_request(context_, transport_, progress_, "demo", "pw", 1, "00AABBCCDDEE\n",
                                          reply, error_));
  const auto& sent = transport_.exchanges().at(0);
  EXPECT_EQ(sent.url, "https://current.test/betengine/VTServer220.dll?DATA_TRANS");
  EXPECT_EQ(sent.body, "txtLanguage=1&txtSubjectID=3001&txtUserName=demo&txtPwd=pw&txtPara=1|00AABBCCDDEE\n");
  EXPECT_TRUE(sent.use_proxy);
  EXPECT_EQ(sent.proxy, "proxy.test:8080");
  EXPECT_TRUE(sent.name_not_resolved_wording);
  EXPECT_EQ(sent.connecting_text, "正在与服务器连接...");
  EXPECT_EQ(sent.sending_text, "正在登陆服务器...");

  EXPECT_EQ(error_, "欢迎");
  EXPECT_EQ(context_.login_text1, "t1");
  EXPECT_EQ(context_.star_member, 1);
  EXPECT_EQ(context_.login_text3, "t3");
  EXPECT_EQ(context_.currency_code, 2);
  EXPECT_DOUBLE_EQ(context_.balance, 1500.5);
  EXPECT_DOUBLE_EQ(context_.frozen_amount, 20.25);
  EXPECT_DOUBLE_EQ(context_.credit, 3000);
  EXPECT_EQ(reply.spare, 7);
  EXPECT_EQ(context_.context_number1, 41);
  EXPECT_EQ(context_.context_number2, 42);
  EXPECT_EQ(reply.new_messages, 3);
  EXPECT_EQ(context_.user_name, "demo");
  EXPECT_EQ(context_.password, "pw");
  EXPECT_EQ(context_.login_mode, brindle::net::kLoginModeMember);
}

TEST_F(SessionRequests, LoginReplyWithoutFiguresStillSignsIn) {
  context_.balance = 99;
  transport_.reply({"1|ok"});
  brindle::net::LoginReply reply;
  reply.new_messages = 5;
  ASSERT_TRUE(brindle::net::login_request(context_, transport_, progress_, "u", "p", 1, "", reply, error_));
  EXPECT_EQ(error_, "ok");
  EXPECT_EQ(context_.login_text1, "");
  EXPECT_EQ(context_.currency_code, 0);
  EXPECT_DOUBLE_EQ(context_.balance, 0);
  EXPECT_EQ(reply.new_messages, 0);
}

TEST_F(SessionRequests, LoginWithAnotherModeSignsInAsSecondaryAndARefusalFails) {
  transport_.reply({"1|ok"});
  brindle::net::LoginReply reply;
  ASSERT_TRUE(brindle::net::login_request(context_, transport_, progress_, "u", "p", 0, "", reply, error_));
  EXPECT_EQ(context_.login_mode, brindle::net::kLoginModeSecondary);

  context_.login_mode = 0;
  transport_.reply({brindle::wire::utf8_to_gbk("0|密码错误")});
  EXPECT_FALSE(
      brindle::net::login_request(context_, transport_, progress_, "u", "bad", 1, "", reply, error_));
  EXPECT_EQ(error_, "密码错误");
  EXPECT_EQ(context_.login_mode, 0);
}

TEST_F(SessionRequests, MemberDetailsTakesTheSecondFieldAsTheFirstDetail) {
  std::string line = "1|1";
  for (int i = 0; i < 19; ++i) line += "|d" + std::to_string(i);
  line += "|5|6";
  transport_.reply({line});
  ASSERT_TRUE(brindle::net::member_details_request(context_, transport_, progress_, error_));
  EXPECT_EQ(context_.member_details.in_play_web_mode, 1);
  EXPECT_EQ(context_.member_details.texts.front(), "d0");
  EXPECT_EQ(context_.member_details.texts.back(), "d18");
  EXPECT_EQ(context_.member_details.number1, 5);
  EXPECT_EQ(context_.member_details.number2, 6);
  EXPECT_EQ(transport_.exchanges().at(0).body,
            "txtLanguage=1&txtSubjectID=3032&txtUserName=&txtPwd=&txtPara=");

  transport_.reply({"0|no profile"});
  EXPECT_FALSE(brindle::net::member_details_request(context_, transport_, progress_, error_));
  EXPECT_EQ(error_, "no profile");
  EXPECT_EQ(context_.member_details.texts.front(), "d0");  // kept on refusal
}

TEST_F(SessionRequests, LatestInformationFillsTheRunningLineOnlyOnSuccess) {
  transport_.reply({brindle::wire::utf8_to_gbk("1|ok|今日焦点")});
  ASSERT_TRUE(brindle::net::latest_information_request(context_, transport_, progress_, error_));
  EXPECT_EQ(context_.latest_information, "今日焦点");
  EXPECT_EQ(transport_.exchanges().at(0).connecting_text, "正在获取最新信息...");
  EXPECT_FALSE(transport_.exchanges().at(0).use_proxy);

  transport_.reply({"0|busy|other"});
  EXPECT_FALSE(brindle::net::latest_information_request(context_, transport_, progress_, error_));
  EXPECT_EQ(context_.latest_information, "今日焦点");
}

TEST_F(SessionRequests, ReplyWithoutLinesFailsWithTheNoDataText) {
  using Send = std::function<bool()>;
  brindle::net::VersionCheckResult versions;
  brindle::net::LoginReply reply;
  bool frozen = false;
  const std::vector<std::pair<const char*, Send>> requests = {
      {"version check",
       [&] { return brindle::net::version_check(context_, transport_, progress_, versions, error_); }},
      {"login",
       [&] {
         return brindle::net::login_request(context_, transport_, progress_, "u", "p", 1, "", reply, error_);
       }},
      {"member details",
       [&] { return brindle::net::member_details_request(context_, transport_, progress_, error_); }},
      {"latest information",
       [&] { return brindle::net::latest_information_request(context_, transport_, progress_, error_); }},
      {"account status",
       [&] { return brindle::net::account_status_request(context_, transport_, progress_, frozen, error_); }},
  };
  for (const auto& [name, send] : requests) {
    SCOPED_TRACE(name);
    transport_.reply({});
    error_.clear();
    EXPECT_FALSE(send());
    EXPECT_EQ(error_, "服务器没有返回任何数据！");
  }
}

TEST_F(SessionRequests, AccountStatusReadsTheFrozenFlagWhateverTheResult) {
  context_.user_name = "demo";
  struct Case {
    std::vector<std::string> reply;
    bool ok;
    bool frozen;
  };
  const Case cases[] = {
      {{"1|ok|0"}, true, false},
      {{"1|ok|1"}, true, true},
      {{"0|refused|1"}, false, true},
      {{"1|ok"}, true, false},
  };
  for (const auto& c : cases) {
    transport_.reply(c.reply);
    bool frozen = !c.frozen;
    EXPECT_EQ(brindle::net::account_status_request(context_, transport_, progress_, frozen, error_), c.ok)
        << c.reply[0];
    EXPECT_EQ(frozen, c.frozen) << c.reply[0];
  }
  EXPECT_NE(transport_.exchanges().at(0).body.find("&txtPara=demo"), std::string::npos);

  transport_.fail("offline");
  bool frozen = true;
  EXPECT_FALSE(brindle::net::account_status_request(context_, transport_, progress_, frozen, error_));
  EXPECT_FALSE(frozen);
  EXPECT_EQ(error_, "offline");
}

}  // namespace
