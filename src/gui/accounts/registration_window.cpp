#include "gui/accounts/registration_window.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/protocol/session.h"
#include "gui/accounts/account_boxes.h"
#include "gui/net/masked_password_box.h"
#include "gui/ui/page_window.h"
#include "gui/ui/skinned_frame.h"

namespace brindle::gui {
namespace {

using accounts::Field;

constexpr char kIntroText[] = "请准确填写下列信息。";
constexpr char kPhoneNote[] =
    "此联络电话可作为确认您在澜川身份的方式之一，在需要时可随时向您反映帐户的特殊情况或通知最新优惠政策";
constexpr int kWidth = 640;
constexpr int kBoxWidth = 170;

std::string text_of(const QLineEdit* box) { return box->text().toStdString(); }
QString q(const std::string& text) { return QString::fromStdString(text); }

MaskedPasswordBox* masked_box(const char* name, std::size_t limit, QWidget* parent) {
  auto* box = new MaskedPasswordBox(parent);
  box->setObjectName(name);
  box->setMaxLength(static_cast<int>(limit));
  return box;
}

QPushButton* plain_button(const char* text, const char* name, QWidget* parent) {
  auto* b = new QPushButton(QString::fromUtf8(text), parent);
  b->setObjectName(name);
  b->setAutoDefault(false);
  return b;
}

}  // namespace

RegistrationWindow::RegistrationWindow(accounts::RegistrationForm& form, PageOpener open_agreement,
                                       QWidget* parent)
    : QDialog(parent), form_(form) {
  setObjectName("registrationWindow");
  setWindowTitle(QString::fromUtf8(accounts::kRegistrationTitle));
  setModal(true);

  user_name_ = limited_box("userName", accounts::kUserNameBoxLimit, this);
  password_ = masked_box("password", accounts::kPasswordBoxLimit, this);
  password_confirmation_ = masked_box("passwordConfirmation", accounts::kPasswordBoxLimit, this);
  email_ = limited_box("email", accounts::kEmailBoxLimit, this);
  withdrawal_ = masked_box("withdrawalPassword", accounts::kWithdrawalPasswordBoxLimit, this);
  withdrawal_confirmation_ =
      masked_box("withdrawalPasswordConfirmation", accounts::kWithdrawalPasswordBoxLimit, this);
  nickname_ = limited_box("nickname", 0, this);
  phone_ = limited_box("phone", accounts::kPhoneBoxLimit, this);
  auto* check_name = plain_button("验证用户名", "checkUserName", this);
  auto* check_nickname = plain_button("验证昵称", "checkNickname", this);

  auto* grid = new QGridLayout;
  int row = 0;
  auto add = [&](const char* label, QWidget* box, const char* hint, QWidget* extra = nullptr) {
    grid->addWidget(new QLabel(QString::fromUtf8(label), this), row, 0, Qt::AlignRight);
    grid->addWidget(box, row, 1);
    if (hint) {
      auto* h = new QLabel(QString::fromUtf8(hint), this);
      h->setWordWrap(true);
      grid->addWidget(h, row, 2);
    }
    if (extra) grid->addWidget(extra, row, 3);
    ++row;
  };
  add("用户名称：", user_name_, "（20位以内字母或数字）", check_name);
  add("密码：", password_, "（6 - 12位字母或数字）");
  add("确认密码：", password_confirmation_, nullptr);
  add("电子邮件：", email_, "（邮箱是您取回密码的唯一途径，请注意安全！务必真实！）");
  add("提彩密码：", withdrawal_, "（4 - 6位字母或数字）");
  add("确认密码：", withdrawal_confirmation_, nullptr);
  add("昵称：", nickname_, "（无法修改，请牢记）", check_nickname);
  add("电话：", phone_, "（建议填写）");
  auto* note = new QLabel(QString::fromUtf8(kPhoneNote), this);
  note->setWordWrap(true);
  grid->addWidget(note, row++, 1, 1, 3);
  grid->setColumnStretch(2, 1);
  grid->setColumnMinimumWidth(1, kBoxWidth);

  adult_ = new QCheckBox(QStringLiteral("满十八岁"), this);
  adult_->setObjectName("adult");
  agreed_ = new QCheckBox(QStringLiteral("同意用户协议"), this);
  agreed_->setObjectName("agreed");
  auto* agreement = plain_button("用户协议", "agreement", this);
  auto* checks = new QHBoxLayout;
  checks->addWidget(adult_);
  checks->addWidget(agreed_);
  checks->addWidget(agreement);
  checks->addStretch(1);

  auto* buttons = new QDialogButtonBox(this);
  submit_ = buttons->addButton(QStringLiteral("确认"), QDialogButtonBox::AcceptRole);
  submit_->setObjectName("submit");
  submit_->setDefault(true);
  buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole)->setObjectName("cancel");
  buttons->setCenterButtons(true);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] { apply(&accounts::RegistrationForm::submit); });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(check_name, &QPushButton::clicked, this,
          [this] { apply(&accounts::RegistrationForm::check_user_name); });
  connect(check_nickname, &QPushButton::clicked, this,
          [this] { apply(&accounts::RegistrationForm::check_nickname); });
  connect(agreement, &QPushButton::clicked, this, [this, open = std::move(open_agreement)] {
    const QString title = QString::fromUtf8(accounts::kAgreementTitle);
    if (open) {
      open(title, q(form_.agreement_address()));
      return;
    }
    PageWindow(title, q(form_.agreement_address()), this).exec();
  });

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QString::fromUtf8(kIntroText), this));
  layout->addLayout(grid);
  layout->addLayout(checks);
  layout->addWidget(buttons);
  setMinimumWidth(kWidth);
  user_name_->setFocus();
  SkinnedFrame::skin_dialog(this);
}

