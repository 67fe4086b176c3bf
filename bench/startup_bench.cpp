// The two waits a user sees at start, against the reference server on loopback:
//   StartToLoginWindow  – the start-up flow from its first step to the Login window on screen
//                         (settings, splash, upgrade completion, the Login window's announcement);
//   SignInToMainWindow  – from "登陆" to the Main window on screen (Version check, Login, member
//                         details, latest information, then the skinned Main window and page 1).
// Windows are real; run offscreen or under Xvfb. Times are wall-clock per start.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QWindow>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "core/app/program_directory.h"
#include "core/app/startup_flow.h"
#include "core/net/client_context.h"
#include "core/net/curl_transport.h"
#include "core/ports/message_port.h"
#include "gui/app/desktop_shell.h"
#include "gui/app/main_window.h"
#include "gui/app/process_launcher.h"
#include "gui/app/splash_window.h"
#include "gui/net/login_window.h"
#include "gui/net/progress_window.h"
#include "gui/ui/skinned_frame.h"
#include "server/admin/account_commands.h"
#include "server/admin/subcommand.h"
#include "server/server.h"
#include "support/temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

std::string g_authority;
fs::path g_skin_root;  // the build's Program directory with the generated skin

void wait_until_shown(QWidget& window) {
  const auto limit = Clock::now() + std::chrono::seconds(10);
  while ((window.windowHandle() == nullptr || !window.windowHandle()->isExposed()) && Clock::now() < limit) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  QCoreApplication::processEvents();  // the first paint
}

class QuietMessages final : public brindle::ports::MessagePort {
 public:
  std::vector<std::string> shown;
  int show_message(const std::string& text, bool) override {
    shown.push_back(text);
    return ok;
  }
};

// The Login window as start-up runs it, but timed: either it stops the flow the moment the
// window is on screen, or it answers at once with the demo member's sign-in.
class TimedLogin final : public brindle::ports::LoginWindowPort {
 public:
  TimedLogin(brindle::gui::LoginWindow& window, bool sign_in) : window_(window), sign_in_(sign_in) {}
  std::optional<brindle::ports::LoginChoice> run() override {
    if (sign_in_) {
      if (++runs_ > 1) return std::nullopt;  // a refused sign-in would otherwise loop
      pressed = Clock::now();
      return brindle::ports::LoginChoice{g_authority, "demo_rmb", "rmb12345", false, false};
    }
    window_.prepare();
    window_.show();
    wait_until_shown(window_);
    shown = Clock::now();
    window_.hide();
    return std::nullopt;
  }
  void clear_entries() override {}
  Clock::time_point pressed, shown;

 private:
  brindle::gui::LoginWindow& window_;
  bool sign_in_;
  int runs_ = 0;
};

class TimedMainWindow final : public brindle::ports::MainWindowPort {
 public:
  TimedMainWindow(brindle::net::ClientContext& context, brindle::net::Transport& transport,
                  brindle::ports::MessagePort& messages, brindle::gui::ProgressWindow& progress)
      : context_(context), transport_(transport), messages_(messages), progress_(progress) {}
  void run(bool private_room) override {
    brindle::gui::DesktopShell shell;
    brindle::gui::MainWindow window({context_, transport_, progress_, messages_, shell, {}, {}, {}});
    window.open(private_room);
    window.show();
    wait_until_shown(window);
    shown = Clock::now();
    window.timer().stop();
  }
  Clock::time_point shown;

 private:
  brindle::net::ClientContext& context_;
  brindle::net::Transport& transport_;
  brindle::ports::MessagePort& messages_;
  brindle::gui::ProgressWindow& progress_;
};

// One client start in a fresh Program directory holding the settings and the build's skin.
void client_start(benchmark::State& state, bool sign_in) {
  for (auto _ : state) {
    brindle::testing::TempDir program;
    for (const char* folder : {"skin", "SkinSM"})
      fs::create_directory_symlink(g_skin_root / folder, program / folder);
    std::ofstream(program / "Vantora.ini")
        << "[SERVER]\r\nCurrent Server=" << g_authority << "\r\nServer Count=1\r\n"
        << "Server0=" << g_authority << "\r\n[SYSTEM]\r\nVersion=100\r\n";
    brindle::net::ClientContext context;
    context.program_directory = program.path();
    brindle::gui::SkinnedFrame::set_dialog_theme(program / "SkinSM" / "theme.ini");
    brindle::net::CurlTransport transport;
    brindle::gui::ProgressWindow progress;
    QuietMessages messages;
    brindle::gui::SplashWindow splash;
    brindle::gui::DetachedProcessLauncher launcher;
    brindle::gui::LoginWindow login_window({context, transport, progress, messages, nullptr});
    TimedLogin login(login_window, sign_in);
    TimedMainWindow main_window(context, transport, messages, progress);
    brindle::app::StartupEnvironment environment;
    environment.arguments = {(program / "brindle").string()};
    environment.network_card_address = "00-16-3E-00-00-01";
    environment.fallback_hosts = {g_authority};
    environment.instance_marker_folder = program.path();
    brindle::app::StartupFlow flow(context, transport,
                                   {messages, login, splash, launcher, main_window, progress},
                                   std::move(environment));

    const auto start = Clock::now();
    const auto outcome = flow.run();
    const auto end = sign_in ? main_window.shown : login.shown;
    const auto begin = sign_in ? login.pressed : start;
    if (outcome != (sign_in ? brindle::app::StartupOutcome::main_window_closed
                            : brindle::app::StartupOutcome::cancelled)) {
      state.SkipWithError(messages.shown.empty() ? "start-up did not reach its window"
                                                 : messages.shown.back().c_str());
      break;
    }
    state.SetIterationTime(std::chrono::duration<double>(end - begin).count());
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication application(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);

  auto bench_directory = brindle::app::program_directory(argc > 0 ? argv[0] : "");
  if (!bench_directory) return 1;
  g_skin_root = bench_directory.value() / ".." / "src" / "gui";
  if (!fs::exists(g_skin_root / "skin" / "900" / "theme.ini")) {
    std::fprintf(stderr, "startup_bench: build the default skin first (%s)\n", g_skin_root.string().c_str());
    return 1;
  }

  brindle::testing::TempDir data;
  {
    brindle::server::admin::SubcommandTable table;
    if (!brindle::server::admin::add_account_commands(table)) return 1;
    std::ostringstream out, err;
    brindle::server::admin::CommandContext command{out, err};
    const std::string dir = data.path().string();
    const std::vector<std::string_view> args = {"seed", "--data-dir", dir};
    if (table.run(args, command) != 0) {
      std::fprintf(stderr, "seed: %s\n", err.str().c_str());
      return 1;
    }
  }
  brindle::server::ServerOptions options;
  options.data_dir = data.path();
  auto reference = brindle::server::Server::start(std::move(options));
  if (!reference) {
    std::fprintf(stderr, "reference server: %s\n", reference.error().c_str());
    return 1;
  }
  g_authority = "127.0.0.1:" + std::to_string(reference.value()->port());

  benchmark::RegisterBenchmark("StartToLoginWindow", client_start, false)
      ->UseManualTime()
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("SignInToMainWindow", client_start, true)
      ->UseManualTime()
      ->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
