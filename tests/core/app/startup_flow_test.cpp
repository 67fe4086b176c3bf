// The start-up flow from launch to the Main window, with scripted windows and servers.

#include "core/app/startup_flow.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/app/registration_store.h"
#include "core/messages/customer_service.h"
#include "core/net/list_cache.h"
#include "core/net/settings.h"
#include "core/net/settings_file.h"
#include "core/net/transport.h"
#include "core/ports/login_window_port.h"
#include "core/ports/main_window_port.h"
#include "core/ports/message_port.h"
#include "core/ports/process_launcher.h"
#include "core/ports/progress_sink.h"
#include "core/ports/splash_port.h"
#include "support/temp_dir.h"

namespace {

using brindle::Result;
using brindle::app::StartupOutcome;
using brindle::net::HttpExchange;
using brindle::net::SettingsFile;
using brindle::ports::LoginChoice;
using brindle::testing::TempDir;
using Lines = std::vector<std::string>;

// Servers by host name: hosts in `down` fail like an unreachable machine, the others answer by
// SubjectID (or by document for the list fetches).
class ScriptedServers final : public brindle::net::Transport {
 public:
  std::set<std::string> down;
  std::map<std::string, Lines> replies;  // "13002", "3001", … or "ServerList.htm"
  std::vector<std::string> log;          // "host subject"

  Result<Lines> exchange(const HttpExchange& e, brindle::ports::ProgressSink&) override {
    const std::string host = e.url.substr(8, e.url.find('/', 8) - 8);
    std::string what;
    if (const auto at = e.body.find("txtSubjectID="); at != std::string::npos) {
      what = e.body.substr(at + 13, e.body.find('&', at) - at - 13);
    } else {
      what = e.url.substr(e.url.rfind('/') + 1);
    }
    log.push_back(host + " " + what);
    if (down.count(host)) return Result<Lines>::failure("cannot reach " + host);
    const auto reply = replies.find(what);
    if (reply == replies.end()) return Result<Lines>::failure("no reply for " + what);
    return reply->second;
  }
  int count(const std::string& what) const {
    int n = 0;
    for (const auto& entry : log) n += entry.substr(entry.find(' ') + 1) == what ? 1 : 0;
    return n;
  }
};

class ScriptedMessages final : public brindle::ports::MessagePort {
 public:
  std::deque<int> answers;  // OK when empty
  std::vector<std::string> shown;
  std::vector<bool> offered_cancel;
  int show_message(const std::string& text, bool offer_cancel) override {
    shown.push_back(text);
    offered_cancel.push_back(offer_cancel);
    if (answers.empty()) return ok;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

// Reloads the settings on every showing, as the real window does.
class ScriptedLogin final : public brindle::ports::LoginWindowPort {
 public:
  explicit ScriptedLogin(brindle::net::ClientContext& context) : context_(context) {}
  std::deque<std::optional<LoginChoice>> choices;  // cancelled once they run out
  int runs = 0;
  std::vector<int> cleared_before_run;  // how many clears had happened when each run started
  int clears = 0;
  std::optional<LoginChoice> run() override {
    brindle::net::settings_load(context_);
    ++runs;
    cleared_before_run.push_back(clears);
    if (choices.empty()) return std::nullopt;
    auto next = choices.front();
    choices.pop_front();
    return next;
  }
  void clear_entries() override { ++clears; }

 private:
  brindle::net::ClientContext& context_;
};

class RecordingSplash final : public brindle::ports::SplashPort {
 public:
  std::vector<std::string> events;
  bool show(const std::filesystem::path& bitmap) override {
    events.push_back("show " + bitmap.filename().string() + " in " +
                     bitmap.parent_path().filename().string());
    return true;
  }
  void hide() override { events.push_back("hide"); }
};

class RecordingLauncher final : public brindle::ports::ProcessLauncher {
 public:
  std::vector<std::string> command_lines;
  bool present = true;
  bool starts = true;
  bool can_start(const std::string&) override { return present; }
  bool start_detached(const std::string& program, const std::vector<std::string>& arguments) override {
    std::string line = program;
    for (const auto& a : arguments) line += " " + a;
    command_lines.push_back(line);
    return starts;
  }
};

class RecordingMainWindow final : public brindle::ports::MainWindowPort {
 public:
  int runs = 0;
  bool private_room = false;
  std::function<void()> on_run;
  void run(bool room) override {
    ++runs;
    private_room = room;
    if (on_run) on_run();
  }
};

class RecordingCustomerService final : public brindle::messages::CustomerServiceWindowPort {
 public:
  std::vector<std::vector<brindle::protocol::PrivateMessage>> runs;
  void run_with(std::vector<brindle::protocol::PrivateMessage> messages) override {
    runs.push_back(std::move(messages));
  }
};

LoginChoice member(const std::string& server, const std::string& user = "demo",
                   const std::string& password = "pw") {
  LoginChoice choice;
  choice.server = server;
  choice.user_name = user;
  choice.password = password;
  return choice;
}

class StartupFlowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    context_.program_directory = dir_.path();
    servers_.replies["13002"] = {"1|ok|100"};
    servers_.replies["3001"] = {"1|welcome|t1|0|t3|1|100|0|0|0|5|6|0"};
    servers_.replies["3032"] = {"1|0"};
    servers_.replies["1001"] = {"1|ok|news"};
    settings().write_int("SERVER", "Server Count", 1);
    settings().write_text("SERVER", "Server0", "configured.test");
  }

