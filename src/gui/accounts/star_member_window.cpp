#include "gui/accounts/star_member_window.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/ui/skinned_frame.h"

namespace brindle::gui {
namespace {

constexpr int kWidth = 420;

QPushButton* add_button(QHBoxLayout* row, QWidget* parent, const char* text, const char* name) {
  auto* button = new QPushButton(QString::fromUtf8(text), parent);
  button->setObjectName(name);
  button->setAutoDefault(false);
  row->addWidget(button);
  return button;
}

}  // namespace

StarMemberWindow::StarMemberWindow(Services services, QWidget* parent)
    : QDialog(parent), services_(std::move(services)), model_(services_.flows) {
  setObjectName("starMemberWindow");
  setWindowTitle(QString::fromUtf8(accounts::kStarMemberTitle));
  setModal(true);

  auto* notes = new QGroupBox(QStringLiteral("说明"), this);
  auto* notes_layout = new QVBoxLayout(notes);
  auto add_line = [&](const char* text) {
    auto* label = new QLabel(QString::fromUtf8(text), notes);
    notes_layout->addWidget(label);
    return label;
  };
  add_line("1. 星级会员资格：");
  add_line("1)存入流动彩金");
  deposit_ = add_line("");
  deposit_->setObjectName("depositLine");
  add_line("2. 星级会员规则：");
  add_line("参见主页");
  add_line("3. 私户的好处：");
  add_line("私户可随时从星级会员处兑取现金。");

  auto* row = new QHBoxLayout;
  enter_room_ = add_button(row, this, "进入私人房间", "enterRoom");
  apply_ = add_button(row, this, "申请星级会员", "apply");
  transfer_ = add_button(row, this, "拨彩", "transfer");
  transfer_->setDefault(true);
  create_room_ = add_button(row, this, "自创房间", "createRoom");
  auto* cancel = add_button(row, this, "取消", "cancel");

  connect(enter_room_, &QPushButton::clicked, this, [this] {
    model_.enter_private_room();
    accept();
  });
  connect(apply_, &QPushButton::clicked, this, [this] {
    if (model_.apply()) transfer_->setEnabled(true);
  });
  connect(transfer_, &QPushButton::clicked, this, [this] { model_.transfer(services_.transfer_window); });
  connect(create_room_, &QPushButton::clicked, this, [this] {
    if (services_.create_room) services_.create_room();
  });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(notes);
  layout->addLayout(row);
  setMinimumWidth(kWidth);
  transfer_->setFocus();
  SkinnedFrame::skin_dialog(this);
}

bool StarMemberWindow::start() {
  apply_->setEnabled(model_.apply_enabled());
  if (!model_.start()) return false;
  deposit_->setText(QString::fromStdString(model_.deposit_line()));
  return true;
}

void run_star_member_window(StarMemberWindow::Services services, QWidget* parent) {
  StarMemberWindow window(std::move(services), parent);
  if (window.start()) window.exec();
}

}  // namespace brindle::gui
