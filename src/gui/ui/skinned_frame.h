#pragma once

#include <QImage>
#include <QObject>
#include <QPixmap>
#include <QPoint>
#include <QString>
#include <filesystem>
#include <vector>

#include "core/app/theme_file.h"

class QDialog;
class QPainter;
class QPushButton;
class QWidget;

namespace brindle::gui {

// A frameless window drawn from a theme's edge bitmaps: caption, icon, caption buttons, moving by
// the caption and the transparent colour as the window's shape. It lives as a child of its window.
class SkinnedFrame final : public QObject {
  Q_OBJECT
 public:
  // The title that is shown without caption text.
  static constexpr const char* kUncaptionedTitle = "欢迎光临澜川国际网";

  // Loads the theme into `window`; a second load replaces the first. Returns the frame in use.
  static SkinnedFrame* apply(QWidget* window, const std::filesystem::path& theme_file);
  // The dialogs' theme, "SkinSM/theme.ini" under the Program directory, set once at start-up.
  static void set_dialog_theme(std::filesystem::path theme_file);
  // Skins a dialog with the dialogs' theme; nothing when none was set or the frame has no edges.
  static SkinnedFrame* skin_dialog(QDialog* dialog);

  const app::Theme& theme() const { return theme_; }
  // The caption buttons' rectangles in window coordinates, for tests and for the pointer.
  QRect caption_button_rect(std::size_t index) const;
  int skinned_button_count() const { return skinned_buttons_; }
  // Skins the window's push buttons that are not skinned yet: those of pages made after the frame.
  void skin_push_buttons();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct CaptionButtonImages {
    app::CaptionButton button;
    QPixmap strip;
  };

  SkinnedFrame(QWidget* window, const std::filesystem::path& theme_file);
  void load(const std::filesystem::path& theme_file);
  void paint_frame(QPainter& painter, bool active) const;
  void update_shape();
  int hit_caption_button(QPoint position) const;

  QWidget* window_;
  app::Theme theme_;
  QPixmap top_, left_, right_, bottom_, background_;
  std::vector<CaptionButtonImages> buttons_;
  int hover_ = -1;
  int pressed_ = -1;
  bool dragging_ = false;
  QPoint drag_offset_;
  int skinned_buttons_ = 0;
};

// Draws one push button from the theme's "Buttons" bitmap, a strip of four equal state images
// (normal, hover or focus, pressed, disabled) whose fixed borders are kept while the middle stretches.
class PushButtonSkin final : public QObject {
  Q_OBJECT
 public:
  PushButtonSkin(QPushButton* button, const app::PushButtonTheme& theme, const app::FrameTheme& colours);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QPushButton* button_;
  app::PushButtonTheme theme_;
  QPixmap strip_;
  QColor text_;
};

// Draws `source` into `target` keeping the given borders at their size and stretching the rest.
void draw_nine_slice(QPainter& painter, const QRect& target, const QPixmap& source, const QRect& source_rect,
                     int left, int top, int right, int bottom);

}  // namespace brindle::gui
