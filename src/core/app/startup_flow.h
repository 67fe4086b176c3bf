#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/app/instance_marker.h"
#include "core/net/client_context.h"
#include "core/net/fallback_hosts.h"
#include "core/ports/login_window_port.h"

namespace brindle::net {
class Transport;
}

namespace brindle::messages {
class CustomerServiceWindowPort;
}

namespace brindle::ports {
class LoginWindowPort;
class MainWindowPort;
class MessagePort;
class ProcessLauncher;
class ProgressSink;
class SplashPort;
}  // namespace brindle::ports

namespace brindle::app {

inline constexpr char kProxyQuestionSuffix[] = "\n是否启用自动代理登陆。";
inline constexpr char kCheckNetworkSuffix[] = "\n检查网络设置，然后重试。";
inline constexpr char kNewVersionText[] = "Brindle客户端已有新的版本，系统将自动升级。原有版本不能使用。";
inline constexpr char kSplashBitmapName[] = "Splash.bmp";
inline constexpr char kUpgraderAddress[] = "http://%s/Download/Upgrader|%sbrindle";
// When there is no upgrader to start, this start goes on with the version at hand (ending would end
// every later start the same way) and the new version is not announced as if it were coming.
inline constexpr char kUpgraderMissingText[] =
    "无法启动升级程序，请重新安装Brindle客户端。本次继续使用原有版本。";
// The upgrader was there but would not start after the new version was announced: this start keeps
// to the announcement and ends, naming the way out.
inline constexpr char kUpgraderFailedText[] = "升级程序未能启动，请重新启动或重新安装Brindle客户端。";
// A system installation is not the user's to replace: its package manager brings the new version.
inline constexpr char kUpgradeByPackageManagerText[] =
    "Brindle客户端已有新的版本。本机的Brindle客户端由系统的软件包管理器安装和升级，"
    "请用软件包管理器升级（或请系统管理员升级）。本次继续使用原有版本。";

// How a start ended.
enum class StartupOutcome {
  registered,          // "RegServer": registration written, no window
  unregistered,        // "UnregServer"
  stay_up,             // embedded or automated: keep running without a window
  cancelled,           // the Login window was left
  upgrade_started,     // the upgrader took over
  upgrade_failed,      // a new version was announced but the upgrader would not start
  main_window_closed,  // the normal end
};

struct StartupPorts {
  ports::MessagePort& messages;
  ports::LoginWindowPort& login;
  ports::SplashPort& splash;
  ports::ProcessLauncher& launcher;
  ports::MainWindowPort& main_window;
  ports::ProgressSink& progress;
  // Opens on the private messages waiting after sign-in; none: they are fetched and not shown.
  messages::CustomerServiceWindowPort* customer_service = nullptr;
};

struct StartupEnvironment {
  std::vector<std::string> arguments;  // the program path first
  std::string network_card_address;
  std::vector<std::string> fallback_hosts = net::fallback_hosts();  // for the list documents
  std::filesystem::path instance_marker_folder;                     // empty: the user's runtime folder
};

// The Program directory as a text ending in a separator, the form the upgrader's command line uses.
std::string program_directory_text(const net::ClientContext& context);
// "skin", "skin/800" or "skin/900" under the Program directory, by the Skin size mode.
std::filesystem::path skin_folder(const net::ClientContext& context);

// The upgrader and its one argument: together they are the command line the upgrader expects.
struct UpgraderLaunch {
  std::string program;
  std::string argument;
  std::string command_line() const { return program + " " + argument; }
};
UpgraderLaunch upgrader_launch(const net::ClientContext& context);

// Takes the process from launch to the Main window and back: registration switches, splash,
// upgrade completion, the sign-in loop and the Main window.
class StartupFlow final {
 public:
  StartupFlow(net::ClientContext& context, net::Transport& transport, StartupPorts ports,
              StartupEnvironment environment);

  StartupOutcome run();

 private:
  enum class SignIn { signed_in, cancelled, upgrade_started, upgrade_failed };

  SignIn sign_in_loop();
  void after_login(int new_messages);
  void complete_upgrade();

  net::ClientContext& context_;
  net::Transport& transport_;
  StartupPorts ports_;
  StartupEnvironment environment_;
  std::optional<InstanceMarker> instance_;
  bool private_room_ = false;
};

}  // namespace brindle::app
