#pragma once

#include <QColor>
#include <QImage>
#include <QString>

namespace brindle::skin {

// One visual language for every bitmap: deep navy surfaces, a blue action colour, gold accents.
namespace palette {
inline const QColor kNavyDeep{0x0b, 0x1f, 0x3a};
inline const QColor kNavy{0x12, 0x32, 0x5c};
inline const QColor kBlue{0x1f, 0x5a, 0xa6};
inline const QColor kBlueLight{0x2f, 0x74, 0xd0};
inline const QColor kGold{0xf2, 0xb4, 0x41};
inline const QColor kRed{0xc0, 0x39, 0x2b};
inline const QColor kGreen{0x1e, 0x8e, 0x5a};
inline const QColor kPaper{0xf4, 0xf6, 0xfa};
inline const QColor kLine{0xd5, 0xdc, 0xe6};
inline const QColor kMagenta{0xff, 0x00, 0xff};
}  // namespace palette

// Bitmap button states in the order of their file numbers.
enum class ButtonState { normal = 0, hover = 1, pressed = 2, disabled = 3 };

struct ButtonStyle {
  QColor base = palette::kBlue;
  QColor backdrop = palette::kNavyDeep;  // what shows around the rounded corners
  int pixel_size = 13;
  int radius = 4;
};

QImage blank(int width, int height, const QColor& fill);
// A rounded button face with its caption, in one state.
QImage button_face(const QString& caption, int width, int height, ButtonState state,
                   const ButtonStyle& style);
// Draws a caption centred in a rectangle with the skin's CJK font.
void draw_caption(QImage& image, const QRect& rect, const QString& caption, const QColor& colour,
                  int pixel_size, bool bold = true, Qt::Alignment alignment = Qt::AlignCenter);
// Writes a Windows bitmap (24 bits, no alpha); false when the file could not be written.
bool save_bitmap(const QImage& image, const QString& path);

}  // namespace brindle::skin
