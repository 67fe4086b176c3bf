#pragma once

#include <QAbstractItemModel>
#include <cstddef>
#include <optional>
#include <vector>

namespace brindle::betting {
class HallModel;
}

namespace brindle::gui {

// A hall's grouped list as a Qt tree: groups at the top level, their lines below. An index's
// internal pointer is its parent's node (the root for a group), so that parent() is a lookup and
// expanding thousands of rows stays cheap. The model reads every text from the hall; it is reset
// whenever the hall replaces its lines.
class HallItemModel final : public QAbstractItemModel {
  Q_OBJECT
 public:
  enum Role {
    kCellKindRole = Qt::UserRole + 1,  // betting::CellKind as int
    kPriceMoveRole,                    // betting::PriceMove as int
    kActionCellRole,                   // bool: a click here does something
  };

  explicit HallItemModel(betting::HallModel& hall, int skin_size_mode, QObject* parent = nullptr);

  void begin_change();
  void end_change();

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // The hall's line behind an index of a line row; nothing for a group row.
  std::optional<std::size_t> line_of(const QModelIndex& index) const;
  bool is_group(const QModelIndex& index) const;
  int column_width(int column) const;

 private:
  struct Node {
    const Node* parent = nullptr;
    int row = 0;
  };
  void rebuild_nodes();

  betting::HallModel& hall_;
  int skin_size_mode_;
  Node root_;
  std::vector<Node> groups_;
};

}  // namespace brindle::gui
