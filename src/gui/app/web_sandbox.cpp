#include "gui/app/web_sandbox.h"

#include <QByteArray>
#include <QtGlobal>

namespace brindle::gui {

namespace {
constexpr char kSandboxVariable[] = "QTWEBENGINE_DISABLE_SANDBOX";
}  // namespace

void decide_web_sandbox(bool running_as_root, std::ostream& log) {
  if (!running_as_root || qEnvironmentVariableIsSet(kSandboxVariable)) return;
  qputenv(kSandboxVariable, "1");
  log << "brindle: running as root: the embedded web pages run without the browser sandbox, which "
         "refuses to start for root\n";
}

}  // namespace brindle::gui