void RegistrationWindow::apply(
    accounts::Field (accounts::RegistrationForm::*check)(ports::RegistrationEntries&)) {
  auto typed = entries();
  const Field field = (form_.*check)(typed);
  set_entries(typed);
  if (field == Field::none) {
    if (check == &accounts::RegistrationForm::submit) accept();
    return;
  }
  if (QWidget* box = box_of(field)) box->setFocus();
}

QWidget* RegistrationWindow::box_of(Field field) const {
  switch (field) {
    case Field::adult:
      return adult_;
    case Field::agreement:
      return agreed_;
    case Field::user_name:
      return user_name_;
    case Field::password:
    case Field::old_password:
      return password_;
    case Field::password_confirmation:
      return password_confirmation_;
    case Field::email:
      return email_;
    case Field::withdrawal_password:
      return withdrawal_;
    case Field::withdrawal_password_confirmation:
      return withdrawal_confirmation_;
    case Field::nickname:
      return nickname_;
    case Field::phone:
      return phone_;
    case Field::none:
      break;
  }
  return nullptr;
}

void RegistrationWindow::set_entries(const ports::RegistrationEntries& e) {
  user_name_->setText(q(e.user_name));
  password_->setKeptText(e.password);
  password_confirmation_->setKeptText(e.password_confirmation);
  email_->setText(q(e.email));
  withdrawal_->setKeptText(e.withdrawal_password);
  withdrawal_confirmation_->setKeptText(e.withdrawal_password_confirmation);
  nickname_->setText(q(e.nickname));
  phone_->setText(q(e.phone));
  adult_->setChecked(e.adult);
  agreed_->setChecked(e.agreed);
}

ports::RegistrationEntries RegistrationWindow::entries() const {
  ports::RegistrationEntries e;
  e.user_name = text_of(user_name_);
  e.password = password_->keptText();
  e.password_confirmation = password_confirmation_->keptText();
  e.email = text_of(email_);
  e.withdrawal_password = withdrawal_->keptText();
  e.withdrawal_password_confirmation = withdrawal_confirmation_->keptText();
  e.nickname = text_of(nickname_);
  e.phone = text_of(phone_);
  e.adult = adult_->isChecked();
  e.agreed = agreed_->isChecked();
  return e;
}

std::optional<ports::RegistrationEntries> RegistrationWindowPortImpl::ask_registration(
    const ports::RegistrationEntries& typed) {
  RegistrationWindow window(form_, open_agreement_, owner_);
  window.set_entries(typed);
  if (window.exec() != QDialog::Accepted) return std::nullopt;
  return window.entries();
}

void run_registration_window(accounts::AccountServices services, QWidget* owner, PageOpener open_agreement) {
  accounts::RegistrationForm form(services);
  RegistrationWindowPortImpl window(form, std::move(open_agreement), owner);
  accounts::run_registration(services, window);
}

}  // namespace brindle::gui
