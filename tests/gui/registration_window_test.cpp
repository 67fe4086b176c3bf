// Registration, account details and retrieval from the Login window's buttons, through the real
// windows and transport against a scripted HTTPS server. With BRINDLE_SCREENSHOT_DIR set it saves the
// registration window with a refusal shown over it (BRINDLE_SKIN_ROOT names the skin to draw it with).

#include "gui/accounts/registration_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "core/net/client_context.h"
#include "core/net/curl_transport.h"
#include "core/net/digest.h"
#include "core/net/list_cache.h"
#include "core/net/settings_file.h"
#include "core/ports/message_port.h"
#include "core/ports/progress_sink.h"
#include "core/ports/shell_port.h"
#include "gui/accounts/password_retrieval_window.h"
#include "gui/accounts/profile_window.h"
#include "gui/app/main_window.h"
#include "gui/net/login_window.h"
#include "gui/net/masked_password_box.h"
#include "gui/ui/message_window.h"
#include "skin_fixture.h"
#include "support/recording_ports.h"
#include "support/screenshots.h"
#include "support/scripted_https_server.h"
#include "support/scripted_replies.h"
#include "support/temp_dir.h"
#include "wire/gbk.h"

namespace {

using namespace brindle;
using brindle::testing::RecordingMessages;
using brindle::testing::save_screenshot;
using brindle::testing::ScreenshotSkin;

// The Login window over a server list naming the scripted server.
struct LoginFixture {
  LoginFixture() {
    context.program_directory = dir.path();
    EXPECT_TRUE(net::write_list_cache(dir / "skin.dat", {{server.authority(), 1}}));
    net::SettingsFile(dir / "Vantora.ini").write_text("SERVER", "Current Server", server.authority());
    login.prepare();
    login.show();
  }
  void reply(const std::string& utf8) { server.queue({.body = wire::utf8_to_gbk(utf8)}); }
  std::string body(std::size_t i) const { return wire::gbk_to_utf8(server.requests().at(i).body); }
  std::string para(std::size_t i) const { return brindle::testing::request_para(server.requests().at(i)); }
  std::vector<int> subjects() const { return brindle::testing::request_subjects(server); }
  // Runs `act` on the modal window that the next click opens.
  template <typename Window>
  static void on_next_modal(std::function<void(Window&)> act) {
    QTimer::singleShot(0, [act = std::move(act)] {
      auto* window = qobject_cast<Window*>(QApplication::activeModalWidget());
      ASSERT_NE(window, nullptr);
      act(*window);
      if (window->isVisible()) window->reject();
    });
  }
  void click(const char* button) { login.findChild<QPushButton*>(button)->click(); }

