// The sign-in windows offscreen: the Masked password box, the Login, Proxy settings, Settings,
// Progress and Splash windows.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTest>
#include <memory>
#include <vector>

#include "core/net/list_cache.h"
#include "core/net/settings_file.h"
#include "core/net/transport.h"
#include "core/ports/message_port.h"
#include "gui/app/settings_window.h"
#include "gui/app/splash_window.h"
#include "gui/net/login_window.h"
#include "gui/net/masked_password_box.h"
#include "gui/net/progress_window.h"
#include "gui/net/proxy_settings_window.h"
#include "gui_app.h"
#include "support/temp_dir.h"

namespace {

using brindle::gui::MaskedPasswordBox;
using brindle::testing::gui_app;

class RecordingMessages final : public brindle::ports::MessagePort {
 public:
  std::vector<std::string> shown;
  int show_message(const std::string& text, bool) override {
    shown.push_back(text);
    return ok;
  }
};

class NoNetwork final : public brindle::net::Transport {
 public:
  int exchanges = 0;
  brindle::Result<std::vector<std::string>> exchange(const brindle::net::HttpExchange&,
                                                     brindle::ports::ProgressSink&) override {
    ++exchanges;
    return brindle::Result<std::vector<std::string>>::failure("offline");
  }
};

TEST(MaskedPasswordBox, ShowsOneStarPerCharacterAndKeepsEveryEdit) {
  gui_app();
  MaskedPasswordBox box;
  box.show();
  QTest::keyClicks(&box, "abc");
  EXPECT_EQ(box.displayText(), QStringLiteral("***"));
  EXPECT_EQ(box.keptText(), "abc");

  box.setCursorPosition(1);
  QTest::keyClicks(&box, "XY");
  EXPECT_EQ(box.keptText(), "aXYbc");

  box.setCursorPosition(3);
  QTest::keyClick(&box, Qt::Key_Backspace);
  QTest::keyClick(&box, Qt::Key_Delete);
  EXPECT_EQ(box.keptText(), "aXc");

  box.setSelection(1, 1);
  QTest::keyClicks(&box, "*");  // a typed star is kept as a star, not confused with the mask
  EXPECT_EQ(box.keptText(), "a*c");
  EXPECT_EQ(box.displayText(), QStringLiteral("***"));

  QGuiApplication::clipboard()->setText(QStringLiteral("pq"));
  box.setCursorPosition(1);
  box.paste();
  EXPECT_EQ(box.keptText(), "apq*c");

  // A password box keeps no edit history, so undo empties it; the kept text follows the stars.
  QTest::keyClick(&box, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(box.keptText().size(), static_cast<std::size_t>(box.displayText().size()));

  box.setKeptText("secret");
  EXPECT_EQ(box.displayText(), QStringLiteral("******"));
}

class LoginWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gui_app();
    context_.program_directory = dir_.path();
    ASSERT_TRUE(brindle::net::write_list_cache(dir_ / "skin.dat", {{"a.test", 1}, {"b.test", 2}}));
    brindle::net::SettingsFile(dir_ / "Vantora.ini").write_text("SERVER", "Current Server", "b.test");
  }
  brindle::testing::TempDir dir_;
  brindle::net::ClientContext context_;
  NoNetwork transport_;
  brindle::ports::SilentProgress progress_;
  RecordingMessages messages_;
  brindle::gui::LoginWindow window_{{context_, transport_, progress_, messages_, nullptr}};
};

TEST_F(LoginWindowTest, ListsTheServersSelectsTheChosenOneAndLimitsTheBoxes) {
  window_.prepare();
  ASSERT_EQ(window_.serverBox()->count(), 2);
  EXPECT_EQ(window_.serverBox()->currentIndex(), 1);
  EXPECT_EQ(window_.serverBox()->currentText(), QStringLiteral("b.test"));
  EXPECT_FALSE(window_.findChild<QPushButton*>("visitorButton")->isEnabled());

  window_.show();
  QTest::keyClicks(window_.userNameBox(), "abcdefghijabcdefghijXYZ");
  EXPECT_EQ(window_.userNameBox()->text(), QStringLiteral("abcdefghijabcdefghij"));
  window_.userNameBox()->clear();
  for (const QChar c : QStringLiteral("一二三四五六七八九十十")) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(window_.userNameBox(), &press);
  }
  EXPECT_EQ(window_.userNameBox()->text(), QStringLiteral("一二三四五六七八九十"));  // 20 bytes in GBK
  QTest::keyClicks(window_.passwordBox(), "1234567890123");
  EXPECT_EQ(window_.passwordBox()->keptText(), "123456789012");
  window_.hide();
}

TEST_F(LoginWindowTest, MissingEntriesAreRefusedInOrderAndTheWindowStays) {
  window_.prepare();
  window_.show();
  auto* sign_in = window_.findChild<QPushButton*>("signInButton");
  sign_in->click();
  window_.userNameBox()->setText("demo");
  sign_in->click();
  EXPECT_EQ(messages_.shown, (std::vector<std::string>{"请输入用户名！", "密码不能为空！"}));
  EXPECT_TRUE(window_.isVisible());
  EXPECT_EQ(context_.skin_size_mode, 0);
  window_.hide();
}

