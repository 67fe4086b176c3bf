// Registration and customer service against the seeded reference server, through the client's own
// flows: a new user registers, buys credit at the counter (the admin command), signs in and bets;
// the service answers his question and he reads it (and rates it) in customer service; a private
// message waiting at sign-in opens customer service; the profile change and a password retrieval
// that leaves the old password until the mailed one is used.

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "core/accounts/password_retrieval.h"
#include "core/accounts/profile.h"
#include "core/accounts/registration.h"
#include "core/app/startup_flow.h"
#include "core/messages/customer_service.h"
#include "core/messages/survey.h"
#include "core/net/settings_file.h"
#include "core/ports/confirmation_port.h"
#include "core/ports/login_window_port.h"
#include "core/ports/main_window_port.h"
#include "core/ports/process_launcher.h"
#include "core/ports/splash_port.h"
#include "core/protocol/bet_submission.h"
#include "core/protocol/market_data.h"
#include "seeded_market.h"
#include "server/members/member_handlers.h"
#include "server/messages/message_handlers.h"
#include "support/retrieval_mail.h"

namespace {

using namespace brindle;
using brindle::testing::read_file;

struct OnceRegistration final : ports::RegistrationWindowPort {
  ports::RegistrationEntries entries;
  int shown = 0;
  std::optional<ports::RegistrationEntries> ask_registration(const ports::RegistrationEntries&) override {
    return shown++ == 0 ? std::optional(entries) : std::nullopt;
  }
};

struct OnceProfile final : ports::ProfileWindowPort {
  ports::ProfileEntries entries;
  int shown = 0;
  std::optional<ports::ProfileEntries> ask_profile(const ports::ProfileEntries&) override {
    return shown++ == 0 ? std::optional(entries) : std::nullopt;
  }
};
struct Confirm final : ports::ConfirmationPort {
  bool confirm(const ports::ConfirmationRequest&) override { return true; }
};
struct OnceRetrieval final : ports::PasswordRetrievalWindowPort {
  std::optional<std::string> name;
  std::optional<std::string> ask_user_name() override { return std::exchange(name, std::nullopt); }
};

struct RatingSurvey final : messages::SurveyWindowPort {
  std::vector<std::string> offered;
  void run(messages::SurveyModel& survey) override {
    offered.push_back(survey.question_id());
    EXPECT_TRUE(survey.send(messages::Rating::satisfied, ""));
  }
};

struct OneLogin final : ports::LoginWindowPort {
  std::optional<ports::LoginChoice> choice;
  std::optional<ports::LoginChoice> run() override { return std::exchange(choice, std::nullopt); }
  void clear_entries() override {}
};
struct NoSplash final : ports::SplashPort {
  bool show(const std::filesystem::path&) override { return true; }
  void hide() override {}
};
struct NoLauncher final : ports::ProcessLauncher {
  bool can_start(const std::string&) override { return false; }
  bool start_detached(const std::string&, const std::vector<std::string>&) override { return false; }
};
struct CountingMainWindow final : ports::MainWindowPort {
  int runs = 0;
  void run(bool) override { ++runs; }
};
struct RecordingService final : messages::CustomerServiceWindowPort {
  std::vector<std::vector<protocol::PrivateMessage>> runs;
  void run_with(std::vector<protocol::PrivateMessage> messages) override {
    runs.push_back(std::move(messages));
  }
};

class MemberServiceAgainstServer : public brindle::testing::SeededMarketTest {
 protected:
  void SetUp() override { start_server(/*run_feed=*/false); }

