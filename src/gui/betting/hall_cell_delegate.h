#pragma once

#include <QPixmap>
#include <QStyledItemDelegate>
#include <filesystem>
#include <vector>

namespace brindle::gui {

// Draws a hall's picture cells from the skin's cell image lists ("beton.bmp": bet, history and
// trend, 54×17; "more.bmp": 77×20), magenta transparent, and marks a price that moved since the
// previous refresh with a small arrow. Without the bitmaps the cells draw a plain captioned pill.
class HallCellDelegate final : public QStyledItemDelegate {
  Q_OBJECT
 public:
  HallCellDelegate(const std::filesystem::path& skin_folder, QObject* parent = nullptr);

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

  bool has_cell_images() const { return !cells_.empty(); }

 private:
  std::vector<QPixmap> cells_;  // bet, history, trend
  std::vector<QPixmap> more_;   // more
};

// The images of a strip cut into cells of one width, with magenta made transparent.
std::vector<QPixmap> load_cell_images(const std::filesystem::path& file, int cell_width, int cell_height);

}  // namespace brindle::gui