  SettingsFile settings() const { return SettingsFile(dir_ / "Vantora.ini"); }
  void write_server_list(const std::vector<std::string>& hosts) {
    std::vector<brindle::net::ListEntry> entries;
    for (std::size_t i = 0; i < hosts.size(); ++i) entries.push_back({hosts[i], static_cast<int>(i)});
    ASSERT_TRUE(brindle::net::write_list_cache(dir_ / "skin.dat", entries));
  }

  StartupOutcome run(std::vector<std::string> arguments = {"/opt/brindle/brindle"}) {
    brindle::app::StartupEnvironment environment;
    environment.arguments = std::move(arguments);
    environment.network_card_address = "001122334455\n";
    environment.fallback_hosts = {"lists.test"};
    environment.instance_marker_folder = dir_.path();
    brindle::app::StartupFlow flow(
        context_, servers_, {messages_, login_, splash_, launcher_, main_window_, progress_, &service_},
        std::move(environment));
    return flow.run();
  }

  TempDir dir_;
  brindle::net::ClientContext context_;
  ScriptedServers servers_;
  ScriptedMessages messages_;
  ScriptedLogin login_{context_};
  RecordingSplash splash_;
  RecordingLauncher launcher_;
  RecordingMainWindow main_window_;
  RecordingCustomerService service_;
  brindle::ports::SilentProgress progress_;
};

TEST_F(StartupFlowTest, MemberSignsInThenTheSessionRequestsThenTheMainWindow) {
  login_.choices.push_back(member("good.test"));
  servers_.replies["3001"] = {"1|welcome|t1|0|t3|1|100|0|0|0|5|6|2"};
  servers_.replies["4002"] = {"1|ok", "7|hello|body|41000|x"};
  EXPECT_EQ(run(), StartupOutcome::main_window_closed);
  EXPECT_EQ(servers_.log, (std::vector<std::string>{"good.test 13002", "good.test 3001", "good.test 4002",
                                                    "good.test 3032", "good.test 1001"}));
  EXPECT_EQ(settings().read_text("SERVER", "Current Server"), "good.test");
  EXPECT_EQ(context_.user_name, "demo");
  EXPECT_EQ(context_.login_mode, brindle::net::kLoginModeMember);
  EXPECT_EQ(context_.latest_information, "news");
  EXPECT_EQ(main_window_.runs, 1);
  EXPECT_TRUE(messages_.shown.empty());
  EXPECT_EQ(splash_.events, (std::vector<std::string>{"show Splash.bmp in skin"}));
}

TEST_F(StartupFlowTest, FailedMessageListFetchIsShownAndSignInGoesOn) {
  login_.choices.push_back(member("good.test"));
  servers_.replies["3001"] = {"1|welcome|t1|0|t3|1|100|0|0|0|5|6|1"};
  servers_.replies["4002"] = {"0|messages unavailable"};
  EXPECT_EQ(run(), StartupOutcome::main_window_closed);
  EXPECT_EQ(messages_.shown, (std::vector<std::string>{"messages unavailable"}));
  EXPECT_EQ(servers_.count("3032"), 1);
}

TEST_F(StartupFlowTest, WaitingPrivateMessagesOpenCustomerServiceBeforeTheMainWindow) {
  const struct {
    const char* new_messages;
    std::vector<std::string> list;  // empty: not fetched
    std::size_t shown;              // messages the window opened on; 0: no window
  } cases[] = {
      {"0", {}, 0},
      {"2", {"1|ok"}, 0},
      {"2", {"1|ok", "7|hello|a<br>b|45000|x", "8|again|c|45000|y"}, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.new_messages);
    service_.runs.clear();
    servers_.log.clear();
    login_.choices = {member("good.test")};
    servers_.replies["3001"] = {std::string("1|welcome|t1|0|t3|1|100|0|0|0|5|6|") + c.new_messages};
    servers_.replies["4002"] = c.list;
    EXPECT_EQ(run(), StartupOutcome::main_window_closed);
    EXPECT_EQ(servers_.count("4002"), c.list.empty() ? 0 : 1);
    ASSERT_EQ(service_.runs.size(), c.shown == 0 ? 0u : 1u);
    if (c.shown != 0) {
      EXPECT_EQ(service_.runs[0].size(), c.shown);
      EXPECT_EQ(service_.runs[0][0].content, "a\r\nb");
    }
    EXPECT_TRUE(messages_.shown.empty());
  }
}

// A server that answers 200 with no lines at all: every step says so rather than showing nothing.
TEST_F(StartupFlowTest, EmptyRepliesAreShownAsNoDataNeverAsABlankMessage) {
  const std::string no_data = "服务器没有返回任何数据！";
  const struct {
    const char* subject;
    std::string first_message;
  } cases[] = {
      {"13002", no_data + "\n是否启用自动代理登陆。"},
      {"3001", no_data},
      {"4002", no_data},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.subject);
    messages_.shown.clear();
    login_.choices = {member("good.test")};
    servers_.replies["3001"] = {"1|welcome|t1|0|t3|1|100|0|0|0|5|6|1"};
    servers_.replies[c.subject] = {};
    messages_.answers = {brindle::ports::MessagePort::cancel};
    run();
    ASSERT_FALSE(messages_.shown.empty());
    EXPECT_EQ(messages_.shown.front(), c.first_message);
    servers_.replies["13002"] = {"1|ok|100"};
  }
}

