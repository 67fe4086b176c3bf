// Skinned frames, skinned push buttons, bitmap buttons and the running line, offscreen.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QVBoxLayout>

#include "gui/ui/bitmap_button.h"
#include "gui/ui/marquee.h"
#include "gui/ui/skinned_frame.h"
#include "gui_app.h"
#include "skin_fixture.h"
#include "support/temp_dir.h"

namespace {

using brindle::gui::BitmapButton;
using brindle::gui::SkinnedFrame;
using brindle::testing::gui_app;
using brindle::testing::TempDir;

TEST(SkinnedFrame, DialogGetsTheFrameAndOnlyItsPushButtonsAreSkinned) {
  gui_app();
  TempDir dir;
  brindle::testing::write_dialog_theme(dir.path());
  QDialog dialog;
  dialog.setWindowTitle("title");
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(new QCheckBox("check", &dialog));
  layout->addWidget(new QRadioButton("radio", &dialog));
  layout->addWidget(new QGroupBox("group", &dialog));
  layout->addWidget(new QPushButton("one", &dialog));
  layout->addWidget(new QPushButton("two", &dialog));
  dialog.setFixedSize(300, 200);

  SkinnedFrame* frame = SkinnedFrame::apply(&dialog, dir / "theme.ini");
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->skinned_button_count(), 2);
  EXPECT_TRUE(dialog.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(dialog.contentsMargins(), QMargins(4, 24, 4, 4));
  EXPECT_EQ(dialog.size(), QSize(308, 228)) << "a fixed-size dialog grows by its edges";

  // Loading again replaces the theme without skinning the buttons twice or growing again.
  EXPECT_EQ(SkinnedFrame::apply(&dialog, dir / "theme.ini"), frame);
  EXPECT_EQ(frame->skinned_button_count(), 2);
  EXPECT_EQ(dialog.size(), QSize(308, 228));
}

TEST(SkinnedFrame, TransparentColourShapesTheWindowAndTheCloseButtonCloses) {
  gui_app();
  TempDir dir;
  brindle::testing::write_dialog_theme(dir.path());
  QDialog dialog;
  dialog.resize(200, 120);
  SkinnedFrame* frame = SkinnedFrame::apply(&dialog, dir / "theme.ini");
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  EXPECT_FALSE(dialog.mask().isEmpty());
  EXPECT_FALSE(dialog.mask().contains(QPoint(0, 0))) << "the magenta corner is cut away";
  EXPECT_TRUE(dialog.mask().contains(QPoint(100, 60)));

  const QRect close = frame->caption_button_rect(0);
  EXPECT_EQ(close, QRect(dialog.width() - 2 - 16, 4, 16, 14))
      << "a negative place counts from the right edge";
  QTest::mouseClick(&dialog, Qt::LeftButton, {}, close.center());
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST(SkinnedFrame, ThemeWithoutEdgesKeepsTheSystemFrame) {
  gui_app();
  TempDir dir;
  QDialog dialog;
  new QPushButton("one", &dialog);
  SkinnedFrame* frame = SkinnedFrame::apply(&dialog, dir / "absent.ini");
  EXPECT_FALSE(dialog.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(frame->skinned_button_count(), 0);
  EXPECT_EQ(dialog.contentsMargins(), QMargins());
}

TEST(SkinnedFrame, DialogsWithoutADialogThemeAreLeftAlone) {
  gui_app();
  SkinnedFrame::set_dialog_theme({});
  QDialog dialog;
  EXPECT_EQ(SkinnedFrame::skin_dialog(&dialog), nullptr);
}

TEST(NineSlice, BordersKeepTheirSizeAndTheMiddleStretches) {
  gui_app();
  QImage source(30, 30, QImage::Format_RGB32);
  source.fill(Qt::blue);
  QPainter(&source).fillRect(QRect(10, 10, 10, 10), Qt::red);
  QImage target(100, 60, QImage::Format_RGB32);
  target.fill(Qt::white);
  {
    QPainter painter(&target);
    brindle::gui::draw_nine_slice(painter, target.rect(), QPixmap::fromImage(source), source.rect(), 10, 10,
                                  10, 10);
  }
  EXPECT_EQ(target.pixelColor(5, 5), QColor(Qt::blue));
  EXPECT_EQ(target.pixelColor(95, 55), QColor(Qt::blue));
  EXPECT_EQ(target.pixelColor(50, 30), QColor(Qt::red));
  EXPECT_EQ(target.pixelColor(12, 30), QColor(Qt::red))
      << "the middle starts right after the 10-pixel border";
  EXPECT_EQ(target.pixelColor(9, 30), QColor(Qt::blue));

  // Borders larger than the target shrink instead of drawing outside it.
  QImage small(8, 8, QImage::Format_RGB32);
  small.fill(Qt::white);
  QPainter painter(&small);
  brindle::gui::draw_nine_slice(painter, small.rect(), QPixmap::fromImage(source), source.rect(), 20, 20, 20,
                                20);
}

TEST(BitmapButtonTest, TakesItsSizeFromTheNormalBitmapAndFallsBackWithoutOne) {
  gui_app();
  TempDir dir;
  for (int s = 0; s < 4; ++s) {
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(QColor(s * 60, 0, 0));
    image.save(QString::fromStdString((dir / ("bt_test0" + std::to_string(s) + ".bmp")).string()), "BMP");
  }
  BitmapButton button(7, "caption");
  button.load_states(dir.path(), "bt_test");
  EXPECT_EQ(button.size(), QSize(40, 20));
  EXPECT_EQ(button.prefix(), "bt_test");

  BitmapButton missing(8, "caption");
  missing.load_states(dir.path(), "bt_absent");
  EXPECT_GT(missing.sizeHint().width(), 20) << "a button without bitmaps still shows its caption";
}

TEST(MarqueeTest, TextGlidesLeftAndComesRoundAgain) {
  gui_app();
  brindle::gui::Marquee marquee;
  marquee.resize(100, 20);
  marquee.set_speed(10);
  marquee.set_text("running");
  const int round = 100 + marquee.fontMetrics().horizontalAdvance("running");
  int steps = 0;
  do {
    marquee.step();
    ++steps;
  } while (marquee.offset() != 0 && steps < 1000);
  EXPECT_EQ(steps, round / 10 + 1);
  marquee.step();
  marquee.set_text("other");
  EXPECT_EQ(marquee.offset(), 0) << "a new text starts again at the right";
}

}  // namespace
