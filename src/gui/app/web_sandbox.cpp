#include "gui/app/web_sandbox.h"

#include <QByteArray>
#include <QtGlobal>

namespace brindle::gui {

namespace {
constexpr char kSandboxVariable[] = "QTWEBENGINE_DISABLE_SANDBOX";
constexpr char kFlagsVariable[] = "QTWEBENGINE_CHROMIUM_FLAGS";
}  // namespace

void decide_web_sandbox(bool running_as_root, std::ostream& log) {
  if (!running_as_root || qEnvironmentVariableIsSet(kSandboxVariable)) return;
  qputenv(kSandboxVariable, "1");
  log << "brindle: running as root: the embedded web pages run without the browser sandbox, which "
         "refuses to start for root\n";
}

void share_web_renderers() {
  QByteArray flags = qgetenv(kFlagsVariable);
  if (flags.contains("--process-per-") || flags.contains("--single-process")) return;
  if (!flags.isEmpty()) flags += ' ';
  flags += "--process-per-site";
  qputenv(kFlagsVariable, flags);
}

}  // namespace brindle::gui
