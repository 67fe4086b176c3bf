#include "gui/betting/bet_confirmation_window.h"

#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/ui/skinned_frame.h"

namespace brindle::gui {
namespace {

// Caption width beside the title: the icon and edge on the left, the buttons on the right.
constexpr int kCaptionAllowance = 120;

}  // namespace

BetConfirmationWindow::BetConfirmationWindow(const ports::BetConfirmation& c, QWidget* parent)
    : QDialog(parent) {
  setObjectName("betConfirmationWindow");
  setWindowTitle(QString::fromStdString(c.title));
  auto* layout = new QVBoxLayout(this);
  auto* group = new QGroupBox(QStringLiteral("确认信息"), this);
  auto* form = new QFormLayout(group);
  const auto value = [group](const std::string& text, const char* name) {
    auto* label = new QLabel(QString::fromStdString(text), group);
    label->setObjectName(name);
    label->setStyleSheet("font-weight: bold;");
    return label;
  };
  form->addRow(QStringLiteral("您的选择："), value(c.choice, "choice"));
  form->addRow(QStringLiteral("赔  率："), value(c.odds, "odds"));
  form->addRow(QStringLiteral("投注彩金："), value(c.stake + " " + c.currency, "stake"));
  layout->addWidget(group);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* confirm = buttons->addButton(QStringLiteral("确认"), QDialogButtonBox::AcceptRole);
  confirm->setObjectName("confirm");
  confirm->setDefault(true);
  confirm->setFocus();
  buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole)->setObjectName("cancel");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  // Wide enough for the whole market name in the caption (the in-play names are the long ones),
  // which leaves room for the caption buttons on its right.
  QFont caption = font();
  caption.setBold(true);
  setMinimumWidth(QFontMetrics(caption).horizontalAdvance(windowTitle()) + kCaptionAllowance);
  SkinnedFrame::skin_dialog(this);
}

bool BetConfirmationPortImpl::confirm_bet(const ports::BetConfirmation& confirmation) {
  BetConfirmationWindow window(confirmation, owner_);
  showing_ = &window;
  const bool confirmed = window.exec() == QDialog::Accepted;
  showing_ = nullptr;
  return confirmed;
}

void BetConfirmationPortImpl::close_as_cancelled() {
  if (showing_) showing_->reject();
}

}  // namespace brindle::gui
