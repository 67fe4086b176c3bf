#include "gui/ui/skinned_frame.h"

#include <QApplication>
#include <QBitmap>
#include <QDialog>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRegion>
#include <algorithm>

namespace brindle::gui {

namespace {

std::filesystem::path& dialog_theme() {
  static std::filesystem::path path;
  return path;
}

QPixmap load_pixmap(const std::filesystem::path& path) {
  if (path.empty()) return {};
  return QPixmap(QString::fromStdString(path.string()));
}

QColor to_qcolor(const app::ThemeColour& colour) { return QColor(colour.red, colour.green, colour.blue); }

QColor colour_or(const std::optional<app::ThemeColour>& colour, const QColor& system) {
  return colour ? to_qcolor(*colour) : system;
}

// Stretches a vertical edge between its fixed top and bottom parts.
void draw_vertical_edge(QPainter& painter, const QPixmap& edge, int x, int height, int fixed_top,
                        int fixed_bottom) {
  draw_nine_slice(painter, QRect(x, 0, edge.width(), height), edge, edge.rect(), 0, fixed_top, 0,
                  fixed_bottom);
}

void draw_horizontal_edge(QPainter& painter, const QPixmap& edge, const QRect& target, int fixed_left,
                          int fixed_right) {
  draw_nine_slice(painter, target, edge, edge.rect(), fixed_left, 0, fixed_right, 0);
}

}  // namespace

void draw_nine_slice(QPainter& painter, const QRect& target, const QPixmap& source, const QRect& source_rect,
                     int left, int top, int right, int bottom) {
  if (source.isNull() || target.isEmpty()) return;
  // Borders wider than the picture or the target shrink to what fits.
  left = std::clamp(left, 0, std::min(source_rect.width(), target.width()));
  right = std::clamp(right, 0, std::min(source_rect.width() - left, target.width() - left));
  top = std::clamp(top, 0, std::min(source_rect.height(), target.height()));
  bottom = std::clamp(bottom, 0, std::min(source_rect.height() - top, target.height() - top));
  const int sx[4] = {source_rect.left(), source_rect.left() + left, source_rect.right() + 1 - right,
                     source_rect.right() + 1};
  const int sy[4] = {source_rect.top(), source_rect.top() + top, source_rect.bottom() + 1 - bottom,
                     source_rect.bottom() + 1};
  const int tx[4] = {target.left(), target.left() + left, target.right() + 1 - right, target.right() + 1};
  const int ty[4] = {target.top(), target.top() + top, target.bottom() + 1 - bottom, target.bottom() + 1};
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 3; ++column) {
      const QRect from(sx[column], sy[row], sx[column + 1] - sx[column], sy[row + 1] - sy[row]);
      const QRect to(tx[column], ty[row], tx[column + 1] - tx[column], ty[row + 1] - ty[row]);
      if (!from.isEmpty() && !to.isEmpty()) painter.drawPixmap(to, source, from);
    }
  }
}

void SkinnedFrame::set_dialog_theme(std::filesystem::path theme_file) {
  dialog_theme() = std::move(theme_file);
}

SkinnedFrame* SkinnedFrame::skin_dialog(QDialog* dialog) {
  if (dialog_theme().empty()) return nullptr;
  return apply(dialog, dialog_theme());
}

SkinnedFrame* SkinnedFrame::apply(QWidget* window, const std::filesystem::path& theme_file) {
  if (auto* existing = window->findChild<SkinnedFrame*>(QString(), Qt::FindDirectChildrenOnly)) {
    existing->load(theme_file);
    return existing;
  }
  return new SkinnedFrame(window, theme_file);
}

SkinnedFrame::SkinnedFrame(QWidget* window, const std::filesystem::path& theme_file)
    : QObject(window), window_(window) {
  load(theme_file);
  if (top_.isNull()) return;  // without a complete frame the window keeps the system's
  window_->setWindowFlag(Qt::FramelessWindowHint, true);
  window_->setAttribute(Qt::WA_Hover, true);
  window_->setMouseTracking(true);
  window_->installEventFilter(this);
  skin_push_buttons();
}

