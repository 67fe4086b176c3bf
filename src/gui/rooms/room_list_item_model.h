#pragma once

#include <QAbstractItemModel>
#include <QPixmap>
#include <optional>
#include <vector>

#include "core/rooms/room_list.h"

namespace brindle::gui {

// The room list as a Qt tree: a group row per position run, its rooms below, the columns "房间名称"
// and "创建者". A room row's internal pointer is its group's node, a group row's the root.
class RoomListItemModel final : public QAbstractItemModel {
  Q_OBJECT
 public:
  RoomListItemModel(const rooms::RoomListModel& rooms, std::vector<QPixmap> icons, QObject* parent = nullptr);

  // Call around RoomListModel::fill().
  void begin_fill() { beginResetModel(); }
  void end_fill();

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

  // The room row behind an index; nothing for a group row or no index.
  std::optional<rooms::RoomRowIndex> room_row(const QModelIndex& index) const;
  QModelIndex index_of(const rooms::RoomRowIndex& row) const;

 private:
  struct Node {
    int row = -1;  // the group's row, -1 for the root
  };

  void rebuild_nodes();

  const rooms::RoomListModel& rooms_;
  std::vector<QPixmap> icons_;
  Node root_;
  std::vector<Node> groups_;
};

}  // namespace brindle::gui