TEST_F(LoginWindowTest, ClearingEmptiesUserNameAndPassword) {
  window_.prepare();
  window_.userNameBox()->setText("demo");
  window_.passwordBox()->setKeptText("pw");
  window_.clear_entries();
  EXPECT_TRUE(window_.userNameBox()->text().isEmpty());
  EXPECT_TRUE(window_.passwordBox()->keptText().empty());
}

TEST_F(LoginWindowTest, RefreshListMakesTheTextCurrentAndShowsAFailedFetch) {
  window_.prepare();
  window_.serverBox()->setEditText(QStringLiteral("typed.test"));
  window_.findChild<QPushButton*>("refreshButton")->click();
  EXPECT_EQ(context_.current_server, "typed.test");
  EXPECT_GT(transport_.exchanges, 0);
  EXPECT_EQ(messages_.shown, (std::vector<std::string>{"offline"}));
}

TEST(ProxySettingsWindow, EnablingFollowsTheTicksAndManualEntriesAreApplied) {
  gui_app();
  brindle::testing::TempDir dir;
  brindle::net::ClientContext context;
  context.program_directory = dir.path();
  NoNetwork transport;
  brindle::ports::SilentProgress progress;
  brindle::gui::ProxySettingsWindow window(context, transport, progress);
  EXPECT_FALSE(window.personalBox()->isEnabled());
  EXPECT_FALSE(window.addressBox()->isEnabled());
  window.useProxyBox()->setChecked(true);
  EXPECT_TRUE(window.personalBox()->isEnabled());
  EXPECT_FALSE(window.addressBox()->isEnabled());
  window.personalBox()->setChecked(true);
  EXPECT_TRUE(window.addressBox()->isEnabled());
  EXPECT_TRUE(window.portBox()->isEnabled());

  window.addressBox()->setText("proxy.test");
  window.portBox()->setText("3128");
  window.confirm();
  EXPECT_EQ(context.proxy_text, "proxy.test:3128");
  EXPECT_EQ(transport.exchanges, 0);  // a manual proxy needs no list
  EXPECT_EQ(brindle::net::SettingsFile(dir / "Vantora.ini").read_text("SETTINGS", "ProxyServer"),
            "proxy.test");
}

// The Settings window over a fresh settings folder.
class SettingsWindowTest : public ::testing::Test {
 protected:
  SettingsWindowTest() {
    gui_app();
    context.program_directory = dir.path();
    window = std::make_unique<brindle::gui::SettingsWindow>(context, messages);
  }

  brindle::testing::TempDir dir;
  brindle::net::ClientContext context;
  RecordingMessages messages;
  std::unique_ptr<brindle::gui::SettingsWindow> window;
};

TEST_F(SettingsWindowTest, RefusedPeriodResetsTheBoxTo300) {
  EXPECT_EQ(window->windowTitle(), QStringLiteral("系统设置"));
  EXPECT_EQ(window->periodBox()->text(), QStringLiteral("180"));
  window->periodBox()->setText("59");
  window->serverBox()->setEditText("x.test");
  window->confirm();
  EXPECT_EQ(messages.shown, (std::vector<std::string>{"自动刷新时间不能小于60秒!"}));
  EXPECT_EQ(window->periodBox()->text(), QStringLiteral("300"));
  EXPECT_TRUE(context.current_server.empty());
}

TEST_F(SettingsWindowTest, AnEmptyPeriodConfirmedByReturnIsRefusedAloud) {
  window->show();
  window->periodBox()->clear();
  window->periodBox()->setFocus();
  QTest::keyClick(window->periodBox(), Qt::Key_Return);
  EXPECT_EQ(messages.shown, (std::vector<std::string>{"自动刷新时间不能小于60秒!"}));
  EXPECT_EQ(window->periodBox()->text(), QStringLiteral("300"));
}

TEST(ProgressWindow, DisablesItsOwnerOnlyWhileTheExchangeRuns) {
  gui_app();
  QWidget owner;
  owner.show();
  brindle::gui::ProgressWindow progress;
  progress.set_owner(&owner);
  progress.begin();
  EXPECT_FALSE(owner.isEnabled());
  progress.show_text("正在与服务器连接...");
  ASSERT_NE(progress.window(), nullptr);
  EXPECT_EQ(progress.window()->findChild<QLabel*>("progressText")->text(),
            QStringLiteral("正在与服务器连接..."));
  progress.end();
  EXPECT_TRUE(owner.isEnabled());
  EXPECT_EQ(progress.window(), nullptr);
}

TEST(SplashWindow, MissingBitmapMeansNoSplash) {
  gui_app();
  brindle::testing::TempDir dir;
  brindle::gui::SplashWindow splash;
  EXPECT_FALSE(splash.show(dir / "skin" / "Splash.bmp"));
  EXPECT_FALSE(splash.visible());

  QPixmap picture(40, 20);
  picture.fill(Qt::darkBlue);
  ASSERT_TRUE(picture.save(QString::fromStdString((dir / "Splash.bmp").string()), "BMP"));
  EXPECT_TRUE(splash.show(dir / "Splash.bmp"));
  EXPECT_TRUE(splash.visible());
  splash.hide();
  EXPECT_FALSE(splash.visible());
}

}  // namespace