void SkinnedFrame::load(const std::filesystem::path& theme_file) {
  theme_ = app::load_theme(theme_file, [](const std::filesystem::path& path) {
    return !QImage(QString::fromStdString(path.string())).isNull();
  });
  const app::FrameTheme& frame = theme_.frame;
  top_ = left_ = right_ = bottom_ = QPixmap();
  buttons_.clear();
  if (frame.has_edges()) {
    top_ = load_pixmap(frame.top);
    left_ = load_pixmap(frame.left);
    right_ = load_pixmap(frame.right);
    bottom_ = load_pixmap(frame.bottom);
    for (const app::CaptionButton& button : frame.buttons)
      buttons_.push_back({button, load_pixmap(button.image)});
  }
  background_ = load_pixmap(frame.dialog_bitmap);

  QPalette palette = window_->palette();
  if (frame.background) palette.setColor(QPalette::Window, to_qcolor(*frame.background));
  window_->setPalette(palette);
  if (!top_.isNull()) {
    // The edges take room outside the client area: the window grows by them, fixed size or not.
    const QMargins before = window_->contentsMargins();
    window_->setContentsMargins(left_.width(), top_.height(), right_.width(), bottom_.height());
    const QMargins after = window_->contentsMargins();
    const QSize grow(after.left() + after.right() - before.left() - before.right(),
                     after.top() + after.bottom() - before.top() - before.bottom());
    // A window that was never sized takes its layout's size, frame included, when it is shown;
    // growing it now would stretch the default size of a window not yet laid out.
    if (window_->minimumSize() == window_->maximumSize() && !window_->minimumSize().isEmpty()) {
      window_->setFixedSize(window_->minimumSize() + grow);
    } else if (window_->testAttribute(Qt::WA_Resized)) {
      window_->resize(window_->size() + grow);
    }
  }
  window_->update();
  update_shape();
}

QRect SkinnedFrame::caption_button_rect(std::size_t index) const {
  if (index >= buttons_.size()) return {};
  const auto& [button, strip] = buttons_[index];
  const int width = strip.width() / std::max(theme_.frame.button_image_count, 1);
  // Negative places count from the window's right edge, so buttons stay in the corner at any width.
  const int right = button.x < 0 ? window_->width() + button.x : button.x;
  return QRect(right - width, button.y, width, strip.height());
}

int SkinnedFrame::hit_caption_button(QPoint position) const {
  for (std::size_t i = 0; i < buttons_.size(); ++i) {
    if (caption_button_rect(i).contains(position)) return static_cast<int>(i);
  }
  return -1;
}

void SkinnedFrame::paint_frame(QPainter& painter, bool active) const {
  const app::FrameTheme& frame = theme_.frame;
  const int width = window_->width();
  const int height = window_->height();
  const QRect client = window_->contentsRect();
  if (!background_.isNull()) {
    painter.fillRect(client, window_->palette().color(QPalette::Window));
    painter.drawPixmap(client.topLeft(), background_);
  } else if (frame.background) {
    painter.fillRect(client, to_qcolor(*frame.background));
  }
  draw_vertical_edge(painter, left_, 0, height, frame.left_top_height, frame.left_bottom_height);
  draw_vertical_edge(painter, right_, width - right_.width(), height, frame.right_top_height,
                     frame.right_bottom_height);
  draw_horizontal_edge(painter, top_,
                       QRect(left_.width(), 0, width - left_.width() - right_.width(), top_.height()),
                       frame.top_top_height, frame.top_bottom_height);
  draw_horizontal_edge(painter, bottom_,
                       QRect(left_.width(), height - bottom_.height(), width - left_.width() - right_.width(),
                             bottom_.height()),
                       frame.bottom_top_height, frame.bottom_bottom_height);

  QIcon icon = window_->windowIcon();
  if (icon.isNull()) icon = QApplication::windowIcon();
  if (!icon.isNull()) icon.paint(&painter, QRect(frame.icon_x, frame.icon_y, 16, 16));

  const QString title = window_->windowTitle();
  if (!title.isEmpty() && title != QString::fromUtf8(kUncaptionedTitle)) {
    const QColor system = window_->palette().color(QPalette::HighlightedText);
    painter.setPen(active ? colour_or(frame.title_text, system)
                          : colour_or(frame.inactive_title_text, system));
    QFont font = window_->font();
    font.setBold(true);
    painter.setFont(font);
    const int left = std::max(frame.text_shift, left_.width() + 4);
    painter.drawText(QRect(left, frame.text_shift_vertical, width - left - 80, top_.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, title);
  }

  for (std::size_t i = 0; i < buttons_.size(); ++i) {
    const QPixmap& strip = buttons_[i].strip;
    if (strip.isNull()) continue;
    const int images = std::max(frame.button_image_count, 1);
    const int image_width = strip.width() / images;
    // Image 0 at rest, 1 under the pointer, 2 while pressed.
    int state = 0;
    if (pressed_ == static_cast<int>(i) && hover_ == pressed_) {
      state = 2;
    } else if (hover_ == static_cast<int>(i)) {
      state = 1;
    }
    state = std::min(state, images - 1);
    painter.drawPixmap(caption_button_rect(i).topLeft(), strip,
                       QRect(state * image_width, 0, image_width, strip.height()));
  }
}

void SkinnedFrame::update_shape() {
  if (!theme_.frame.transparent_colour || top_.isNull() || window_->width() <= 0) {
    window_->clearMask();
    return;
  }
  QImage image(window_->size(), QImage::Format_RGB32);
  image.fill(Qt::black);
  {
    QPainter painter(&image);
    paint_frame(painter, true);
    painter.fillRect(window_->contentsRect(), Qt::black);  // the client area is always opaque
  }
  const QRgb key = to_qcolor(*theme_.frame.transparent_colour).rgb();
  const QBitmap mask = QBitmap::fromImage(image.createMaskFromColor(key, Qt::MaskInColor));
  window_->setMask(QRegion(mask));
}

bool SkinnedFrame::eventFilter(QObject* watched, QEvent* event) {
  if (watched != window_) return QObject::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::Paint: {
      QPainter painter(window_);
      paint_frame(painter, window_->isActiveWindow());
      return false;  // the window paints its own client area after the frame
    }
    case QEvent::Resize:
    case QEvent::Show:
      update_shape();
      break;
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
    case QEvent::WindowTitleChange:
      window_->update(QRect(0, 0, window_->width(), top_.height()));
      break;
    case QEvent::MouseButtonPress: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() != Qt::LeftButton) break;
      const QPoint position = mouse->position().toPoint();
      pressed_ = hit_caption_button(position);
      if (pressed_ >= 0) {
        hover_ = pressed_;
        window_->update();
        return true;
      }
      if (position.y() < top_.height()) {
        dragging_ = true;
        drag_offset_ = mouse->globalPosition().toPoint() - window_->frameGeometry().topLeft();
        return true;
      }
      break;
    }
    case QEvent::MouseMove:
    case QEvent::HoverMove: {
      QPoint position;
      if (event->type() == QEvent::MouseMove) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        position = mouse->position().toPoint();
        if (dragging_) {
          window_->move(mouse->globalPosition().toPoint() - drag_offset_);
          return true;
        }
      } else {
        position = static_cast<QHoverEvent*>(event)->position().toPoint();
      }
      const int hover = hit_caption_button(position);
      if (hover != hover_) {
        hover_ = hover;
        window_->update(QRect(0, 0, window_->width(), top_.height()));
      }
      break;
    }
    case QEvent::HoverLeave:
      if (hover_ >= 0) {
        hover_ = -1;
        window_->update();
      }
      break;
    case QEvent::MouseButtonRelease: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() != Qt::LeftButton) break;
      dragging_ = false;
      const int pressed = pressed_;
      pressed_ = -1;
      if (pressed < 0) break;
      window_->update();
      if (hit_caption_button(mouse->position().toPoint()) != pressed) return true;
      switch (buttons_[static_cast<std::size_t>(pressed)].button.action) {
        case app::CaptionAction::close:
          window_->close();  // a dialog's close is its reject, so the Main window still asks first
          break;
        case app::CaptionAction::maximise:
          window_->isMaximized() ? window_->showNormal() : window_->showMaximized();
          break;
        case app::CaptionAction::minimise:
          window_->showMinimized();
          break;
      }
      return true;
    }
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

