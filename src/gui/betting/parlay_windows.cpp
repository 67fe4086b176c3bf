#include "gui/betting/parlay_windows.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFont>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSizePolicy>
#include <QTabWidget>
#include <QVBoxLayout>

#include "gui/ui/confirmation_window.h"
#include "gui/ui/skinned_frame.h"

namespace brindle::gui {
namespace {

constexpr QSize kTemplateSize(560, 400);

}  // namespace

MarketChoiceWindow::MarketChoiceWindow(const ports::MarketChoiceContent& content, Confirm confirm,
                                       QWidget* parent)
    : QDialog(parent), confirm_(std::move(confirm)) {
  setObjectName("marketChoiceWindow");
  setWindowTitle(QStringLiteral("玩法选择"));
  setModal(true);
  resize(kTemplateSize);

  auto* layout = new QVBoxLayout(this);
  auto* title = new QLabel(QString::fromStdString(content.title), this);
  title->setObjectName("matchTitle");
  QFont bold = title->font();
  bold.setBold(true);
  bold.setPointSizeF(bold.pointSizeF() * 1.2);
  title->setFont(bold);
  title->setAlignment(Qt::AlignCenter);
  layout->addWidget(title);

  tabs_ = new QTabWidget(this);
  tabs_->setObjectName("marketTabs");
  group_ = new QButtonGroup(this);
  group_->setExclusive(true);
  for (std::size_t t = 0; t < content.tabs.size(); ++t) {
    const auto& tab = content.tabs[t];
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(6);
    const int columns = std::max(1, tab.columns);
    int shown = 0;
    for (std::size_t i = 0; i < tab.items.size(); ++i) {
      const auto& item = tab.items[i];
      auto* button = new QRadioButton(QString::fromStdString(item.text), page);
      const auto at = static_cast<int>(i);
      grid->addWidget(button, at / columns, at % columns);
      // A hidden item keeps its cell, so that the grid's places mean the same in every match.
      QSizePolicy policy = button->sizePolicy();
      policy.setRetainSizeWhenHidden(true);
      button->setSizePolicy(policy);
      button->setVisible(item.visible);
      button->setEnabled(item.visible);
      if (item.visible) ++shown;
      group_->addButton(button, static_cast<int>(ids_.size()));
      ids_.push_back({static_cast<int>(t), at});
    }
    if (shown == 0) {
      auto* none = new QLabel(QStringLiteral("此时没有盘口提供"), page);
      none->setAlignment(Qt::AlignCenter);
      grid->addWidget(none, 0, 0, 1, columns);
    }
    grid->setRowStretch(grid->rowCount(), 1);
    for (int c = 0; c < columns; ++c) grid->setColumnStretch(c, 1);
    auto* scroll = new QScrollArea;
    scroll->setWidget(page);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    tabs_->addTab(scroll, QString::fromStdString(tab.title));
  }
  layout->addWidget(tabs_, 1);

  auto* buttons = new QDialogButtonBox(this);
  auto* ok = buttons->addButton(QStringLiteral("确认"), QDialogButtonBox::AcceptRole);
  ok->setObjectName("okButton");
  ok->setDefault(true);
  buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole)->setObjectName("cancelButton");
  connect(buttons, &QDialogButtonBox::accepted, this, &MarketChoiceWindow::confirm_choice);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  SkinnedFrame::skin_dialog(this);
  tabs_->setFocus();
}

std::optional<ports::MarketChoice> MarketChoiceWindow::chosen() const {
  const int id = group_->checkedId();
  if (id < 0 || static_cast<std::size_t>(id) >= ids_.size()) return std::nullopt;
  return ids_[static_cast<std::size_t>(id)];
}

void MarketChoiceWindow::choose(int tab, int item) {
  for (std::size_t id = 0; id < ids_.size(); ++id) {
    if (ids_[id].tab == tab && ids_[id].item == item) {
      if (auto* b = group_->button(static_cast<int>(id)); b && b->isEnabled()) b->setChecked(true);
      tabs_->setCurrentIndex(tab);
    }
  }
}

void MarketChoiceWindow::confirm_choice() {
  const auto choice = chosen();
  if (!confirm_ || !confirm_(choice)) return;
  confirmed_ = choice;
  accept();
}

std::optional<ports::MarketChoice> ParlayWindowsPortImpl::choose_market(
    const ports::MarketChoiceContent& content,
    const std::function<bool(std::optional<ports::MarketChoice>)>& confirm) {
  MarketChoiceWindow window(content, confirm, owner_);
  if (window.exec() != QDialog::Accepted) return std::nullopt;
  return window.confirmed();
}

bool ParlayWindowsPortImpl::confirm_overview(const std::string& title, const std::string& text) {
  // The dialogs' default font: the caller sets none.
  ports::ConfirmationRequest request;
  request.title = title;
  request.text = text;
  ConfirmationWindow window(request, owner_);
  return window.exec() == QDialog::Accepted;
}

}  // namespace brindle::gui
