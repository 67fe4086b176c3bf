#include "gui/ui/bitmap_button.h"

#include <QPainter>

#include "core/app/main_window_commands.h"

namespace brindle::gui {

BitmapButton::BitmapButton(int control, const QString& caption, QWidget* parent)
    : QAbstractButton(parent), control_(control) {
  setText(caption);
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::NoFocus);
}

void BitmapButton::load_states(const std::filesystem::path& folder, const std::string& prefix) {
  prefix_ = prefix;
  for (int state = 0; state < 4; ++state) {
    states_[static_cast<std::size_t>(state)] =
        QPixmap(QString::fromStdString((folder / app::button_bitmap_name(prefix, state)).string()));
  }
  if (!states_[0].isNull()) setFixedSize(states_[0].size());
  update();
}

void BitmapButton::load_picture(const std::filesystem::path& file) {
  const QPixmap picture(QString::fromStdString(file.string()));
  states_.fill(picture);
  if (!picture.isNull()) setFixedSize(picture.size());
  update();
}

void BitmapButton::load_named_states(const std::filesystem::path& folder,
                                     const std::array<std::string, 3>& files) {
  prefix_.clear();
  states_.fill(QPixmap());
  for (std::size_t state = 0; state < files.size(); ++state) {
    states_[state] = QPixmap(QString::fromStdString((folder / files[state]).string()));
  }
  if (!states_[0].isNull()) setFixedSize(states_[0].size());
  update();
}

QSize BitmapButton::sizeHint() const {
  if (!states_[0].isNull()) return states_[0].size();
  return QSize(fontMetrics().horizontalAdvance(text()) + 20, 28);
}

void BitmapButton::enterEvent(QEnterEvent* event) {
  hovered_ = true;
  update();
  QAbstractButton::enterEvent(event);
}

void BitmapButton::leaveEvent(QEvent* event) {
  hovered_ = false;
  update();
  QAbstractButton::leaveEvent(event);
}

void BitmapButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  std::size_t state = 0;
  if (!isEnabled()) {
    state = 3;
  } else if (isDown()) {
    state = 2;
  } else if (hovered_) {
    state = 1;
  }
  const QPixmap& picture = states_[state].isNull() ? states_[0] : states_[state];
  if (!picture.isNull()) {
    painter.drawPixmap(rect(), picture);
    return;
  }
  painter.fillRect(rect(), isEnabled() ? QColor(0x1f, 0x5a, 0xa6) : QColor(0x8d, 0x96, 0xa5));
  painter.setPen(Qt::white);
  painter.drawText(rect(), Qt::AlignCenter, text());
}

}  // namespace brindle::gui