  std::string admin(const std::string& words) {
    const auto printed = dir_ / "admin.txt";
    EXPECT_TRUE(run_server_command(" " + words + " --data-dir " + data().string(), printed))
        << words << ": " << read_file(printed);
    return read_file(printed);
  }
};

TEST_F(MemberServiceAgainstServer, RegisterBuyCreditSignInAndBet) {
  OnceRegistration window;
  window.entries = {"newbie_1", "abc123", "abc123", "newbie@example.com", "8888", "8888", "新手小王",
                    "",         true,     true};
  ASSERT_TRUE(accounts::run_registration({session_, messages_}, window))
      << ::testing::PrintToString(messages_.texts);
  EXPECT_EQ(messages_.texts.back(), server::kRegisteredText);

  // The same name in capitals is taken; the flow shows the refusal and opens the window again.
  OnceRegistration again;
  again.entries = window.entries;
  again.entries.user_name = "NEWBIE_1";
  again.entries.nickname = "另一个";
  EXPECT_FALSE(accounts::run_registration({session_, messages_}, again));
  EXPECT_EQ(again.shown, 2);
  EXPECT_EQ(messages_.texts.back(), "该用户名已被注册！");

  ASSERT_TRUE(sign_in("newbie_1", "abc123")) << error_;
  EXPECT_EQ(context_.currency_code, 0) << "no credit yet: the tickets say 您还没有买彩";

  admin("credit newbie_1 500 --currency 1");
  ASSERT_TRUE(sign_in("newbie_1", "abc123")) << error_;
  EXPECT_EQ(context_.currency_code, 1);
  std::vector<protocol::AsianHandicapRow> rows;
  ASSERT_TRUE(protocol::fetch_asian_handicap_list(session_, rows));
  const auto open =
      std::find_if(rows.begin(), rows.end(), [](const protocol::AsianHandicapRow& r) { return !r.in_play; });
  ASSERT_NE(open, rows.end());
  const auto bet = protocol::place_single_bet(session_, rows, static_cast<std::size_t>(open - rows.begin()),
                                              notation::HandicapSide::kGiving, 100);
  EXPECT_TRUE(bet) << bet.error();
}

TEST_F(MemberServiceAgainstServer, ProfileChangeThenRetrievalThroughTheClientFlows) {
  OnceProfile window;
  window.entries = {"demo_new",        "new12345", "tc444444", "fresh123",    "fresh123",
                    "new@example.com", "5678",     "5678",     "13800000000", ""};
  Confirm confirm;
  ASSERT_TRUE(accounts::run_profile_change({session_, messages_}, confirm, window))
      << ::testing::PrintToString(messages_.texts);
  EXPECT_EQ(messages_.texts.back(), server::kProfileChangedText);
  EXPECT_FALSE(sign_in("demo_new", "new12345"));
  ASSERT_TRUE(sign_in("demo_new", "fresh123")) << error_;

  OnceRetrieval retrieval;
  retrieval.name = "demo_new";
  EXPECT_TRUE(accounts::run_password_retrieval({session_, messages_}, retrieval));
  EXPECT_EQ(messages_.texts.back(), server::kRetrievalText);
  std::vector<std::filesystem::path> mails;
  for (const auto& e : std::filesystem::directory_iterator(data() / "outbox")) mails.push_back(e.path());
  ASSERT_EQ(mails.size(), 1u);
  const std::string mail = read_file(mails[0]);
  EXPECT_NE(mail.find("To: new@example.com\r\n"), std::string::npos);
  EXPECT_TRUE(sign_in("demo_new", "fresh123")) << "anyone may ask for a retrieval: it ends no password";
  const std::string mailed = brindle::testing::mailed_password(mail);
  ASSERT_EQ(mailed.size(), 10u) << mail;
  ASSERT_TRUE(sign_in("demo_new", mailed)) << error_;
  EXPECT_FALSE(sign_in("demo_new", "fresh123")) << "the mailed password, once used, replaced it";
}

TEST_F(MemberServiceAgainstServer, AnsweredQuestionIsReadAndRatedInCustomerService) {
  ASSERT_TRUE(sign_in("demo_rmb", "rmb12345")) << error_;
  RatingSurvey survey;
  messages::CustomerServiceModel service({session_, messages_, survey});
  ASSERT_TRUE(service.open());
  service.show_tab(messages::ServiceTab::questions);
  ASSERT_TRUE(service.send("", "走地什么时候开盘？"));
  ASSERT_TRUE(service.refresh());
  const std::string id = service.current_question_id();
  ASSERT_FALSE(id.empty());
  EXPECT_NE(service.item_text().find("尚无回复"), std::string::npos);
  service.leave();
  EXPECT_TRUE(survey.offered.empty()) << "nothing to rate before the answer";

  EXPECT_NE(admin("questions").find(id + "  demo_rmb"), std::string::npos);
  admin("answer " + id + " 开赛后即开盘。");
  ASSERT_TRUE(service.refresh());
  EXPECT_NE(service.item_text().find("回复人：客服\r\n  开赛后即开盘。"), std::string::npos)
      << service.item_text();
  service.leave();
  EXPECT_EQ(survey.offered, std::vector<std::string>{id});
  EXPECT_EQ(messages_.texts.back(), server::kRatedText);
}

TEST_F(MemberServiceAgainstServer, PrivateMessageWaitingAtSignInOpensCustomerService) {
  admin("message demo_rmb 通知 您的帐户已开通。");
  const std::string host = context_.current_server;
  net::SettingsFile settings(dir_ / "Vantora.ini");
  settings.write_int("SERVER", "Server Count", 1);
  settings.write_text("SERVER", "Server0", host);

  OneLogin login;
  login.choice = ports::LoginChoice{host, "demo_rmb", "rmb12345"};
  NoSplash splash;
  NoLauncher launcher;
  CountingMainWindow main_window;
  RecordingService service;
  app::StartupEnvironment environment;
  environment.arguments = {"/opt/brindle/brindle"};
  environment.network_card_address = "001122334455\n";
  environment.fallback_hosts = {host};
  environment.instance_marker_folder = dir_.path();
  app::StartupFlow flow(context_, transport_,
                        {messages_, login, splash, launcher, main_window, progress_, &service},
                        std::move(environment));
  EXPECT_EQ(flow.run(), app::StartupOutcome::main_window_closed);
  ASSERT_EQ(service.runs.size(), 1u) << ::testing::PrintToString(messages_.texts);
  ASSERT_EQ(service.runs[0].size(), 1u);
  EXPECT_EQ(service.runs[0][0].heading, "通知");
  EXPECT_EQ(service.runs[0][0].content, "您的帐户已开通。");
  EXPECT_EQ(main_window.runs, 1);
}

}  // namespace