TEST_F(StartupFlowTest, VersionCheckFailsOverToAConfiguredServer) {
  settings().write_int("SERVER", "Server Count", 2);
  settings().write_text("SERVER", "Server1", "second.test");
  servers_.down = {"chosen.test", "configured.test"};
  login_.choices.push_back(member("chosen.test"));
  EXPECT_EQ(run(), StartupOutcome::main_window_closed);
  EXPECT_EQ(servers_.log.at(2), "second.test 13002");
  EXPECT_EQ(servers_.log.at(3), "second.test 3001");
  EXPECT_EQ(settings().read_text("SERVER", "Current Server"), "second.test");
  EXPECT_TRUE(messages_.shown.empty());  // the failover is silent
}

TEST_F(StartupFlowTest, WithoutAProxyTheFailureAsksAboutOneThenRetriesTheNextListedServer) {
  write_server_list({"listed.test"});
  servers_.down = {"chosen.test", "configured.test"};
  login_.choices.push_back(member("chosen.test"));
  messages_.answers = {brindle::ports::MessagePort::cancel};
  EXPECT_EQ(run(), StartupOutcome::main_window_closed);
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0], "cannot reach configured.test\n是否启用自动代理登陆。");
  EXPECT_TRUE(messages_.offered_cancel[0]);
  EXPECT_FALSE(context_.user_proxy);  // Cancel chose no proxy
  EXPECT_EQ(login_.runs, 1);          // the retry did not show the window
  EXPECT_EQ(context_.current_server, "listed.test");
  EXPECT_EQ(servers_.count("ProxyList.htm"), 0);
}

