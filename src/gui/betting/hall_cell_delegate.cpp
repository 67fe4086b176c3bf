#include "gui/betting/hall_cell_delegate.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "core/betting/hall_model.h"
#include "gui/betting/hall_item_model.h"

namespace brindle::gui {
namespace {

constexpr int kCellWidth = 54;
constexpr int kCellHeight = 17;
constexpr int kMoreWidth = 77;
constexpr int kMoreHeight = 20;
const QColor kUpColour(0xd0, 0x21, 0x21);
const QColor kDownColour(0x1f, 0x8a, 0x3a);

const char* fallback_caption(betting::CellKind kind) {
  switch (kind) {
    case betting::CellKind::kBetButton:
      return "投注";
    case betting::CellKind::kHistoryButton:
      return "历史";
    case betting::CellKind::kTrendButton:
      return "走势";
    case betting::CellKind::kMoreButton:
      return "更多";
    case betting::CellKind::kText:
      return "";
  }
  return "";
}

}  // namespace

std::vector<QPixmap> load_cell_images(const std::filesystem::path& file, int cell_width, int cell_height) {
  QImage strip(QString::fromStdString(file.string()));
  std::vector<QPixmap> out;
  if (strip.isNull()) return out;
  strip = strip.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < strip.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(strip.scanLine(y));
    for (int x = 0; x < strip.width(); ++x) {
      if ((line[x] & 0x00ffffff) == 0x00ff00ff) line[x] = 0;
    }
  }
  for (int x = 0; x + cell_width <= strip.width(); x += cell_width) {
    out.push_back(QPixmap::fromImage(strip.copy(x, 0, cell_width, std::min(cell_height, strip.height()))));
  }
  return out;
}

HallCellDelegate::HallCellDelegate(const std::filesystem::path& skin_folder, QObject* parent)
    : QStyledItemDelegate(parent),
      cells_(load_cell_images(skin_folder / "beton.bmp", kCellWidth, kCellHeight)),
      more_(load_cell_images(skin_folder / "more.bmp", kMoreWidth, kMoreHeight)) {}

void HallCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
  const QVariant kind_value = index.data(HallItemModel::kCellKindRole);
  if (!kind_value.isValid()) {
    QStyledItemDelegate::paint(painter, option, index);
    return;
  }
  const auto kind = static_cast<betting::CellKind>(kind_value.toInt());
  if (kind == betting::CellKind::kText) {
    QStyledItemDelegate::paint(painter, option, index);
    const auto move = static_cast<betting::PriceMove>(index.data(HallItemModel::kPriceMoveRole).toInt());
    if (move == betting::PriceMove::kNone) return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    const QRect r = option.rect;
    const int x = r.right() - 9;
    const int y = r.center().y();
    QPolygon arrow;
    if (move == betting::PriceMove::kUp) {
      painter->setBrush(kUpColour);
      arrow << QPoint(x, y + 3) << QPoint(x + 6, y + 3) << QPoint(x + 3, y - 3);
    } else {
      painter->setBrush(kDownColour);
      arrow << QPoint(x, y - 3) << QPoint(x + 6, y - 3) << QPoint(x + 3, y + 3);
    }
    painter->drawPolygon(arrow);
    painter->restore();
    return;
  }

  // Picture cells: the selection and focus of the row still show behind the picture.
  QStyleOptionViewItem plain = option;
  initStyleOption(&plain, index);
  plain.text.clear();
  QStyledItemDelegate::paint(painter, plain, QModelIndex());
  const std::vector<QPixmap>& images = kind == betting::CellKind::kMoreButton ? more_ : cells_;
  const std::size_t image = kind == betting::CellKind::kHistoryButton ? 1
                            : kind == betting::CellKind::kTrendButton ? 2
                                                                      : 0;
  if (image < images.size()) {
    const QPixmap& pixmap = images[image];
    const QPoint at(option.rect.center().x() - pixmap.width() / 2,
                    option.rect.center().y() - pixmap.height() / 2);
    painter->drawPixmap(at, pixmap);
  } else {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QRect pill(option.rect.center().x() - 24, option.rect.center().y() - 8, 48, 16);
    QPainterPath path;
    path.addRoundedRect(pill, 8, 8);
    painter->fillPath(path, QColor(0xd9, 0x6a, 0x0b));
    painter->setPen(Qt::white);
    painter->drawText(pill, Qt::AlignCenter, QString::fromUtf8(fallback_caption(kind)));
    painter->restore();
  }
  if (option.state & QStyle::State_HasFocus) {
    painter->save();
    painter->setPen(QPen(QColor(0x12, 0x32, 0x5c), 1, Qt::DotLine));
    painter->drawRect(option.rect.adjusted(1, 1, -2, -2));
    painter->restore();
  }
}

QSize HallCellDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
  QSize size = QStyledItemDelegate::sizeHint(option, index);
  size.setHeight(std::max(size.height(), kMoreHeight + 4));
  return size;
}

}  // namespace brindle::gui
