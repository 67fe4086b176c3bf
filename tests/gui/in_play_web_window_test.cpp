// The in-play button of a hall for a member in in-play web mode, offscreen: the frozen check and the
// web token go first, then the modal 走地 window, then the Main window's first hall once it closes.

#include "gui/betting/in_play_web_window.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QUrl>
#include <memory>
#include <tuple>
#include <vector>

#include "../core/betting/hall_fixture.h"
#include "core/betting/hall_model.h"
#include "gui/betting/hall_pages.h"
#include "gui/ui/server_certificate.h"
#include "support/temp_dir.h"

namespace {

using namespace brindle;
using Posted = std::tuple<ports::WindowMessage, int, int>;

struct InPlayButton : brindle::testing::HallFixture {
  InPlayButton() {
    context.member_details.in_play_web_mode = 1;
    reply({"1|ok|0"});  // an empty Asian handicap list
    balance_reply();
    halls = std::make_unique<gui::HallPages>(
        gui::HallPages::Services{context, transport, progress, messages, shell, dir.path(), false});
    halls->set_frame([this](ports::WindowMessage m, int a, int b) { posted.emplace_back(m, a, b); });
    page.reset(halls->make_page(betting::kAsianHandicapPage, nullptr));
    opened = transport.exchanges().size();
    posted.clear();  // the first refresh's account panel
  }

  // Presses the button; a window that comes up is looked at from inside its own event loop, then
  // closed as the user would close it.
  void press() {
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [this] {
      auto* window = qobject_cast<gui::InPlayWebWindow*>(QApplication::activeModalWidget());
      if (window == nullptr || window == seen) return;
      seen = window;
      title = window->windowTitle();
      address = window->address();
      had_browser = window->browser() != nullptr;
      shown_after = subjects_since_open();
      posted_while_open = posted.size();
      window->reject();
    });
    poll.start(5);
    auto* button = page->findChild<QAbstractButton*>("digun");
    ASSERT_NE(button, nullptr);
    button->click();
  }
  std::vector<int> subjects_since_open() const {
    const auto all = subjects();
    return {all.begin() + static_cast<std::ptrdiff_t>(opened), all.end()};
  }

  brindle::testing::TempDir dir;
  std::unique_ptr<gui::HallPages> halls;
  std::unique_ptr<QWidget> page;
  std::size_t opened = 0;
  std::vector<Posted> posted;
  gui::InPlayWebWindow* seen = nullptr;
  QString title, address;
  bool had_browser = true;
  std::vector<int> shown_after;
  std::size_t posted_while_open = 99;
};

TEST(InPlayWebWindow, OpensAfterTheFrozenCheckAndTheTokenAndLeadsToTheFirstHallWhenClosed) {
  InPlayButton f;
  f.reply({"1|ok|0"});                        // 3033: not frozen
  f.reply({"1|ok|" + std::string(40, 'B')});  // 4061
  f.press();
  ASSERT_NE(f.seen, nullptr) << "no 走地 window";
  EXPECT_EQ(f.title, QStringLiteral("走地"));
  EXPECT_EQ(f.shown_after, (std::vector<int>{3033, 4061}));
  EXPECT_EQ(f.posted_while_open, 0u) << "the page changes only once the window is closed";
  EXPECT_EQ(f.address, QStringLiteral("https://srv.example:8443/inplay/"));
  EXPECT_FALSE(f.had_browser) << "a hall without embedded pages shows the line instead";
  EXPECT_EQ(f.posted, (std::vector<Posted>{{ports::WindowMessage::go_to_page, 1, 0}}));
  EXPECT_TRUE(f.messages.texts.empty());
}

TEST(InPlayWebWindow, AFrozenAccountOrAFailedTokenGetsItsMessageAndNoWindow) {
  {
    InPlayButton f;
    f.reply({"1|ok|1"});  // frozen
    f.press();
    EXPECT_EQ(f.seen, nullptr);
    EXPECT_EQ(f.messages.texts, (std::vector<std::string>{"账户被冻结！"}));
    EXPECT_EQ(f.subjects_since_open(), (std::vector<int>{3033}));
    EXPECT_TRUE(f.posted.empty());
  }
  {
    InPlayButton f;
    f.reply({"1|ok|0"});
    f.reply({"0|服务器暂不支持此项业务（编号4061）。"});
    f.press();
    EXPECT_EQ(f.seen, nullptr);
    EXPECT_EQ(f.messages.texts, (std::vector<std::string>{"服务器暂不支持此项业务（编号4061）。"}));
    EXPECT_TRUE(f.posted.empty());
  }
  {
    InPlayButton f;
    f.context.member_details.in_play_web_mode = 0;
    f.press();
    EXPECT_EQ(f.seen, nullptr);
    EXPECT_TRUE(f.subjects_since_open().empty());
    EXPECT_EQ(f.posted, (std::vector<Posted>{{ports::WindowMessage::go_to_page, 3, 0}}));
  }
}

TEST(InPlayWebWindow, WithoutAnEmbeddedBrowserItSaysSoAndOpensNothingElsewhere) {
  brindle::testing::RecordingShell shell;
  gui::InPlayWebWindow window("127.0.0.1:47443", std::string(40, 'C'), false);
  EXPECT_EQ(window.browser(), nullptr);
  auto* text = window.findChild<QLabel*>("noBrowserText");
  ASSERT_NE(text, nullptr);
  EXPECT_FALSE(text->text().contains(QStringLiteral("CCCC"))) << "the token is never shown";
  EXPECT_TRUE(shell.opened.empty());
}

TEST(ServerCertificate, OnlyTheCurrentServersHostAndPortAreTaken) {
  EXPECT_TRUE(gui::on_current_server(QUrl("https://127.0.0.1:47443/inplay/"), "127.0.0.1:47443"));
  EXPECT_TRUE(gui::on_current_server(QUrl("https://pages.example/x"), "pages.example"));
  EXPECT_TRUE(gui::on_current_server(QUrl("https://pages.example:443/x"), "pages.example"));
  EXPECT_FALSE(gui::on_current_server(QUrl("https://127.0.0.1:47444/"), "127.0.0.1:47443"));
  EXPECT_FALSE(gui::on_current_server(QUrl("https://127.0.0.2:47443/"), "127.0.0.1:47443"));
  EXPECT_FALSE(gui::on_current_server(QUrl("https://evil.example/"), "evil.example.cn"));
  EXPECT_FALSE(gui::on_current_server(QUrl("https://x/"), ""));
}

}  // namespace