TEST_F(StartupFlowTest, OkOnTheProxyQuestionChoosesAProxy) {
  write_server_list({"listed.test"});
  servers_.down = {"chosen.test", "configured.test"};
  servers_.replies["ProxyList.htm"] = {"proxy.test|3128"};
  login_.choices.push_back(member("chosen.test"));
  EXPECT_EQ(run(), StartupOutcome::main_window_closed);
  EXPECT_TRUE(context_.user_proxy);
  EXPECT_EQ(context_.proxy_text, "proxy.test:3128");
  EXPECT_EQ(settings().read_text("SETTINGS", "UserProxy"), "1");
}

TEST_F(StartupFlowTest, WithAProxyInUseTheNextOneIsTakenWithoutAsking) {
  write_server_list({"listed.test"});
  ASSERT_TRUE(brindle::net::write_list_cache(dir_ / "skinsm.dat", {{"p0.test", 1}, {"p1.test", 2}}));
  settings().write_text("SETTINGS", "UserProxy", "1");
  context_.user_proxy = true;
  context_.proxy_text = "p0.test:1";
  context_.proxy_cursor = 1;
  servers_.down = {"chosen.test", "configured.test"};
  login_.choices.push_back(member("chosen.test"));
  EXPECT_EQ(run(), StartupOutcome::main_window_closed);
  EXPECT_TRUE(messages_.shown.empty());
  EXPECT_EQ(context_.proxy_text, "p1.test:2");
}

TEST_F(StartupFlowTest, EmptyServerListIsFetchedBeforeTheAutomaticRetry) {
  servers_.down = {"chosen.test", "configured.test"};
  servers_.replies["ServerList.htm"] = {"fetched.test|1", "other.test|2"};
  login_.choices.push_back(member("chosen.test"));
  messages_.answers = {brindle::ports::MessagePort::cancel};
  EXPECT_EQ(run(), StartupOutcome::main_window_closed);
  EXPECT_EQ(servers_.count("ServerList.htm"), 1);
  EXPECT_EQ(context_.current_server, "fetched.test");
  EXPECT_EQ(brindle::net::read_list_cache(dir_ / "skin.dat").size(), 2u);
}

TEST_F(StartupFlowTest, FailedCheckAndFailedRetryBringBackAnEmptiedLoginWindow) {
  write_server_list({"listed.test"});
  servers_.down = {"chosen.test", "configured.test", "listed.test"};
  login_.choices.push_back(member("chosen.test"));
  messages_.answers = {brindle::ports::MessagePort::cancel, brindle::ports::MessagePort::cancel};
  EXPECT_EQ(run(), StartupOutcome::cancelled);
  // The proxy question after each failed check, then the advice to check the network.
  ASSERT_EQ(messages_.shown.size(), 3u);
  EXPECT_EQ(messages_.shown[1], "cannot reach configured.test\n是否启用自动代理登陆。");
  EXPECT_EQ(messages_.shown[2], "cannot reach configured.test\n检查网络设置，然后重试。");
  EXPECT_FALSE(messages_.offered_cancel[2]);
  EXPECT_EQ(login_.runs, 2);
  EXPECT_EQ(login_.cleared_before_run, (std::vector<int>{0, 1}));
  EXPECT_EQ(main_window_.runs, 0);
  EXPECT_EQ(splash_.events.back(), "hide");
}

TEST_F(StartupFlowTest, LoginRefusalClearsTheEntriesShowsTheWordsAndShowsTheWindowAgain) {
  servers_.replies["3001"] = {"0|wrong password"};
  login_.choices.push_back(member("good.test", "demo", "bad"));
  EXPECT_EQ(run(), StartupOutcome::cancelled);
  EXPECT_EQ(messages_.shown, (std::vector<std::string>{"wrong password"}));
  EXPECT_EQ(login_.runs, 2);
  EXPECT_EQ(login_.clears, 1);
}

