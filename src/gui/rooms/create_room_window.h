#pragma once

#include <QDialog>

#include "core/ports/room_windows_port.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace brindle::ports {
class MessagePort;
}
namespace brindle::protocol {
struct Session;
}

namespace brindle::gui {

// "创建房间": the "说明" line, the position drop-down list under its label and the name box.
class CreateRoomWindow final : public QDialog {
  Q_OBJECT
 public:
  CreateRoomWindow(const ports::CreateRoomContent& content, const ports::CreateRoomEntries& kept,
                   QWidget* parent = nullptr);

  ports::CreateRoomEntries entries() const;
  QLabel* explanation() const { return explanation_; }
  QLabel* position_label() const { return position_label_; }
  QComboBox* positions() const { return positions_; }
  QLineEdit* name_box() const { return name_; }
  QPushButton* submit_button() const { return submit_; }

 private:
  QLabel* explanation_ = nullptr;
  QLabel* position_label_ = nullptr;
  QComboBox* positions_ = nullptr;
  QLineEdit* name_ = nullptr;
  QPushButton* submit_ = nullptr;
};

// A fresh create-room window for every showing.
class CreateRoomWindowPortImpl final : public ports::CreateRoomWindowPort {
 public:
  explicit CreateRoomWindowPortImpl(QWidget* owner = nullptr) : owner_(owner) {}
  std::optional<ports::CreateRoomEntries> ask_new_room(const ports::CreateRoomContent& content,
                                                       const ports::CreateRoomEntries& kept) override;
  void set_owner(QWidget* owner) { owner_ = owner; }

 private:
  QWidget* owner_;
};

// "自创房间" from any window: the whole create-room sequence over `parent`. True when a room was made.
bool create_room(protocol::Session& session, ports::MessagePort& messages, QWidget* parent);

}  // namespace brindle::gui
