// Screenshots of the GUI tests: with BRINDLE_SCREENSHOT_DIR set, windows are saved there, drawn with
// the dialog skin of BRINDLE_SKIN_ROOT when that is set too.

#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>
#include <QTest>
#include <QWidget>
#include <filesystem>

#include "../gui_app.h"
#include "gui/ui/skinned_frame.h"

namespace brindle::testing {

// Set before the window is made and cleared after it is gone.
struct ScreenshotSkin {
  ScreenshotSkin() {
    gui_app();
    const QByteArray root = qgetenv("BRINDLE_SKIN_ROOT");
    if (!root.isEmpty() && !qgetenv("BRINDLE_SCREENSHOT_DIR").isEmpty()) {
      gui::SkinnedFrame::set_dialog_theme(std::filesystem::path(root.toStdString()) / "SkinSM" / "theme.ini");
    }
  }
  ~ScreenshotSkin() { gui::SkinnedFrame::set_dialog_theme({}); }
  ScreenshotSkin(const ScreenshotSkin&) = delete;
  ScreenshotSkin& operator=(const ScreenshotSkin&) = delete;
};

inline void save_screenshot(QWidget& widget, const char* name) {
  const QByteArray out = qgetenv("BRINDLE_SCREENSHOT_DIR");
  if (out.isEmpty()) return;
  // Pending paints first, or the grab can miss what the last step changed.
  QTest::qWait(50);
  EXPECT_TRUE(widget.grab().save(QString::fromUtf8(out) + "/" + name));
}

}  // namespace brindle::testing