TEST_F(StartupFlowTest, VisitorWithEqualVersionsReachesTheMainWindowWithoutALoginRequest) {
  LoginChoice visitor;
  visitor.server = "good.test";
  visitor.visitor = true;
  login_.choices.push_back(visitor);
  EXPECT_EQ(run(), StartupOutcome::main_window_closed);
  EXPECT_EQ(context_.login_mode, brindle::net::kLoginModeVisitor);
  EXPECT_EQ(servers_.count("3001"), 0);
  EXPECT_EQ(servers_.count("3032"), 0);
  EXPECT_EQ(main_window_.runs, 1);
}

TEST_F(StartupFlowTest, DifferentVersionsStartTheUpgraderAndExit) {
  servers_.replies["13002"] = {"1|ok|101"};
  login_.choices.push_back(member("good.test:8443"));
  EXPECT_EQ(run(), StartupOutcome::upgrade_started);
  EXPECT_EQ(messages_.shown,
            (std::vector<std::string>{"Brindle客户端已有新的版本，系统将自动升级。原有版本不能使用。"}));
  const std::string directory = dir_.path().string() + "/";
  ASSERT_EQ(launcher_.command_lines.size(), 1u);
  EXPECT_EQ(launcher_.command_lines[0],
            directory + "brindle-upgrader http://good.test:8443/Download/Upgrader|" + directory + "brindle");
  EXPECT_EQ(splash_.events.back(), "hide");
  EXPECT_EQ(servers_.count("3001"), 0);
  EXPECT_EQ(main_window_.runs, 0);
}

TEST_F(StartupFlowTest, AnUpgradeThatCannotHappenIsReportedAndTheStartGoesOn) {
  // Ending here would end every later start the same way: the settings keep the old version. Nor is
  // the new version announced ("原有版本不能使用") when there is nothing to hand over to.
  struct Case {
    const char* what;
    bool upgrader_present;
    const char* failure_note;
    std::vector<std::string> shown;
  };
  const Case cases[] = {
      {"no upgrader", false, nullptr, {brindle::app::kUpgraderMissingText}},
      {"the last upgrade stopped",
       true,
       "升级失败：x 的校验值不符，未安装。",
       {"升级失败：x 的校验值不符，未安装。"}},
  };
  for (const Case& c : cases) {
    messages_.shown.clear();
    launcher_.command_lines.clear();
    launcher_.present = c.upgrader_present;
    std::filesystem::create_directories(dir_ / "upgrade");
    if (c.failure_note) brindle::testing::write_file(dir_ / "upgrade" / "failure.txt", c.failure_note);
    servers_.replies["13002"] = {"1|ok|101"};
    auto visitor = member("good.test");
    visitor.visitor = true;
    login_.choices.push_back(visitor);
    EXPECT_EQ(run(), StartupOutcome::main_window_closed) << c.what;
    EXPECT_EQ(messages_.shown, c.shown) << c.what;
    EXPECT_TRUE(launcher_.command_lines.empty()) << c.what;
    EXPECT_FALSE(std::filesystem::exists(dir_ / "upgrade" / "failure.txt")) << c.what;
  }
}

// A system installation is upgraded by its package manager: nothing is handed to the upgrader, which
// could not write there, and the start goes on.
TEST_F(StartupFlowTest, SystemInstallationNamesThePackageManagerInsteadOfUpgrading) {
  context_.program_directory_writable = false;
  std::filesystem::create_directories(dir_ / "upgrade");
  brindle::testing::write_file(dir_ / "upgrade" / "failure.txt", "升级失败：旧的记录。");
  servers_.replies["13002"] = {"1|ok|101"};
  login_.choices.push_back(member("good.test"));
  EXPECT_EQ(run(), StartupOutcome::main_window_closed);
  EXPECT_EQ(messages_.shown, (std::vector<std::string>{brindle::app::kUpgradeByPackageManagerText}));
  EXPECT_TRUE(launcher_.command_lines.empty());
  EXPECT_TRUE(std::filesystem::exists(dir_ / "upgrade" / "failure.txt"));
  EXPECT_EQ(main_window_.runs, 1);
}

