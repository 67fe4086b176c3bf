// brindle: the desktop client.

#include <unistd.h>

#include <QApplication>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QScreen>
#include <QTimer>
#include <QTranslator>
#include <clocale>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "core/app/program_directory.h"
#include "core/app/startup_flow.h"
#include "core/app/state_directory.h"
#include "core/app/stderr_log_sink.h"
#include "core/net/client_context.h"
#include "core/net/curl_transport.h"
#include "core/net/network_card_address.h"
#include "core/net/server_keys.h"
#include "gui/app/application_icon.h"
#include "gui/app/desktop_shell.h"
#include "gui/app/main_window.h"
#include "gui/app/process_launcher.h"
#include "gui/app/splash_window.h"
#include "gui/app/web_sandbox.h"
#include "gui/messages/customer_service_window.h"
#include "gui/net/login_window.h"
#include "gui/net/progress_window.h"
#include "gui/net/proxy_settings_window.h"
#include "gui/net/server_key_window.h"
#include "gui/ui/message_window.h"
#include "gui/ui/page_window.h"
#include "gui/ui/skinned_frame.h"

namespace {

// Developer aid for headless runs: once the Login window is up, save a picture of it (and one of the
// whole screen beside it) and leave the window as "退出" would.
void screenshot_login_window(brindle::gui::LoginWindow& login, const QString& path) {
  auto* timer = new QTimer(&login);
  QObject::connect(timer, &QTimer::timeout, &login, [&login, path, timer] {
    if (!login.isVisible()) return;
    timer->stop();
    login.grab().save(path);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
      QString screen_path = path;
      screen_path.insert(path.lastIndexOf('.') < 0 ? path.size() : path.lastIndexOf('.'), "-screen");
      screen->grabWindow(0).save(screen_path);
    }
    login.reject();
  });
  timer->start(1000);
}

constexpr const char* kUsage =
    "usage: brindle [--screenshot FILE] [QT-OPTION...]\n"
    "\n"
    "The desktop client of the 澜川国际 betting service: sign-in, football and basketball odds, bets,\n"
    "records and statements.\n"
    "\n"
    "  --screenshot FILE  once the Login window is up, save a picture of it as FILE (and one of the\n"
    "                     whole screen beside it) and leave\n"
    "  -platform NAME     Qt's platform plugin: xcb, wayland or offscreen (also QT_QPA_PLATFORM)\n"
    "  --help             show this text\n"
    "  --version          show the version\n";

}  // namespace

int main(int argc, char** argv) {
  using namespace brindle;
  // Answered before Qt starts, so that they need no display.
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--help" || argument == "-h") {
      std::cout << kUsage;
      return 0;
    }
    if (argument == "--version") {
      std::cout << "brindle " BRINDLE_VERSION "\n";
      return 0;
    }
  }
  gui::decide_web_sandbox(geteuid() == 0, std::cerr);
  gui::share_web_renderers();
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);  // the web engine's pages need it
  QApplication application(argc, argv);
  // Qt takes the user's locale for everything, numbers included; the protocol's and the windows'
  // amounts are written and read with a decimal point whatever the user's language.
  std::setlocale(LC_NUMERIC, "C");
  // Qt's own dialogs (files, printing, the print preview) speak the client's language, whatever the
  // system's; without the translations installed they stay in English.
  QTranslator qt_texts;
  if (qt_texts.load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(&qt_texts);
  // Windows come and go between the sign-in steps: none of them closing ends the program.
  QApplication::setQuitOnLastWindowClosed(false);

  std::vector<std::string> arguments;
  QString screenshot;
  const QStringList args = QApplication::arguments();
  for (qsizetype i = 0; i < args.size(); ++i) {
    if (args[i] == "--screenshot" && i + 1 < args.size()) {
      screenshot = args[++i];
      continue;
    }
    arguments.push_back(args[i].toStdString());
  }

  net::ClientContext context;
  if (auto directory = app::program_directory(argc > 0 ? argv[0] : ""))
    context.program_directory = directory.value();
  if (auto settled = app::settle_state_directory(context); !settled)
    std::cerr << "brindle: " << settled.error() << "\n";
  gui::SkinnedFrame::set_dialog_theme(context.program_directory / "SkinSM" / "theme.ini");
  gui::set_application_icon(context.program_directory);

  app::StderrLogSink transport_log("brindle: transport: ");
  // Asked when a server presents another key than the one held for it; before the transport, which
  // asks it for as long as it lives.
  gui::ServerKeyWindowPort server_key_window_port;
  // The client's own keys: those built in and those learned, in the file beside the settings. The
  // embedded pages of the server are held to the same.
  const auto server_keys = std::make_shared<net::ServerKeys>(
      net::built_in_pins(), net::ServerKeys::file_in(context.state_folder()));
  net::CurlTransport transport;
  transport.set_log_sink(&transport_log);
  transport.set_server_keys(server_keys);
  transport.set_key_port(&server_key_window_port);
  gui::ProgressWindow progress;
  gui::MessageWindowPort messages;
  gui::SplashWindow splash;
  gui::DetachedProcessLauncher launcher;
  gui::ProxySettingsWindowPort proxy_settings(context, transport, progress);
  gui::LoginWindow login({context, transport, progress, messages, &proxy_settings});
  proxy_settings.set_parent(&login);
  gui::DesktopShell shell(
      &messages, [&context] { return context.current_server; }, server_keys);
  gui::PageWindow::hold_pages_to([&context] { return context.current_server; }, server_keys);
  gui::MainWindowPortImpl main_window(context, transport, messages, splash, progress, shell, server_keys);
  gui::CustomerServiceWindowPortImpl customer_service(context, transport, progress, messages);
  if (!screenshot.isEmpty()) screenshot_login_window(login, screenshot);

  app::StartupEnvironment environment;
  environment.arguments = std::move(arguments);
  environment.network_card_address = net::network_card_address();
  app::StartupFlow flow(context, transport,
                        {messages, login, splash, launcher, main_window, progress, &customer_service},
                        std::move(environment));
  if (flow.run() == app::StartupOutcome::stay_up) return QApplication::exec();
  return 0;
}
