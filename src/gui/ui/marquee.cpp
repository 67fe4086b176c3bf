#include "gui/ui/marquee.h"

#include <QPainter>

namespace brindle::gui {

Marquee::Marquee(QWidget* parent) : QWidget(parent) {
  timer_.setInterval(30);
  connect(&timer_, &QTimer::timeout, this, &Marquee::step);
  setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void Marquee::set_text(const QString& text) {
  if (text == text_) return;
  text_ = text;
  offset_ = 0;
  update();
}

void Marquee::step() {
  const int text_width = fontMetrics().horizontalAdvance(text_);
  offset_ += speed_;
  if (offset_ > width() + text_width) offset_ = 0;  // fully gone on the left: enter again on the right
  update();
}

void Marquee::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(palette().color(QPalette::WindowText));
  const int x = width() - offset_;
  painter.drawText(QRect(x, 0, fontMetrics().horizontalAdvance(text_) + 4, height()),
                   Qt::AlignLeft | Qt::AlignVCenter, text_);
}

void Marquee::showEvent(QShowEvent* event) {
  timer_.start();
  QWidget::showEvent(event);
}

void Marquee::hideEvent(QHideEvent* event) {
  timer_.stop();  // no repaints for a line nobody sees
  QWidget::hideEvent(event);
}

}  // namespace brindle::gui
