#include "gui/rooms/room_list_item_model.h"

namespace brindle::gui {
namespace {

enum Column { kName, kCreator, kColumnCount };

}  // namespace

RoomListItemModel::RoomListItemModel(const rooms::RoomListModel& rooms, std::vector<QPixmap> icons,
                                     QObject* parent)
    : QAbstractItemModel(parent), rooms_(rooms), icons_(std::move(icons)) {
  rebuild_nodes();
}

void RoomListItemModel::end_fill() {
  rebuild_nodes();
  endResetModel();
}

void RoomListItemModel::rebuild_nodes() {
  groups_.assign(rooms_.rows().groups.size(), Node{});
  for (std::size_t i = 0; i < groups_.size(); ++i) groups_[i].row = static_cast<int>(i);
}

QModelIndex RoomListItemModel::index(int row, int column, const QModelIndex& parent) const {
  if (row < 0 || column < 0 || column >= kColumnCount) return {};
  if (!parent.isValid()) {
    if (static_cast<std::size_t>(row) >= groups_.size()) return {};
    return createIndex(row, column, &root_);
  }
  if (parent.internalPointer() != &root_ || parent.row() >= static_cast<int>(groups_.size())) return {};
  const auto group = static_cast<std::size_t>(parent.row());
  if (static_cast<std::size_t>(row) >= rooms_.rows().groups[group].rows.size()) return {};
  return createIndex(row, column, &groups_[group]);
}

QModelIndex RoomListItemModel::parent(const QModelIndex& child) const {
  if (!child.isValid() || child.internalPointer() == &root_) return {};
  const auto* node = static_cast<const Node*>(child.internalPointer());
  return createIndex(node->row, 0, &root_);
}

int RoomListItemModel::rowCount(const QModelIndex& parent) const {
  if (!parent.isValid()) return static_cast<int>(groups_.size());
  if (parent.column() != 0 || parent.internalPointer() != &root_) return 0;
  return static_cast<int>(rooms_.rows().groups[static_cast<std::size_t>(parent.row())].rows.size());
}

int RoomListItemModel::columnCount(const QModelIndex&) const { return kColumnCount; }

QVariant RoomListItemModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const auto& groups = rooms_.rows().groups;
  if (index.internalPointer() == &root_) {
    const rooms::RoomGroup& group = groups[static_cast<std::size_t>(index.row())];
    if (role == Qt::DisplayRole && index.column() == kName) return QString::fromStdString(group.caption);
    if (role == Qt::DecorationRole && index.column() == kName && !icons_.empty()) return icons_.front();
    return {};
  }
  const auto* node = static_cast<const Node*>(index.internalPointer());
  const rooms::RoomRow& row =
      groups[static_cast<std::size_t>(node->row)].rows[static_cast<std::size_t>(index.row())];
  if (role == Qt::DisplayRole)
    return QString::fromStdString(index.column() == kName ? row.name : row.creator);
  // A second picture in the strip marks the rooms; with one, rooms share the groups' picture.
  if (role == Qt::DecorationRole && index.column() == kName && !icons_.empty())
    return icons_.size() > 1 ? icons_[1] : icons_.front();
  return {};
}

QVariant RoomListItemModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  if (section == kName) return QString::fromUtf8(rooms::kRoomNameColumn);
  if (section == kCreator) return QString::fromUtf8(rooms::kCreatorColumn);
  return {};
}

std::optional<rooms::RoomRowIndex> RoomListItemModel::room_row(const QModelIndex& index) const {
  if (!index.isValid() || index.internalPointer() == &root_) return std::nullopt;
  const auto* node = static_cast<const Node*>(index.internalPointer());
  return rooms::RoomRowIndex{static_cast<std::size_t>(node->row), static_cast<std::size_t>(index.row())};
}

QModelIndex RoomListItemModel::index_of(const rooms::RoomRowIndex& row) const {
  return index(static_cast<int>(row.row), 0, index(static_cast<int>(row.group), 0));
}

}  // namespace brindle::gui
