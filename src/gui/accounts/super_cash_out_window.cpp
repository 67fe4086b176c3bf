#include "gui/accounts/super_cash_out_window.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "gui/net/masked_password_box.h"
#include "gui/ui/skinned_frame.h"

namespace brindle::gui {
namespace {

constexpr int kAmountDigits = 12;
constexpr int kWidth = 380;

}  // namespace

SuperCashOutWindow::SuperCashOutWindow(QWidget* parent) : QDialog(parent) {
  setObjectName("superCashOutWindow");
  setWindowTitle(QStringLiteral("超级兑现"));
  setModal(true);

  auto* notes = new QGroupBox(QStringLiteral("说明"), this);
  auto* notes_layout = new QVBoxLayout(notes);
  for (const char* line :
       {"1. 您可在此与星级会员兑换现金。", "2. 把您的帐户资金划给星级会员后，从该星级会员处领取相应现金。"}) {
    auto* label = new QLabel(QString::fromUtf8(line), notes);
    label->setWordWrap(true);
    notes_layout->addWidget(label);
  }

  auto* cash_out = new QGroupBox(QStringLiteral("兑现"), this);
  auto* cash_out_layout = new QVBoxLayout(cash_out);
  star_member_ = new QLabel(cash_out);
  star_member_->setObjectName("starMember");
  star_member_->setAlignment(Qt::AlignCenter);
  QFont bold = star_member_->font();
  bold.setBold(true);
  star_member_->setFont(bold);
  cash_out_layout->addWidget(star_member_);
  auto* form = new QFormLayout;
  amount_ = new QLineEdit(cash_out);
  amount_->setObjectName("amount");
  amount_->setValidator(new QRegularExpressionValidator(
      QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(kAmountDigits)), amount_));
  form->addRow(QStringLiteral("兑现金额："), amount_);
  password_ = new MaskedPasswordBox(cash_out);
  password_->setObjectName("withdrawalPassword");
  form->addRow(QStringLiteral("您的提彩密码："), password_);
  cash_out_layout->addLayout(form);

  auto* buttons = new QDialogButtonBox(this);
  auto* submit = buttons->addButton(QStringLiteral("提交"), QDialogButtonBox::AcceptRole);
  submit->setObjectName("submit");
  submit->setDefault(true);
  buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole)->setObjectName("cancel");
  buttons->setCenterButtons(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(notes);
  layout->addWidget(cash_out);
  layout->addWidget(buttons);
  setMinimumWidth(kWidth);
  amount_->setFocus();
  SkinnedFrame::skin_dialog(this);
}

void SuperCashOutWindow::set_content(const std::string& star_member_line,
                                     const ports::CashOutEntries& entries) {
  star_member_->setText(QString::fromStdString(star_member_line));
  amount_->setText(QString::fromStdString(entries.amount));
  password_->setKeptText(entries.withdrawal_password);
}

ports::CashOutEntries SuperCashOutWindow::entries() const {
  return {amount_->text().toStdString(), password_->keptText()};
}

std::optional<ports::CashOutEntries> SuperCashOutWindowPortImpl::ask_cash_out(
    const std::string& star_member_line, const ports::CashOutEntries& typed) {
  SuperCashOutWindow window(owner_);
  window.set_content(star_member_line, typed);
  if (window.exec() != QDialog::Accepted) return std::nullopt;
  return window.entries();
}

}  // namespace brindle::gui
