#pragma once

#include <ostream>

namespace brindle::gui {

// The web engine's sandbox is decided once, before the application object and any web view exist:
// Chromium refuses to start sandboxed for root (as in a container), so for root it is switched off
// with one line on `log` saying why; everyone else keeps it. A choice already made in the
// environment (QTWEBENGINE_DISABLE_SANDBOX) is left as it is.
void decide_web_sandbox(bool running_as_root, std::ostream& log);

}  // namespace brindle::gui
