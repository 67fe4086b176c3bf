// Input made while a Request runs is dropped, not replayed once the Request is over: a click and a
// key press queued by the window system during a slow exchange through the real transport must
// leave the owner's button untouched afterwards.

#include <gtest/gtest.h>
#include <qpa/qwindowsysteminterface.h>

#include <QCloseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>
#include <chrono>

#include "core/net/curl_transport.h"
#include "gui/net/progress_window.h"
#include "gui_app.h"
#include "support/scripted_https_server.h"

namespace {

using brindle::gui::ProgressWindow;
using brindle::gui::UserInputDrop;
using brindle::testing::gui_app;
using namespace std::chrono_literals;

// A click at the middle of `button` and a space key, as the window system would queue them:
// asynchronously, to be dispatched by a later turn of the event loop.
void queue_click_and_key(QPushButton& button) {
  QWindow* window = button.window()->windowHandle();
  ASSERT_NE(window, nullptr);
  const QPointF local = button.mapTo(button.window(), button.rect().center());
  const QPointF global = button.mapToGlobal(button.rect().center());
  QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(
      window, local, global, Qt::LeftButton, Qt::LeftButton, QEvent::MouseButtonPress);
  QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(
      window, local, global, Qt::NoButton, Qt::LeftButton, QEvent::MouseButtonRelease);
  QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::AsynchronousDelivery>(
      window, QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ");
  QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::AsynchronousDelivery>(
      window, QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, " ");
}

TEST(ProgressWindow, InputDuringASlowRequestIsDroppedNotReplayed) {
  gui_app();
  brindle::testing::ScriptedHttpsServer server;
  brindle::testing::ScriptedReply slow;
  slow.delay = 600ms;
  slow.body = "1|ok";
  server.set_default(slow);

  QWidget owner;
  auto* layout = new QVBoxLayout(&owner);
  auto* refresh = new QPushButton(QStringLiteral("刷新"), &owner);
  layout->addWidget(refresh);
  int clicks = 0;
  QObject::connect(refresh, &QPushButton::clicked, [&clicks] { ++clicks; });
  owner.resize(200, 80);
  owner.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
  refresh->setFocus();

  // The same click before any Request acts: the injection itself works.
  queue_click_and_key(*refresh);
  QTest::qWait(50);
  ASSERT_EQ(clicks, 2);  // one click, one space
  clicks = 0;

  ProgressWindow progress;
  progress.set_owner(&owner);
  QTimer::singleShot(150ms, refresh, [refresh] { queue_click_and_key(*refresh); });
  brindle::net::CurlTransport transport;
  brindle::net::HttpExchange exchange;
  exchange.url = server.url("/betengine/VTServer220.dll?DATA_QUERY");
  exchange.has_body = true;
  exchange.body = "txtLanguage=1";
  const auto reply = transport.exchange(exchange, progress);
  ASSERT_TRUE(reply) << reply.error();
  EXPECT_TRUE(owner.isEnabled());

  for (int i = 0; i < 5; ++i) QTest::qWait(20);
  EXPECT_EQ(clicks, 0) << "input made during the Request acted after it";

  // Once the Request is over the owner takes input again.
  queue_click_and_key(*refresh);
  QTest::qWait(50);
  EXPECT_EQ(clicks, 2);
}

TEST(UserInputDrop, DropsInputAndTheUsersCloseButNotPaintingOrTheProgramsClose) {
  gui_app();
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(1, 1), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QKeyEvent key(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QWheelEvent wheel(QPointF(1, 1), QPointF(1, 1), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QCloseEvent program_close;
  QEvent paint(QEvent::Paint);
  QEvent timer(QEvent::Timer);
  EXPECT_TRUE(UserInputDrop::is_user_input(press));
  EXPECT_TRUE(UserInputDrop::is_user_input(key));
  EXPECT_TRUE(UserInputDrop::is_user_input(wheel));
  EXPECT_FALSE(UserInputDrop::is_user_input(program_close));
  EXPECT_FALSE(UserInputDrop::is_user_input(paint));
  EXPECT_FALSE(UserInputDrop::is_user_input(timer));

  // The user's close of the Main window during a Request does not close it.
  QWidget window;
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  UserInputDrop drop;
  gui_app().installEventFilter(&drop);
  QWindowSystemInterface::handleCloseEvent<QWindowSystemInterface::SynchronousDelivery>(
      window.windowHandle());
  gui_app().removeEventFilter(&drop);
  EXPECT_TRUE(window.isVisible());
}

}  // namespace
