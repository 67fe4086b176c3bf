#include "gui/rooms/room_password_window.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/net/masked_password_box.h"
#include "gui/ui/skinned_frame.h"

namespace brindle::gui {

RoomPasswordWindow::RoomPasswordWindow(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("输入房间密码"));
  setModal(true);
  auto* label = new QLabel(QStringLiteral("请输入房间密码："), this);
  box_ = new MaskedPasswordBox(this);
  box_->setObjectName("roomPassword");
  label->setBuddy(box_);

  auto* ok = new QPushButton(QStringLiteral("确认"), this);
  ok->setObjectName("okButton");
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("取消"), this);
  cancel->setObjectName("cancelButton");
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* row = new QHBoxLayout;
  row->addWidget(label);
  row->addWidget(box_, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addLayout(buttons);
  setFixedSize(300, 110);
  box_->setFocus();
  SkinnedFrame::skin_dialog(this);
}

std::optional<std::string> RoomPasswordWindowPort::ask_room_password() {
  RoomPasswordWindow window(owner_);
  if (window.exec() != QDialog::Accepted) return std::nullopt;
  return window.password_box()->keptText();
}

}  // namespace brindle::gui
