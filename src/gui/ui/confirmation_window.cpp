#include "gui/ui/confirmation_window.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/ui/skinned_frame.h"

namespace brindle::gui {

ConfirmationWindow::ConfirmationWindow(const ports::ConfirmationRequest& request, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(QString::fromStdString(request.title));
  setModal(true);

  auto* group = new QGroupBox(QStringLiteral("确认信息"), this);
  text_ = new QLabel(QString::fromStdString(request.text), group);
  text_->setObjectName("confirmationText");
  text_->setWordWrap(true);
  text_->setAlignment(Qt::AlignCenter);
  QFont font = text_->font();
  font.setPointSize(request.font_size);
  font.setBold(request.bold);
  text_->setFont(font);
  auto* group_layout = new QVBoxLayout(group);
  group_layout->addWidget(text_);

  auto* ok = new QPushButton(QStringLiteral("确认"), this);
  ok->setObjectName("okButton");
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("取消"), this);
  cancel->setObjectName("cancelButton");
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group);
  layout->addLayout(buttons);
  setMinimumWidth(320);
  SkinnedFrame::skin_dialog(this);
}

bool ConfirmationWindowPort::confirm(const ports::ConfirmationRequest& request) {
  ConfirmationWindow window(request, parent_);
  return window.exec() == QDialog::Accepted;
}

}  // namespace brindle::gui
