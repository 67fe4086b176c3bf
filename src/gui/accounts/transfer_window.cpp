#include "gui/accounts/transfer_window.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "gui/net/masked_password_box.h"
#include "gui/ui/skinned_frame.h"

namespace brindle::gui {
namespace {

// Enough digits for any balance; the flow refuses what exceeds the funds.
constexpr int kAmountDigits = 12;
constexpr int kWidth = 340;

std::string text_of(const QLineEdit* box) { return box->text().toStdString(); }

}  // namespace

TransferWindow::TransferWindow(QWidget* parent) : QDialog(parent) {
  setObjectName("transferWindow");
  setWindowTitle(QStringLiteral("拨彩"));
  setModal(true);

  auto* group = new QGroupBox(QStringLiteral("拨彩"), this);
  auto* form = new QFormLayout(group);
  user_name_ = new QLineEdit(group);
  user_name_->setObjectName("userName");
  form->addRow(QStringLiteral("对方用户名："), user_name_);
  confirmed_ = new QLineEdit(group);
  confirmed_->setObjectName("confirmedUserName");
  form->addRow(QStringLiteral("确认对方用户名："), confirmed_);
  amount_ = new QLineEdit(group);
  amount_->setObjectName("amount");
  amount_->setValidator(new QRegularExpressionValidator(
      QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(kAmountDigits)), amount_));
  form->addRow(QStringLiteral("拨彩彩金："), amount_);
  password_ = new MaskedPasswordBox(group);
  password_->setObjectName("withdrawalPassword");
  form->addRow(QStringLiteral("自己的提彩密码："), password_);

  auto* buttons = new QDialogButtonBox(this);
  auto* submit = buttons->addButton(QStringLiteral("提交"), QDialogButtonBox::AcceptRole);
  submit->setObjectName("submit");
  submit->setDefault(true);
  buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole)->setObjectName("cancel");
  buttons->setCenterButtons(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group);
  layout->addWidget(buttons);
  setMinimumWidth(kWidth);
  user_name_->setFocus();
  SkinnedFrame::skin_dialog(this);
}

void TransferWindow::set_entries(const ports::TransferEntries& entries) {
  user_name_->setText(QString::fromStdString(entries.user_name));
  confirmed_->setText(QString::fromStdString(entries.confirmed_user_name));
  amount_->setText(QString::fromStdString(entries.amount));
  password_->setKeptText(entries.withdrawal_password);
}

ports::TransferEntries TransferWindow::entries() const {
  return {text_of(user_name_), text_of(confirmed_), text_of(amount_), password_->keptText()};
}

std::optional<ports::TransferEntries> TransferWindowPortImpl::ask_transfer(
    const ports::TransferEntries& typed) {
  TransferWindow window(owner_);
  window.set_entries(typed);
  if (window.exec() != QDialog::Accepted) return std::nullopt;
  return window.entries();
}

}  // namespace brindle::gui
