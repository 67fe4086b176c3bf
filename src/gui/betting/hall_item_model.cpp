#include "gui/betting/hall_item_model.h"

#include "core/betting/hall_model.h"

namespace brindle::gui {
namespace {

// The tree's branch column: the hidden key column widened to hold the expander.
constexpr int kBranchColumnWidth = 22;

}  // namespace

HallItemModel::HallItemModel(betting::HallModel& hall, int skin_size_mode, QObject* parent)
    : QAbstractItemModel(parent), hall_(hall), skin_size_mode_(skin_size_mode) {
  rebuild_nodes();
}

void HallItemModel::begin_change() { beginResetModel(); }

void HallItemModel::end_change() {
  rebuild_nodes();
  endResetModel();
}

void HallItemModel::rebuild_nodes() {
  const auto& groups = hall_.list().groups();
  groups_.assign(groups.size(), Node{});
  for (std::size_t i = 0; i < groups.size(); ++i) groups_[i] = Node{&root_, static_cast<int>(i)};
}

QModelIndex HallItemModel::index(int row, int column, const QModelIndex& parent) const {
  if (row < 0 || column < 0 || column >= columnCount()) return {};
  if (!parent.isValid()) {
    if (static_cast<std::size_t>(row) >= groups_.size()) return {};
    return createIndex(row, column, &root_);
  }
  if (!is_group(parent) || parent.column() != 0) return {};
  const auto group = static_cast<std::size_t>(parent.row());
  if (static_cast<std::size_t>(row) >= hall_.list().groups()[group].lines.size()) return {};
  return createIndex(row, column, &groups_[group]);
}

QModelIndex HallItemModel::parent(const QModelIndex& child) const {
  if (!child.isValid()) return {};
  const auto* node = static_cast<const Node*>(child.internalPointer());
  if (node == &root_) return {};
  return createIndex(node->row, 0, &root_);
}

int HallItemModel::rowCount(const QModelIndex& parent) const {
  if (!parent.isValid()) return static_cast<int>(groups_.size());
  if (!is_group(parent) || parent.column() != 0) return 0;
  return static_cast<int>(hall_.list().groups()[static_cast<std::size_t>(parent.row())].lines.size());
}

int HallItemModel::columnCount(const QModelIndex&) const { return static_cast<int>(hall_.columns().size()); }

bool HallItemModel::is_group(const QModelIndex& index) const {
  return index.isValid() && index.internalPointer() == &root_;
}

std::optional<std::size_t> HallItemModel::line_of(const QModelIndex& index) const {
  if (!index.isValid() || is_group(index)) return std::nullopt;
  const auto* group = static_cast<const Node*>(index.internalPointer());
  const auto& lines = hall_.list().groups()[static_cast<std::size_t>(group->row)].lines;
  return lines[static_cast<std::size_t>(index.row())];
}

QVariant HallItemModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  if (is_group(index)) {
    if (role == Qt::DisplayRole && index.column() == 0) {
      return QString::fromStdString(hall_.list().groups()[static_cast<std::size_t>(index.row())].key);
    }
    return {};
  }
  const std::size_t line = *line_of(index);
  const auto& column = hall_.columns()[static_cast<std::size_t>(index.column())];
  switch (role) {
    case Qt::DisplayRole:
      // The key column stays blank: its width holds the tree's expander.
      if (index.column() == 0 || column.kind != betting::CellKind::kText) return {};
      return QString::fromStdString(hall_.cell_text(line, index.column()));
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    case kCellKindRole:
      return static_cast<int>(column.kind);
    case kPriceMoveRole:
      return static_cast<int>(hall_.price_move(line, index.column()));
    case kActionCellRole:
      return column.bet_cell || column.kind != betting::CellKind::kText;
    default:
      return {};
  }
}

QVariant HallItemModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columnCount())
    return {};
  return QString::fromStdString(hall_.column_title(section));
}

Qt::ItemFlags HallItemModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

int HallItemModel::column_width(int column) const {
  if (column == 0) return kBranchColumnWidth;
  const auto mode =
      static_cast<std::size_t>(skin_size_mode_ < 0 || skin_size_mode_ > 2 ? 0 : skin_size_mode_);
  return hall_.columns()[static_cast<std::size_t>(column)].widths[mode];
}

}  // namespace brindle::gui
