#pragma once

#include <QDialog>
#include <filesystem>

#include "core/rooms/room_list.h"

class QPushButton;
class QTreeView;

namespace brindle::gui {

class RoomListItemModel;

// "进入私人房间": the rooms grouped by position, "自创房间", "进入房间" (default), "刷新列表" and
// "退出". Accepted once the user has entered a room. The list is read when the window opens.
class RoomListWindow final : public QDialog {
  Q_OBJECT
 public:
  // `skin_folder` holds hall.bmp, the rows' 16×16 pictures.
  RoomListWindow(rooms::RoomListServices services, const std::filesystem::path& skin_folder,
                 QWidget* parent = nullptr);

  rooms::RoomListModel& model() { return model_; }
  QTreeView* list() const { return list_; }
  RoomListItemModel* items() const { return items_; }
  QPushButton* create_button() const { return create_; }
  QPushButton* enter_button() const { return enter_; }
  QPushButton* refresh_button() const { return refresh_; }

  // "刷新列表": reads the list and selects the user's last room.
  void fill();
  // "进入房间" on the selected row.
  void enter();
  // "自创房间".
  void create();

 private:
  // After a reading: every group open, the user's last room selected, the focus in the list.
  void show_rows();

  rooms::RoomListModel model_;
  QTreeView* list_ = nullptr;
  RoomListItemModel* items_ = nullptr;
  QPushButton* create_ = nullptr;
  QPushButton* enter_ = nullptr;
  QPushButton* refresh_ = nullptr;
};

// The halls' private-room command: the room list over `parent`; true when the user entered a room
// (the session room values are then in the Client context).
bool choose_private_room(protocol::Session& session, ports::MessagePort& messages,
                         const std::filesystem::path& skin_folder, QWidget* parent);

}  // namespace brindle::gui
