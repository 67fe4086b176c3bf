#pragma once

#include <QDialog>
#include <functional>

#include "core/accounts/star_member.h"

class QLabel;
class QPushButton;

namespace brindle::ports {
class TransferWindowPort;
}

namespace brindle::gui {

// The star-member window "星级会员": the terms, the application, the transfer and the ways into
// private rooms. Its decisions are the model's.
class StarMemberWindow final : public QDialog {
  Q_OBJECT
 public:
  struct Services {
    accounts::StarMemberServices flows;
    ports::TransferWindowPort& transfer_window;
    // Opens the create-room window of the private rooms; "自创房间" does nothing without it.
    std::function<void()> create_room;
  };

  explicit StarMemberWindow(Services services, QWidget* parent = nullptr);

  // The opening: the terms and the buttons by the Login mode. False when the terms could not be
  // had; the window must then not show.
  bool start();

  QLabel* deposit_label() const { return deposit_; }
  QPushButton* enter_room_button() const { return enter_room_; }
  QPushButton* apply_button() const { return apply_; }
  QPushButton* transfer_button() const { return transfer_; }
  QPushButton* create_room_button() const { return create_room_; }

 private:
  Services services_;
  accounts::StarMemberWindowModel model_;
  QLabel* deposit_ = nullptr;
  QPushButton* enter_room_ = nullptr;
  QPushButton* apply_ = nullptr;
  QPushButton* transfer_ = nullptr;
  QPushButton* create_room_ = nullptr;
};

// Opens the star-member window modally unless its terms could not be had.
void run_star_member_window(StarMemberWindow::Services services, QWidget* parent);

}  // namespace brindle::gui
