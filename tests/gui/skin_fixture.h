#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <filesystem>
#include <fstream>
#include <string>

namespace brindle::testing {

inline void write_bitmap(const std::filesystem::path& path, int width, int height, const QColor& fill,
                         bool magenta_corner = false) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(fill);
  if (magenta_corner) image.setPixelColor(0, 0, QColor(255, 0, 255));
  image.save(QString::fromStdString(path.string()), "BMP");
}

// A small dialog theme: 24-pixel caption, 4-pixel edges with a magenta outer corner, a 16 × 14
// close button placed 2 pixels from the right edge, and a push-button strip.
inline void write_dialog_theme(const std::filesystem::path& folder) {
  write_bitmap(folder / "top.bmp", 50, 24, Qt::darkBlue);
  write_bitmap(folder / "left.bmp", 4, 50, Qt::darkBlue, true);
  write_bitmap(folder / "right.bmp", 4, 50, Qt::darkBlue);
  write_bitmap(folder / "bottom.bmp", 50, 4, Qt::darkBlue);
  write_bitmap(folder / "close.bmp", 48, 14, Qt::red);
  write_bitmap(folder / "button.bmp", 160, 24, Qt::blue);
  std::ofstream(folder / "theme.ini") << "[Personality]\nTop=top.bmp\nLeft=left.bmp\nRight=right.bmp\n"
                                         "Bottom=bottom.bmp\nLeftTopHeight=24\nButtonCount=1\nUsesTran=1\n"
                                         "[Button0]\nButtonImage=close.bmp\nAction=0\nXCoord=-2\nYCoord=4\n"
                                         "[Buttons]\nBitmap=button.bmp\nLeftWidth=4\nRightWidth=4\n";
}

}  // namespace brindle::testing
