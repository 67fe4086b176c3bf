#include "gui/betting/stake_window.h"

#include <QDialogButtonBox>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "gui/ui/skinned_frame.h"

namespace brindle::gui {
namespace {

constexpr int kLargeSkinMode = 2;
constexpr QSize kSmallSize(429, 342);
constexpr QSize kLargeSize(800, 580);
constexpr int kLargeStakeFontPixels = 24;
// Enough digits for any balance; the flow refuses what exceeds the funds.
constexpr int kStakeDigits = 12;

}  // namespace

StakeWindow::StakeWindow(int skin_size_mode, QWidget* parent) : QDialog(parent) {
  setObjectName("stakeWindow");
  setWindowTitle(QStringLiteral("投注"));
  const bool large = skin_size_mode == kLargeSkinMode;
  setFixedSize(large ? kLargeSize : kSmallSize);
  if (large) {
    QFont f = font();
    f.setPointSizeF(f.pointSizeF() * 1.5);
    setFont(f);
  }

  auto* layout = new QVBoxLayout(this);
  header_ = new QLabel(this);
  header_->setObjectName("header");
  header_->setWordWrap(true);
  QFont bold = header_->font();
  bold.setBold(true);
  header_->setFont(bold);
  layout->addWidget(header_);

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(QStringLiteral("您的选择："), this), 0, 0);
  choice_ = new QLabel(this);
  choice_->setObjectName("choice");
  choice_->setStyleSheet("color: #c0392b; font-weight: bold;");
  grid->addWidget(choice_, 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("赔  率："), this), 1, 0);
  odds_ = new QLabel(this);
  odds_->setObjectName("odds");
  odds_->setStyleSheet("color: #c0392b; font-weight: bold;");
  grid->addWidget(odds_, 1, 1);
  grid->setColumnStretch(1, 1);
  layout->addLayout(grid);

  auto* frame = new QGroupBox(QStringLiteral("投注解释"), this);
  auto* frame_layout = new QVBoxLayout(frame);
  explanation_ = new QLabel(frame);
  explanation_->setObjectName("explanation");
  explanation_->setWordWrap(true);
  explanation_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  frame_layout->addWidget(explanation_);
  layout->addWidget(frame, 1);

  auto* stake_row = new QHBoxLayout;
  stake_row->addWidget(new QLabel(QStringLiteral("投注彩金："), this));
  stake_ = new QLineEdit(this);
  stake_->setObjectName("stake");
  stake_->setValidator(new QRegularExpressionValidator(
      QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(kStakeDigits)), stake_));
  if (large) {
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(kLargeStakeFontPixels);
    f.setBold(true);
    f.setItalic(true);
    stake_->setFont(f);
  }
  stake_row->addWidget(stake_, 1);
  currency_ = new QLabel(this);
  currency_->setObjectName("currency");
  stake_row->addWidget(currency_);
  layout->addLayout(stake_row);

  auto* buttons = new QDialogButtonBox(this);
  auto* submit = buttons->addButton(QStringLiteral("提交"), QDialogButtonBox::AcceptRole);
  submit->setObjectName("submit");
  submit->setDefault(true);
  buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole)->setObjectName("cancel");
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    if (!submit_ || submit_(typed().toStdString())) {
      accept();
      return;
    }
    stake_->setFocus();
    stake_->selectAll();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  SkinnedFrame::skin_dialog(this);
}

void StakeWindow::show_content(const ports::StakeWindowContent& content, const QString& typed) {
  header_->setText(QString::fromStdString(content.header));
  choice_->setText(QString::fromStdString(content.choice));
  odds_->setText(QString::fromStdString(content.odds));
  explanation_->setText(QString::fromStdString(content.explanation));
  currency_->setText(QString::fromStdString(content.currency_label));
  stake_->setText(typed);
  stake_->setFocus();
  stake_->selectAll();
}

QString StakeWindow::typed() const { return stake_->text(); }

std::optional<std::string> StakeWindowPortImpl::ask_stake(
    const ports::StakeWindowContent& content, const std::string& typed,
    const std::function<bool(const std::string&)>& submit) {
  StakeWindow window(skin_size_mode_, owner_);
  window.show_content(content, QString::fromStdString(typed));
  window.set_submit(submit);
  showing_ = &window;
  const int result = window.exec();
  showing_ = nullptr;
  if (result != QDialog::Accepted) return std::nullopt;
  return window.typed().toStdString();
}

void StakeWindowPortImpl::close_as_cancelled() {
  if (showing_) showing_->reject();
}

}  // namespace brindle::gui
