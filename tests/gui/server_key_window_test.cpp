// The window a changed server key is put to the user in, and the key an embedded page is held to.

#include "gui/net/server_key_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QByteArray>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <filesystem>

#include "core/net/server_keys.h"
#include "gui/ui/server_certificate.h"
#include "gui_app.h"
#include "support/temp_dir.h"
#include "support/test_certificate.h"

namespace {

using namespace brindle;
using brindle::testing::gui_app;

ports::ServerKeyChange key_change(bool built_in) {
  ports::ServerKeyChange change;
  change.server = "127.0.0.1:47443";
  change.held = std::string(43, 'A') + "=";
  change.presented = std::string(43, 'B') + "=";
  change.built_in = built_in;
  change.text = "服务器 127.0.0.1:47443 出示的证书密钥与上次记住的不同，请求没有发出。\n\n记住的密钥：\n  " +
                change.held + "\n这次的密钥：\n  " + change.presented;
  return change;
}

// Answers the key window that the port is about to show: clicks `button`, or presses Escape for none.
void answer_later(const char* button) {
  QTimer::singleShot(0, [button] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* window = qobject_cast<gui::ServerKeyWindow*>(w);
      if (window == nullptr || !window->isVisible()) continue;
      if (button != nullptr) {
        window->findChild<QPushButton*>(button)->click();
      } else {
        QTest::keyClick(window, Qt::Key_Escape);
      }
    }
  });
}

TEST(ServerKeyWindow, ChangedKeyIsTrustedOnlyByTrust) {
  gui_app();
  const auto change = key_change(false);
  {
    gui::ServerKeyWindow window(change);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("澜川国际"));
    EXPECT_EQ(window.shownText(), QString::fromStdString(change.text));
    auto* text = window.findChild<QLabel*>("keyChangeText");
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(text->textInteractionFlags() & Qt::TextSelectableByMouse) << "fingerprints can be copied";
    // A whole fingerprint line fits, unbroken.
    EXPECT_GE(text->width(),
              QFontMetrics(text->font()).horizontalAdvance(QString::fromStdString("  " + change.held)));
    auto* distrust = window.findChild<QPushButton*>("distrustButton");
    ASSERT_NE(distrust, nullptr);
    EXPECT_TRUE(distrust->isDefault());
    EXPECT_NE(window.findChild<QPushButton*>("trustButton"), nullptr);
    EXPECT_EQ(window.findChild<QPushButton*>("okButton"), nullptr);
  }
  gui::ServerKeyWindowPort port;
  answer_later("trustButton");
  EXPECT_TRUE(port.trust_new_key(change));
  answer_later("distrustButton");
  EXPECT_FALSE(port.trust_new_key(change));
  answer_later(nullptr);
  EXPECT_FALSE(port.trust_new_key(change));
}

TEST(ServerKeyWindow, BuiltInKeyIsOnlyToldOf) {
  gui_app();
  const auto change = key_change(true);
  {
    gui::ServerKeyWindow window(change);
    EXPECT_EQ(window.shownText(), QString::fromStdString(change.text));
    EXPECT_NE(window.findChild<QPushButton*>("okButton"), nullptr);
    EXPECT_EQ(window.findChild<QPushButton*>("trustButton"), nullptr);
    EXPECT_EQ(window.findChild<QPushButton*>("distrustButton"), nullptr);
  }
  gui::ServerKeyWindowPort port;
  answer_later("okButton");
  EXPECT_FALSE(port.trust_new_key(change));
  answer_later(nullptr);
  EXPECT_FALSE(port.trust_new_key(change));
}

std::string der_of(const brindle::testing::TestCertificate& certificate) {
  QByteArray body;
  for (const QByteArray& line : QByteArray::fromStdString(certificate.certificate_pem).split('\n'))
    if (!line.startsWith("-----")) body += line;
  return QByteArray::fromBase64(body).toStdString();
}

TEST(PageCertificate, OnlyTheCurrentServersPagesUnderTheKeyItsRequestsAreHeldTo) {
  brindle::testing::TempDir dir;
  const auto file = dir / net::kKnownKeysFileName;
  net::ServerKeys keys({}, file);
  const std::string server = "127.0.0.1:47443";
  const QUrl page("https://127.0.0.1:47443/OtherGames.asp");
  const auto first = brindle::testing::make_self_signed_certificate("127.0.0.1");
  const auto second = brindle::testing::make_self_signed_certificate("127.0.0.1");

  // Another host's certificate is the browser's to judge: not taken, and its key not learned.
  EXPECT_FALSE(gui::accept_page_certificate(keys, QUrl("https://127.0.0.1:47444/"), server, der_of(first)));
  EXPECT_FALSE(gui::accept_page_certificate(keys, QUrl("https://127.0.0.2:47443/"), server, der_of(first)));
  EXPECT_FALSE(std::filesystem::exists(file));

  EXPECT_TRUE(gui::accept_page_certificate(keys, page, server, der_of(first))) << "first use";
  EXPECT_TRUE(gui::accept_page_certificate(keys, page, server, der_of(first)));
  EXPECT_FALSE(gui::accept_page_certificate(keys, page, server, der_of(second))) << "a changed key";
  EXPECT_FALSE(gui::accept_page_certificate(keys, page, server, "not a certificate"));
  // The key was learned for the requests as well.
  EXPECT_EQ(keys.judge(server, brindle::testing::key_fingerprint_of(first)).verdict, net::KeyVerdict::known);

  net::ServerKeys built_in({{server, brindle::testing::key_fingerprint_of(second)}}, dir / "other.txt");
  EXPECT_TRUE(gui::accept_page_certificate(built_in, page, server, der_of(second)));
  EXPECT_FALSE(gui::accept_page_certificate(built_in, page, server, der_of(first)));
}

}  // namespace
