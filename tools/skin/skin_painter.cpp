#include "skin/skin_painter.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace brindle::skin {

namespace {

QFont caption_font(int pixel_size, bool bold) {
  QFont font(QStringLiteral("Noto Sans CJK SC"));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(pixel_size);
  font.setBold(bold);
  font.setHintingPreference(QFont::PreferFullHinting);  // crisp stems at small sizes
  return font;
}

}  // namespace

QImage blank(int width, int height, const QColor& fill) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(fill);
  return image;
}

void draw_caption(QImage& image, const QRect& rect, const QString& caption, const QColor& colour,
                  int pixel_size, bool bold, Qt::Alignment alignment) {
  QPainter painter(&image);
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.setFont(caption_font(pixel_size, bold));
  painter.setPen(colour);
  painter.drawText(rect, static_cast<int>(alignment), caption);
}

QImage button_face(const QString& caption, int width, int height, ButtonState state,
                   const ButtonStyle& style) {
  QImage image = blank(width, height, style.backdrop);
  QColor top = style.base.lighter(118);
  QColor bottom = style.base.darker(112);
  QColor text = Qt::white;
  QColor border = style.base.darker(150);
  switch (state) {
    case ButtonState::normal:
      break;
    case ButtonState::hover:
      top = style.base.lighter(140);
      bottom = style.base.lighter(105);
      border = palette::kGold;
      break;
    case ButtonState::pressed:
      top = style.base.darker(135);
      bottom = style.base.darker(110);
      text = palette::kGold;
      break;
    case ButtonState::disabled:
      top = QColor(0x8d, 0x96, 0xa5);
      bottom = QColor(0x74, 0x7d, 0x8b);
      text = QColor(0xd6, 0xdb, 0xe2);
      border = QColor(0x5f, 0x67, 0x73);
      break;
  }
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF face(0.5, 0.5, width - 1.0, height - 1.0);
    QLinearGradient gradient(0, 0, 0, height);
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    QPainterPath path;
    path.addRoundedRect(face, style.radius, style.radius);
    painter.fillPath(path, gradient);
    painter.setPen(QPen(border, 1));
    painter.drawPath(path);
    if (state == ButtonState::normal || state == ButtonState::hover) {
      painter.setPen(QPen(QColor(255, 255, 255, 60), 1));  // a thin top light gives the face depth
      painter.drawLine(QPointF(style.radius, 1.5), QPointF(width - style.radius, 1.5));
    }
    if (state == ButtonState::hover) {
      painter.setPen(QPen(palette::kGold, 2));
      painter.drawLine(QPointF(style.radius + 2, height - 2.0),
                       QPointF(width - style.radius - 2, height - 2.0));
    }
  }
  const int shift = state == ButtonState::pressed ? 1 : 0;
  draw_caption(image, QRect(shift, shift, width, height), caption, text, style.pixel_size);
  return image;
}

bool save_bitmap(const QImage& image, const QString& path) {
  return image.convertToFormat(QImage::Format_RGB888).save(path, "BMP");
}

}  // namespace brindle::skin