void SkinnedFrame::skin_push_buttons() {
  if (theme_.push_buttons.bitmap.empty()) return;
  // Only push buttons: check boxes, radio buttons and group boxes keep the system look.
  for (QPushButton* button : window_->findChildren<QPushButton*>()) {
    if (button->findChild<PushButtonSkin*>(QString(), Qt::FindDirectChildrenOnly)) continue;
    new PushButtonSkin(button, theme_.push_buttons, theme_.frame);
    ++skinned_buttons_;
  }
}

PushButtonSkin::PushButtonSkin(QPushButton* button, const app::PushButtonTheme& theme,
                               const app::FrameTheme& colours)
    : QObject(button), button_(button), theme_(theme), strip_(load_pixmap(theme.bitmap)) {
  if (theme_.transparent != 0 && !strip_.isNull()) {
    strip_.setMask(strip_.createMaskFromColor(QColor(255, 0, 255), Qt::MaskInColor));
  }
  text_ = colour_or(colours.button_text, button->palette().color(QPalette::ButtonText));
  button_->setAttribute(Qt::WA_Hover, true);
  button_->installEventFilter(this);
  button_->update();
}

bool PushButtonSkin::eventFilter(QObject* watched, QEvent* event) {
  if (watched != button_ || strip_.isNull()) return QObject::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::HoverEnter:
    case QEvent::HoverLeave:
      button_->update();
      break;
    case QEvent::Paint: {
      QPainter painter(button_);
      int state = 0;
      if (!button_->isEnabled()) {
        state = 3;
      } else if (button_->isDown()) {
        state = 2;
      } else if (button_->underMouse() || button_->hasFocus()) {
        state = 1;
      }
      const int width = strip_.width() / 4;
      draw_nine_slice(painter, button_->rect(), strip_, QRect(state * width, 0, width, strip_.height()),
                      theme_.left_width, theme_.top_height, theme_.right_width, theme_.bottom_height);
      painter.setPen(button_->isEnabled() ? text_ : QColor(0xd6, 0xdb, 0xe2));
      painter.setFont(button_->font());
      const QPoint shift = state == 2 ? QPoint(1, 1) : QPoint();
      painter.drawText(button_->rect().translated(shift), Qt::AlignCenter | Qt::TextShowMnemonic,
                       button_->text());
      return true;
    }
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace brindle::gui
