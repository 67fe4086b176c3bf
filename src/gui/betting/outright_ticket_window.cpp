#include "gui/betting/outright_ticket_window.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QTabWidget>
#include <QVBoxLayout>

#include "gui/ui/page_window.h"
#include "gui/ui/skinned_frame.h"

namespace brindle::gui {
namespace {

constexpr int kLargeSkinMode = 2;
constexpr QSize kSmallSize(680, 500);
constexpr QSize kLargeSize(960, 700);
constexpr int kRowsPerColumn = 11;
constexpr int kStakeDigits = 12;

}  // namespace

OutrightTicketWindow::OutrightTicketWindow(const ports::OutrightTicketView& view,
                                           ports::OutrightTicketHandler& handler, int skin_size_mode,
                                           QWidget* parent)
    : QDialog(parent), handler_(handler) {
  setObjectName("outrightTicket");
  setWindowTitle(QStringLiteral("总冠军/指数"));
  const bool large = skin_size_mode == kLargeSkinMode;
  setFixedSize(large ? kLargeSize : kSmallSize);
  if (large) {
    QFont f = font();
    f.setPointSizeF(f.pointSizeF() * 1.5);
    setFont(f);
  }

  auto* layout = new QVBoxLayout(this);
  tabs_ = new QTabWidget(this);
  tabs_->setObjectName("tabs");
  for (const auto& tab : view.tabs) {
    auto* page = new QWidget(tabs_);
    auto* page_layout = new QVBoxLayout(page);
    auto* frame = new QGroupBox(QString::fromStdString(tab.frame_title), page);
    auto* grid = new QGridLayout(frame);
    auto* group = new QButtonGroup(frame);
    for (int i = 0; i < static_cast<int>(tab.choices.size()); ++i) {
      const auto& c = tab.choices[static_cast<std::size_t>(i)];
      auto* button = new QRadioButton(QString::fromStdString(c.text), frame);
      button->setObjectName(QStringLiteral("choice%1").arg(i + 1));
      button->setEnabled(c.enabled);
      // Hidden choices keep their cell so that the columns stay in place.
      QSizePolicy policy = button->sizePolicy();
      policy.setRetainSizeWhenHidden(true);
      button->setSizePolicy(policy);
      button->setVisible(c.shown);
      group->addButton(button, i);
      grid->addWidget(button, i % kRowsPerColumn, i / kRowsPerColumn);
    }
    for (int column = 0; column < 4; ++column) grid->setColumnStretch(column, 1);
    page_layout->addWidget(frame);
    groups_.push_back(group);
    tabs_->addTab(page, QString::fromStdString(tab.caption));
  }
  layout->addWidget(tabs_, 1);

  auto* event = new QLabel(QString::fromStdString(view.event_name), this);
  event->setObjectName("event");
  QFont bold = event->font();
  bold.setBold(true);
  event->setFont(bold);
  layout->addWidget(event);

  auto* stake_row = new QHBoxLayout;
  stake_row->addWidget(new QLabel(QStringLiteral("投注金额："), this));
  stake_ = new QLineEdit(this);
  stake_->setObjectName("stake");
  stake_->setValidator(new QRegularExpressionValidator(
      QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(kStakeDigits)), stake_));
  stake_row->addWidget(stake_);
  auto* currency = new QLabel(QString::fromStdString(view.currency_label), this);
  currency->setObjectName("currency");
  stake_row->addWidget(currency);
  stake_row->addStretch(1);
  auto* ok = new QPushButton(QStringLiteral("确定"), this);
  ok->setObjectName("ok");
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("取消"), this);
  cancel->setObjectName("cancel");
  auto* instructions = new QPushButton(QStringLiteral("玩法说明"), this);
  instructions->setObjectName("instructions");
  stake_row->addWidget(ok);
  stake_row->addWidget(cancel);
  stake_row->addWidget(instructions);
  layout->addLayout(stake_row);

  connect(ok, &QPushButton::clicked, this, &OutrightTicketWindow::press_ok);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(instructions, &QPushButton::clicked, this, [this] { handler_.show_instructions(); });
  SkinnedFrame::skin_dialog(this);
  stake_->setFocus();
}

QRadioButton* OutrightTicketWindow::choice(int tab, int index) const {
  if (tab < 0 || static_cast<std::size_t>(tab) >= groups_.size()) return nullptr;
  return qobject_cast<QRadioButton*>(groups_[static_cast<std::size_t>(tab)]->button(index));
}

int OutrightTicketWindow::chosen() const {
  const int tab = tabs_->currentIndex();
  if (tab < 0 || static_cast<std::size_t>(tab) >= groups_.size()) return -1;
  return groups_[static_cast<std::size_t>(tab)]->checkedId();
}

void OutrightTicketWindow::press_ok() {
  if (handler_.confirm(tabs_->currentIndex(), chosen(), stake_->text().toStdString())) accept();
}

bool OutrightTicketPortImpl::run(const ports::OutrightTicketView& view,
                                 ports::OutrightTicketHandler& handler) {
  OutrightTicketWindow window(view, handler, skin_size_mode_, owner_);
  return window.exec() == QDialog::Accepted;
}

void OutrightTicketPortImpl::open_page(const std::string& title, const std::string& address) {
  const QString t = QString::fromStdString(title);
  const QString a = QString::fromStdString(address);
  if (page_opener_) {
    page_opener_(t, a);
    return;
  }
  PageWindow window(t, a, owner_);
  window.exec();
}

}  // namespace brindle::gui
