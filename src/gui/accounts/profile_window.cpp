#include "gui/accounts/profile_window.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/accounts/account_boxes.h"
#include "gui/net/masked_password_box.h"
#include "gui/ui/confirmation_window.h"
#include "gui/ui/skinned_frame.h"

namespace brindle::gui {
namespace {

using accounts::Field;

constexpr int kWidth = 420;

std::string text_of(const QLineEdit* box) { return box->text().toStdString(); }
QString q(const std::string& text) { return QString::fromStdString(text); }

MaskedPasswordBox* masked_box(const char* name, std::size_t limit, QWidget* parent) {
  auto* box = new MaskedPasswordBox(parent);
  box->setObjectName(name);
  box->setMaxLength(static_cast<int>(limit));
  return box;
}

void add_row(QGridLayout* grid, const char* label, QWidget* box, const char* hint = nullptr) {
  const int row = grid->rowCount();
  grid->addWidget(new QLabel(QString::fromUtf8(label)), row, 0, Qt::AlignRight);
  grid->addWidget(box, row, 1);
  if (hint) grid->addWidget(new QLabel(QString::fromUtf8(hint)), row, 2);
}

}  // namespace

ProfileWindow::ProfileWindow(accounts::ProfileForm& form, QWidget* parent) : QDialog(parent), form_(form) {
  setObjectName("profileWindow");
  setWindowTitle(QString::fromUtf8(accounts::kProfileTitle));
  setModal(true);

  auto* identity = new QGroupBox(QStringLiteral("身份验证信息"), this);
  auto* identity_grid = new QGridLayout(identity);
  user_name_ = limited_box("userName", accounts::kUserNameBoxLimit, identity);
  old_password_ = masked_box("oldPassword", accounts::kPasswordBoxLimit, identity);
  old_withdrawal_ = masked_box("oldWithdrawalPassword", accounts::kWithdrawalPasswordBoxLimit, identity);
  add_row(identity_grid, "用户名称：", user_name_);
  add_row(identity_grid, "原密码：", old_password_);
  add_row(identity_grid, "原提彩密码：", old_withdrawal_);

  auto* change = new QGroupBox(QStringLiteral("修改信息"), this);
  auto* change_grid = new QGridLayout(change);
  new_password_ = masked_box("newPassword", accounts::kPasswordBoxLimit, change);
  password_confirmation_ = masked_box("passwordConfirmation", accounts::kPasswordBoxLimit, change);
  email_ = limited_box("email", accounts::kEmailBoxLimit, change);
  new_withdrawal_ = masked_box("newWithdrawalPassword", accounts::kWithdrawalPasswordBoxLimit, change);
  withdrawal_confirmation_ =
      masked_box("withdrawalPasswordConfirmation", accounts::kWithdrawalPasswordBoxLimit, change);
  phone_ = limited_box("phone", accounts::kPhoneBoxLimit, change);
  nickname_ = limited_box("nickname", 0, change);
  nickname_->hide();
  add_row(change_grid, "新密码：", new_password_, "（6 - 12位字母或数字）");
  add_row(change_grid, "确认密码：", password_confirmation_);
  add_row(change_grid, "电子邮件：", email_);
  add_row(change_grid, "新提彩密码：", new_withdrawal_, "（4 - 6位字母或数字）");
  add_row(change_grid, "确认提彩密码：", withdrawal_confirmation_);
  add_row(change_grid, "电话：", phone_);
  change_grid->setColumnStretch(1, 1);
  identity_grid->setColumnStretch(1, 1);

  auto* buttons = new QDialogButtonBox(this);
  submit_ = buttons->addButton(QStringLiteral("提交"), QDialogButtonBox::AcceptRole);
  submit_->setObjectName("submit");
  submit_->setDefault(true);
  buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole)->setObjectName("cancel");
  buttons->setCenterButtons(true);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] { submit(); });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(identity);
  layout->addWidget(change);
  layout->addWidget(buttons);
  setMinimumWidth(kWidth);
  user_name_->setFocus();
  SkinnedFrame::skin_dialog(this);
}

void ProfileWindow::submit() {
  auto typed = entries();
  const Field field = form_.submit(typed);
  set_entries(typed);
  if (field == Field::none) {
    accept();
    return;
  }
  if (QWidget* box = box_of(field)) box->setFocus();
}

QWidget* ProfileWindow::box_of(Field field) const {
  switch (field) {
    case Field::user_name:
      return user_name_;
    case Field::old_password:
      return old_password_;
    case Field::password:
      return new_password_;
    case Field::password_confirmation:
      return password_confirmation_;
    case Field::email:
      return email_;
    case Field::withdrawal_password:
      return new_withdrawal_;
    case Field::withdrawal_password_confirmation:
      return withdrawal_confirmation_;
    case Field::phone:
      return phone_;
    case Field::none:
    case Field::adult:
    case Field::agreement:
    case Field::nickname:
      break;
  }
  return nullptr;
}

void ProfileWindow::set_entries(const ports::ProfileEntries& e) {
  user_name_->setText(q(e.user_name));
  old_password_->setKeptText(e.old_password);
  old_withdrawal_->setKeptText(e.old_withdrawal_password);
  new_password_->setKeptText(e.new_password);
  password_confirmation_->setKeptText(e.password_confirmation);
  email_->setText(q(e.email));
  new_withdrawal_->setKeptText(e.new_withdrawal_password);
  withdrawal_confirmation_->setKeptText(e.withdrawal_password_confirmation);
  phone_->setText(q(e.phone));
  nickname_->setText(q(e.nickname));
}

ports::ProfileEntries ProfileWindow::entries() const {
  ports::ProfileEntries e;
  e.user_name = text_of(user_name_);
  e.old_password = old_password_->keptText();
  e.old_withdrawal_password = old_withdrawal_->keptText();
  e.new_password = new_password_->keptText();
  e.password_confirmation = password_confirmation_->keptText();
  e.email = text_of(email_);
  e.new_withdrawal_password = new_withdrawal_->keptText();
  e.withdrawal_password_confirmation = withdrawal_confirmation_->keptText();
  e.phone = text_of(phone_);
  e.nickname = text_of(nickname_);
  return e;
}

std::optional<ports::ProfileEntries> ProfileWindowPortImpl::ask_profile(const ports::ProfileEntries& typed) {
  ProfileWindow window(form_, owner_);
  window.set_entries(typed);
  if (window.exec() != QDialog::Accepted) return std::nullopt;
  return window.entries();
}

void run_profile_window(accounts::AccountServices services, QWidget* owner) {
  accounts::ProfileForm form(services.messages);
  ProfileWindowPortImpl window(form, owner);
  ConfirmationWindowPort confirmation(owner);
  accounts::run_profile_change(services, confirmation, window);
}

}  // namespace brindle::gui
