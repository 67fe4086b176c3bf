#include "gui/accounts/password_retrieval_window.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/accounts/registration_rules.h"
#include "gui/accounts/account_boxes.h"
#include "gui/ui/skinned_frame.h"

namespace brindle::gui {

constexpr char kRetrievalIntro[] = "请填写您的用户名，密码我们将通过EMAIL发送到您注册时填写的信箱里。";
constexpr int kRetrievalWidth = 360;

PasswordRetrievalWindow::PasswordRetrievalWindow(QWidget* parent) : QDialog(parent) {
  setObjectName("passwordRetrievalWindow");
  setWindowTitle(QString::fromUtf8(accounts::kRetrievalTitle));
  setModal(true);

  auto* intro = new QLabel(QString::fromUtf8(kRetrievalIntro), this);
  intro->setWordWrap(true);
  user_name_ = limited_box("userName", accounts::kUserNameBoxLimit, this);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("用户名："), user_name_);

  auto* buttons = new QDialogButtonBox(this);
  submit_ = buttons->addButton(QStringLiteral("确认"), QDialogButtonBox::AcceptRole);
  submit_->setObjectName("submit");
  submit_->setDefault(true);
  buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole)->setObjectName("cancel");
  buttons->setCenterButtons(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(intro);
  layout->addLayout(form);
  layout->addWidget(buttons);
  setMinimumWidth(kRetrievalWidth);
  user_name_->setFocus();
  SkinnedFrame::skin_dialog(this);
}

std::optional<std::string> PasswordRetrievalWindowPortImpl::ask_user_name() {
  PasswordRetrievalWindow window(owner_);
  if (window.exec() != QDialog::Accepted) return std::nullopt;
  return window.user_name_box()->text().toStdString();
}

void run_password_retrieval_window(accounts::AccountServices services, QWidget* owner) {
  PasswordRetrievalWindowPortImpl window(owner);
  accounts::run_password_retrieval(services, window);
}

}  // namespace brindle::gui
