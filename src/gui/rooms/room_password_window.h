#pragma once

#include <QDialog>

#include "core/ports/room_windows_port.h"

namespace brindle::gui {

class MaskedPasswordBox;

// "输入房间密码": one masked box, "确认" and "取消".
class RoomPasswordWindow final : public QDialog {
  Q_OBJECT
 public:
  explicit RoomPasswordWindow(QWidget* parent = nullptr);
  MaskedPasswordBox* password_box() const { return box_; }

 private:
  MaskedPasswordBox* box_ = nullptr;
};

class RoomPasswordWindowPort final : public ports::RoomPasswordPort {
 public:
  explicit RoomPasswordWindowPort(QWidget* owner = nullptr) : owner_(owner) {}
  std::optional<std::string> ask_room_password() override;
  void set_owner(QWidget* owner) { owner_ = owner; }

 private:
  QWidget* owner_;
};

}  // namespace brindle::gui