  ScreenshotSkin skin;
  brindle::testing::TempDir dir;
  brindle::testing::ScriptedHttpsServer server;
  net::CurlTransport transport;
  ports::SilentProgress progress;
  net::ClientContext context;
  RecordingMessages messages;
  gui::LoginWindow login{{context, transport, progress, messages, nullptr}};
};

void fill_valid(gui::RegistrationWindow& w) {
  w.user_name_box()->setText("newbie");
  w.password_box()->setKeptText("abcdef");
  w.password_confirmation_box()->setKeptText("abcdef");
  w.email_box()->setText("newbie@example.com");
  w.withdrawal_box()->setKeptText("1234");
  w.withdrawal_confirmation_box()->setKeptText("1234");
  w.phone_box()->setText("13800000000");
  w.adult_box()->setChecked(true);
  w.agreed_box()->setChecked(true);
}

// The window with the Message window as it stands over it, centred.
void save_with_message(QWidget& window, const std::string& message, const QString& path) {
  gui::MessageWindow box(message, false, &window);
  box.adjustSize();
  QPixmap picture = window.grab();
  QPainter painter(&picture);
  const QPixmap over = box.grab();
  painter.drawPixmap((picture.width() - over.width()) / 2, (picture.height() - over.height()) / 2, over);
  painter.end();
  EXPECT_TRUE(picture.save(path));
}

TEST(RegistrationWindow, RefusalsClearAndFocusThenANewUserRegistersAndCanSignIn) {
  LoginFixture f;
  f.reply("1|用户名可以使用");
  f.reply("1|ok|100");
  f.reply("1|注册成功！");
  bool ran = false;
  LoginFixture::on_next_modal<gui::RegistrationWindow>([&](gui::RegistrationWindow& w) {
    ran = true;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("新用户注册"));
    EXPECT_EQ(w.focusWidget(), w.user_name_box());
    QTest::keyClicks(w.withdrawal_box(), "1234567");
    EXPECT_EQ(w.withdrawal_box()->keptText(), "123456");
    EXPECT_EQ(w.withdrawal_box()->displayText(), QStringLiteral("******"));
    // The phone box takes what the service stores: 50 bytes, a Chinese character counting two.
    for (int i = 0; i < 30; ++i) w.phone_box()->insert(QString(QChar(0x7535)));
    EXPECT_EQ(w.phone_box()->text().size(), 25);
    w.phone_box()->clear();

    // Both boxes unchecked: only the age.
    w.submit_button()->click();
    EXPECT_EQ(f.messages.texts.back(), "请确认您的年龄已满18岁！");

    fill_valid(w);
    w.user_name_box()->setText("123456");
    w.submit_button()->click();
    EXPECT_EQ(f.messages.texts.back(), "用户名不能为数字！");
    EXPECT_TRUE(w.user_name_box()->text().isEmpty());
    EXPECT_EQ(w.focusWidget(), w.user_name_box());
    const QByteArray out = qgetenv("BRINDLE_SCREENSHOT_DIR");
    if (!out.isEmpty()) {
      QTest::qWait(50);
      save_with_message(w, f.messages.texts.back(), QString::fromUtf8(out) + "/registration_refused.png");
    }

    w.user_name_box()->setText("a1_b-2");
    w.findChild<QPushButton*>("checkUserName")->click();
    EXPECT_EQ(f.messages.texts.back(), "用户名可以使用");

    w.user_name_box()->setText("newbie");
    w.nickname_box()->setText(QStringLiteral("小明&朋友"));
    w.submit_button()->click();
    EXPECT_EQ(f.messages.texts.back(), "昵称不能包含字符'&'！");
    EXPECT_TRUE(w.nickname_box()->text().isEmpty());
    EXPECT_EQ(w.focusWidget(), w.nickname_box());

    w.nickname_box()->setText(QStringLiteral("小明"));
    w.findChild<QPushButton*>("checkNickname")->click();
    EXPECT_EQ(f.messages.texts.back(), "昵称只能为字母或数字！");
    w.nickname_box()->setText(QStringLiteral("小明"));
    w.submit_button()->click();
    EXPECT_FALSE(w.isVisible());
  });
  f.click("registerButton");
  ASSERT_TRUE(ran);

  EXPECT_EQ(f.context.current_server, f.server.authority());
  EXPECT_EQ(f.subjects(), (std::vector<int>{2020, 13002, 2022}));
  EXPECT_EQ(f.para(0), "a1_b-2|0");
  EXPECT_EQ(f.para(2), "newbie|abcdef|newbie@example.com|1234|小明|13800000000||||" +
                           net::registration_signature("newbie", "abcdef") + "|||||||||||||1");
  EXPECT_EQ(f.messages.texts.back(), "注册成功！");

  f.login.userNameBox()->setText("newbie");
  f.login.passwordBox()->setKeptText("abcdef");
  f.click("signInButton");
  EXPECT_EQ(f.login.result(), QDialog::Accepted);
}

