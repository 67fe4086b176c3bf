// brindle: the desktop client.

#include <QApplication>
#include <QTimer>
#include <string>

#include "core/app/program_directory.h"
#include "core/app/settings.h"
#include "core/net/client_context.h"
#include "core/net/curl_transport.h"
#include "core/net/request.h"
#include "core/ports/progress_sink.h"
#include "gui/ui/message_window.h"
#include "wire/framing.h"

namespace {

// Asks the current server for its version: the first exchange of every start.
std::string greet_server(brindle::net::ClientContext& context) {
  using namespace brindle;
  if (context.current_server.empty()) return "未设置数据服务器。";
  net::CurlTransport transport;
  ports::SilentProgress progress;
  net::Request request(true);
  request.set_subject_id(13002, context.current_server);
  std::string error;
  if (!request.send(transport, progress, context.request_context(), error)) return error;
  wire::SingleRecordReply reply(request.reply_lines());
  if (!reply.success()) return reply.message();
  return "已连接数据服务器 " + context.current_server + "#服务器版本 " +
         std::to_string(reply.fields().integer());
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QString screenshot;
  const QStringList args = QApplication::arguments();
  if (const auto at = args.indexOf("--screenshot"); at >= 0 && at + 1 < args.size())
    screenshot = args[at + 1];

  brindle::net::ClientContext context;
  if (auto directory = brindle::app::program_directory(argc > 0 ? argv[0] : "")) {
    context.program_directory = directory.value();
  }
  (void)brindle::app::settings_load(context);
  const std::string text = greet_server(context);

  if (screenshot.isEmpty()) {
    brindle::gui::MessageWindowPort port;
    port.show_message(text, false);
    return 0;
  }
  // Developer aid for headless runs: show the first window, save a picture of it, and leave.
  brindle::gui::MessageWindow window(text, false);
  window.show();
  QTimer::singleShot(800, [&] {
    window.grab().save(screenshot);
    QApplication::quit();
  });
  return QApplication::exec();
}
