#pragma once

#include <ostream>

namespace brindle::gui {

// The web engine's sandbox is decided once, before the application object and any web view exist:
// Chromium refuses to start sandboxed for root (as in a container), so for root it is switched off
// with one line on `log` saying why; everyone else keeps it. A choice already made in the
// environment (QTWEBENGINE_DISABLE_SANDBOX) is left as it is.
void decide_web_sandbox(bool running_as_root, std::ostream& log);

// Every page of one site shares one renderer process (Chromium's --process-per-site), rather than
// one process for each view: the halls' advertisement panes all show the current server's page.
// Added to the flags already in QTWEBENGINE_CHROMIUM_FLAGS, unless a process model is named there.
void share_web_renderers();

}  // namespace brindle::gui