TEST(ProfileWindow, ConfirmedChangeGoesOutUnderTheTypedIdentity) {
  LoginFixture f;
  f.reply("1|修改成功！");
  LoginFixture::on_next_modal<gui::ProfileWindow>([&](gui::ProfileWindow& w) {
    EXPECT_EQ(w.windowTitle(), QStringLiteral("信息修改"));
    w.user_name_box()->setText("alice");
    w.old_password_box()->setKeptText("oldpw1");
    w.old_withdrawal_box()->setKeptText("9999");
    w.new_password_box()->setKeptText("newpw1");
    w.password_confirmation_box()->setKeptText("newpw2");
    w.email_box()->setText("alice@example.com");
    w.new_withdrawal_box()->setKeptText("1234");
    w.withdrawal_confirmation_box()->setKeptText("1234");
    save_screenshot(w, "profile_window.png");
    w.submit_button()->click();
    EXPECT_EQ(f.messages.texts.back(), "密码和确认密码不同！");
    EXPECT_EQ(w.focusWidget(), w.new_password_box());
    w.new_password_box()->setKeptText("newpw1");
    w.password_confirmation_box()->setKeptText("newpw1");
    QTimer::singleShot(0, [] {
      auto* confirmation = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(confirmation, nullptr);
      EXPECT_EQ(confirmation->windowTitle(), QStringLiteral("修改信息"));
      confirmation->accept();
    });
    w.submit_button()->click();
  });
  f.click("profileButton");
  ASSERT_EQ(f.subjects(), (std::vector<int>{2004}));
  EXPECT_NE(f.body(0).find("txtUserName=alice&txtPwd=oldpw1&"), std::string::npos);
  EXPECT_EQ(f.para(0), "alice|9999|newpw1|1234|alice@example.com|||||||||||||||");
  EXPECT_EQ(f.messages.texts.back(), "修改成功！");
}

TEST(PasswordRetrievalWindow, SendsTheTypedName) {
  LoginFixture f;
  f.reply("1|密码已发送到您的信箱！");
  LoginFixture::on_next_modal<gui::PasswordRetrievalWindow>([](gui::PasswordRetrievalWindow& w) {
    EXPECT_EQ(w.windowTitle(), QStringLiteral("取回密码"));
    EXPECT_EQ(w.focusWidget(), w.user_name_box());
    w.user_name_box()->setText("forgetful");
    save_screenshot(w, "password_retrieval_window.png");
    w.submit_button()->click();
  });
  f.click("forgotButton");
  ASSERT_EQ(f.subjects(), (std::vector<int>{2016}));
  EXPECT_NE(f.body(0).find("txtUserName=forgetful&"), std::string::npos);
  EXPECT_EQ(f.messages.texts, (std::vector<std::string>{"密码已发送到您的信箱！"}));
}

struct NoShell final : ports::ShellPort {
  void open_address(const std::string&) override {}
  bool file_exists(const std::string&) override { return false; }
  bool start_program(const std::string&) override { return false; }
};

TEST(MainWindowRegistration, TheButtonOpensTheWindowAndTheAgreementGoesToThePageOpener) {
  LoginFixture f;
  std::filesystem::create_directories(f.dir / "skin" / "900");
  brindle::testing::write_dialog_theme(f.dir / "skin" / "900");
  f.context.skin_size_mode = 2;
  f.context.current_server = "127.0.0.1:47443";
  NoShell shell;
  std::vector<std::pair<QString, QString>> pages;
  gui::MainWindow main_window(gui::MainWindow::Services{
      f.context,
      f.transport,
      f.progress,
      f.messages,
      shell,
      {},
      {},
      [&](const QString& title, const QString& address) { pages.emplace_back(title, address); }});
  main_window.open(false);
  bool opened = false;
  LoginFixture::on_next_modal<gui::RegistrationWindow>([&](gui::RegistrationWindow& w) {
    opened = true;
    w.findChild<QPushButton*>("agreement")->click();
  });
  main_window.button(1007)->click();
  EXPECT_TRUE(opened);
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(pages[0].first, QStringLiteral("用户协议"));
  EXPECT_EQ(pages[0].second, QStringLiteral("http://127.0.0.1:47443/doc/agreement.htm"));
  EXPECT_TRUE(f.server.requests().empty());
}

}  // namespace
