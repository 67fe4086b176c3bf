#include "gui/rooms/create_room_window.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/rooms/create_room.h"
#include "gui/ui/skinned_frame.h"

namespace brindle::gui {

CreateRoomWindow::CreateRoomWindow(const ports::CreateRoomContent& content,
                                   const ports::CreateRoomEntries& kept, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(QStringLiteral("创建房间"));
  setModal(true);

  auto* group = new QGroupBox(QStringLiteral("说明"), this);
  explanation_ = new QLabel(QString::fromStdString(content.explanation), group);
  explanation_->setObjectName("explanation");
  explanation_->setWordWrap(true);
  auto* group_layout = new QVBoxLayout(group);
  group_layout->addWidget(explanation_);

  position_label_ = new QLabel(QString::fromStdString(content.position_label), this);
  positions_ = new QComboBox(this);
  positions_->setObjectName("positions");
  for (const auto& name : content.positions) positions_->addItem(QString::fromStdString(name));
  positions_->setCurrentIndex(kept.position < positions_->count() ? kept.position : -1);
  position_label_->setBuddy(positions_);
  position_label_->setVisible(content.position_visible);
  positions_->setVisible(content.position_visible);

  auto* name_label = new QLabel(QStringLiteral("房间起名："), this);
  name_ = new QLineEdit(this);
  name_->setObjectName("roomName");
  name_->setMaxLength(static_cast<int>(rooms::kRoomNameLimit));
  name_->setText(QString::fromStdString(kept.name));
  name_->setEnabled(content.can_submit);
  name_label->setBuddy(name_);

  submit_ = new QPushButton(QStringLiteral("提交"), this);
  submit_->setObjectName("submitButton");
  submit_->setDefault(true);
  submit_->setEnabled(content.can_submit);
  auto* cancel = new QPushButton(QStringLiteral("取消"), this);
  cancel->setObjectName("cancelButton");
  connect(submit_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* form = new QGridLayout;
  form->addWidget(position_label_, 0, 0);
  form->addWidget(positions_, 0, 1);
  form->addWidget(name_label, 1, 0);
  form->addWidget(name_, 1, 1);
  form->setColumnStretch(1, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(submit_);
  buttons->addWidget(cancel);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group);
  layout->addLayout(form);
  layout->addStretch();
  layout->addLayout(buttons);
  setFixedSize(360, 230);
  name_->setFocus();
  SkinnedFrame::skin_dialog(this);
}

ports::CreateRoomEntries CreateRoomWindow::entries() const {
  return {positions_->currentIndex(), name_->text().toStdString()};
}

std::optional<ports::CreateRoomEntries> CreateRoomWindowPortImpl::ask_new_room(
    const ports::CreateRoomContent& content, const ports::CreateRoomEntries& kept) {
  CreateRoomWindow window(content, kept, owner_);
  if (window.exec() != QDialog::Accepted) return std::nullopt;
  return window.entries();
}

bool create_room(protocol::Session& session, ports::MessagePort& messages, QWidget* parent) {
  CreateRoomWindowPortImpl window(parent);
  return rooms::create_room(session, messages, window);
}

}  // namespace brindle::gui