// Once "原有版本不能使用" has been said, an upgrader that will not start ends this start with the way
// out rather than signing in with the version just declared unusable.
TEST_F(StartupFlowTest, AnAnnouncedUpgradeWhoseUpgraderWillNotStartEndsTheStart) {
  launcher_.starts = false;
  servers_.replies["13002"] = {"1|ok|101"};
  login_.choices.push_back(member("good.test"));
  EXPECT_EQ(run(), StartupOutcome::upgrade_failed);
  EXPECT_EQ(messages_.shown,
            (std::vector<std::string>{"Brindle客户端已有新的版本，系统将自动升级。原有版本不能使用。",
                                      brindle::app::kUpgraderFailedText}));
  EXPECT_EQ(launcher_.command_lines.size(), 1u);
  EXPECT_EQ(servers_.count("3001"), 0);
  EXPECT_EQ(main_window_.runs, 0);
}

TEST_F(StartupFlowTest, CompletedUpgradeRecordsItsVersionBeforeTheVersionCheck) {
  std::filesystem::create_directories(dir_ / "upgrade");
  brindle::testing::write_file(dir_ / "upgrade" / "upgrade.log", "0|101|a|b\n1|client.dll|0|0||0\n");
  servers_.replies["13002"] = {"1|ok|101"};
  login_.choices.push_back(member("good.test"));
  EXPECT_EQ(run(), StartupOutcome::main_window_closed);
  EXPECT_EQ(settings().read_int("SYSTEM", "Version", 0), 101);
  EXPECT_TRUE(launcher_.command_lines.empty());
}

TEST_F(StartupFlowTest, PrivateRoomRequestReachesTheMainWindow) {
  auto choice = member("good.test");
  choice.private_room = true;
  login_.choices.push_back(choice);
  EXPECT_EQ(run(), StartupOutcome::main_window_closed);
  EXPECT_TRUE(main_window_.private_room);
}

TEST_F(StartupFlowTest, RegistrationSwitchesAtTheEndRegisterAndExitWithoutWindows) {
  struct Case {
    std::vector<std::string> arguments;
    StartupOutcome outcome;
  };
  const Case cases[] = {
      {{"/opt/brindle/brindle", "-regserver"}, StartupOutcome::registered},
      {{"/opt/brindle/brindle", "/REGSERVER"}, StartupOutcome::registered},
      {{"/opt/brindle/brindle", "/UnregServer"}, StartupOutcome::unregistered},
      {{"/opt/brindle/brindle", "/RegServer", "/x"}, StartupOutcome::cancelled},
      {{"/opt/brindle/brindle", "/Embedding"}, StartupOutcome::stay_up},
      {{"/opt/brindle/brindle", "-automation"}, StartupOutcome::stay_up},
  };
  for (const auto& c : cases) {
    std::filesystem::remove(dir_ / "registration.ini");
    login_.runs = 0;
    splash_.events.clear();
    EXPECT_EQ(run(c.arguments), c.outcome) << c.arguments.back();
    const auto entries = brindle::app::RegistrationStore(dir_ / "registration.ini").entries();
    EXPECT_EQ(entries.count(brindle::app::kProgramKey), c.outcome == StartupOutcome::registered ? 1u : 0u)
        << c.arguments.back();
    const bool windowless = c.outcome != StartupOutcome::cancelled;
    EXPECT_EQ(login_.runs, windowless ? 0 : 1) << c.arguments.back();
    EXPECT_EQ(splash_.events.empty(), windowless) << c.arguments.back();
  }
  EXPECT_TRUE(servers_.log.empty());
}

TEST_F(StartupFlowTest, SecondCopyStartsNormallyWhileTheFirstHoldsTheMarker) {
  const auto first = brindle::app::InstanceMarker::create(brindle::app::kInstanceMarkerName, dir_.path());
  ASSERT_TRUE(first.owned());
  login_.choices.push_back(member("good.test"));
  EXPECT_EQ(run(), StartupOutcome::main_window_closed);
}

}  // namespace
