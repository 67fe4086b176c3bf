#include "gui/ui/message_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "core/app/message_text.h"
#include "gui_app.h"

namespace {

using brindle::testing::gui_app;

TEST(MessageTextLayout, CountsLinesByBreaksAndBytes) {
  struct Case {
    const char* text;
    int lines;
    const char* shown;
  };
  const Case cases[] = {
      {"", 1, ""},
      {"a#b", 2, "a\nb"},
      {"a\nb#c", 3, "a\nb\nc"},
      {"01234567890123456789012345678901234567890123456789012345678901234567890123456789", 3, nullptr},
      // 19 double-byte characters are 38 bytes: the 38th byte starts a second line.
      {"一二三四五六七八九十一二三四五六七八九", 2, nullptr},
      {"一二三四五六七八九十一二三四五六七八", 1, nullptr},
  };
  for (const auto& c : cases) {
    const auto layout = brindle::app::layout_message_text(c.text);
    EXPECT_EQ(layout.line_count, c.lines) << c.text;
    if (c.shown) {
      EXPECT_EQ(layout.text, c.shown);
    }
  }
}

TEST(MessageWindow, TitleTextAndButtons) {
  gui_app();
  brindle::gui::MessageWindow with_cancel("您确定要退出吗？#", true);
  EXPECT_EQ(with_cancel.windowTitle(), QStringLiteral("澜川国际"));
  EXPECT_EQ(with_cancel.shownText(), QStringLiteral("您确定要退出吗？\n"));
  EXPECT_TRUE(with_cancel.cancelOffered());

  brindle::gui::MessageWindow ok_only("a", false);
  EXPECT_FALSE(ok_only.cancelOffered());
}

TEST(MessageWindow, TextControlIsAsManyLinesHighAsTheLayoutSays) {
  gui_app();
  const brindle::gui::MessageWindow one("a", false);
  const brindle::gui::MessageWindow three(std::string(80, 'x'), false);
  const brindle::gui::MessageWindow two("a#b", false);
  EXPECT_EQ(three.textLineCount(), 3);
  EXPECT_EQ(two.textLineCount(), 2);
  EXPECT_EQ(two.shownText(), QStringLiteral("a\nb"));
  const int line = one.findChild<QLabel*>("messageText")->minimumHeight();
  EXPECT_EQ(three.findChild<QLabel*>("messageText")->minimumHeight(), 3 * line);
}

TEST(MessageWindow, AnswersOneForOkAndTwoForCancelOrClose) {
  gui_app();
  brindle::gui::MessageWindowPort port;
  auto click_later = [](const char* button) {
    QTimer::singleShot(0, [button] {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<brindle::gui::MessageWindow*>(w); dialog && dialog->isVisible()) {
          if (button) {
            dialog->findChild<QPushButton*>(button)->click();
          } else {
            dialog->close();
          }
        }
      }
    });
  };
  click_later("okButton");
  EXPECT_EQ(port.show_message("x", true), 1);
  click_later("cancelButton");
  EXPECT_EQ(port.show_message("x", true), 2);
  click_later(nullptr);
  EXPECT_EQ(port.show_message("x", false), 2);
}

}  // namespace
