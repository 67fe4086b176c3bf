// Every dialog wears the dialogs' theme, keeps its template's size inside the frame and opens with
// the focus where the user types first.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <optional>

#include "core/net/client_context.h"
#include "core/net/list_cache.h"
#include "core/net/transport.h"
#include "core/ports/message_port.h"
#include "core/ports/progress_sink.h"
#include "gui/betting/bet_confirmation_window.h"
#include "gui/betting/stake_window.h"
#include "gui/net/login_window.h"
#include "gui/net/progress_window.h"
#include "gui/ui/skinned_frame.h"
#include "gui_app.h"
#include "skin_fixture.h"
#include "support/temp_dir.h"

namespace {

using brindle::gui::SkinnedFrame;
using brindle::testing::gui_app;

class NoMessages final : public brindle::ports::MessagePort {
 public:
  int show_message(const std::string&, bool) override { return ok; }
};

class NoNetwork final : public brindle::net::Transport {
 public:
  brindle::Result<std::vector<std::string>> exchange(const brindle::net::HttpExchange&,
                                                     brindle::ports::ProgressSink&) override {
    return brindle::Result<std::vector<std::string>>::failure("offline");
  }
};

// The dialogs' theme for one test, and none after it, whatever the test's outcome.
class DialogTheme : public ::testing::Test {
 protected:
  void SetUp() override {
    gui_app();
    brindle::testing::write_dialog_theme(dir_.path());
    SkinnedFrame::set_dialog_theme(dir_ / "theme.ini");
  }
  void TearDown() override { SkinnedFrame::set_dialog_theme({}); }

  static bool skinned(QWidget* window) {
    auto* frame = window->findChild<SkinnedFrame*>(QString(), Qt::FindDirectChildrenOnly);
    return frame != nullptr && window->windowFlags().testFlag(Qt::FramelessWindowHint) &&
           frame->skinned_button_count() > 0;
  }

  brindle::testing::TempDir dir_;
};

// Runs `check` on the active modal dialog once `run` has opened it, then closes that dialog.
template <typename Check>
void while_open(Check check) {
  QTimer::singleShot(0, [check] {
    QTest::qWait(50);
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    check(*dialog);
    dialog->reject();
  });
}

TEST_F(DialogTheme, LoginWindowTakesItsLayoutsSizeAndTheFocusIsInTheUserName) {
  brindle::net::ClientContext context;
  context.program_directory = dir_.path();
  ASSERT_TRUE(brindle::net::write_list_cache(dir_ / "skin.dat", {{"a.test", 1}}));
  NoNetwork transport;
  brindle::ports::SilentProgress progress;
  NoMessages messages;
  brindle::gui::LoginWindow login({context, transport, progress, messages, nullptr});
  bool checked = false;
  while_open([&](QDialog& dialog) {
    checked = true;
    EXPECT_TRUE(skinned(&dialog));
    // No band of empty space: the client area is what the layout asks for, not the default size
    // grown by the frame.
    const QSize wanted = dialog.layout()->sizeHint();
    EXPECT_EQ(dialog.contentsRect().width(), wanted.width());
    EXPECT_LE(dialog.contentsRect().height(), wanted.height());  // word wrap may save a line
    EXPECT_EQ(QApplication::focusWidget(), login.userNameBox());
  });
  EXPECT_EQ(login.run(), std::nullopt);
  EXPECT_TRUE(checked);
}

TEST_F(DialogTheme, StakeAndBetConfirmationWindowsAreSkinnedAtTheirTemplateSize) {
  brindle::gui::StakeWindow small(0);
  EXPECT_TRUE(skinned(&small));
  EXPECT_EQ(small.contentsRect().size(), QSize(429, 342));
  brindle::gui::StakeWindow large(2);
  EXPECT_EQ(large.contentsRect().size(), QSize(800, 580));

  brindle::gui::BetConfirmationWindow confirmation({"亚洲盘投注", "甲(主)", "1.950", "100", "元"});
  EXPECT_TRUE(skinned(&confirmation));
  confirmation.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&confirmation));
  EXPECT_EQ(QApplication::focusWidget(), confirmation.findChild<QPushButton*>("confirm"));
  confirmation.hide();

  // The longest market name still fits the caption beside its buttons.
  brindle::gui::BetConfirmationWindow in_play({"走地大小球盘投注", "2 大", "1.850", "100", "元"});
  QFont bold = in_play.font();
  bold.setBold(true);
  EXPECT_GE(in_play.minimumWidth(), QFontMetrics(bold).horizontalAdvance(in_play.windowTitle()) + 100);
}

TEST_F(DialogTheme, ProgressWindowIsSkinned) {
  brindle::gui::ProgressWindow progress;
  progress.begin();
  ASSERT_NE(progress.window(), nullptr);
  EXPECT_NE(progress.window()->findChild<SkinnedFrame*>(QString(), Qt::FindDirectChildrenOnly), nullptr);
  progress.end();
}

}  // namespace
