#include "gui/net/proxy_settings_window.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/net/proxy.h"
#include "gui/ui/skinned_frame.h"

namespace brindle::gui {

ProxySettingsWindow::ProxySettingsWindow(net::ClientContext& context, net::Transport& transport,
                                         ports::ProgressSink& progress, QWidget* parent)
    : QDialog(parent), context_(context), transport_(transport), progress_(progress) {
  setWindowTitle(QStringLiteral("代理设置"));
  setModal(true);

  auto* group = new QGroupBox(QStringLiteral("代理设置"), this);
  auto* note =
      new QLabel(QStringLiteral("由于代理服务器的不确定性，请在网络正常的条件下取消启用代理服务器。"), group);
  note->setWordWrap(true);
  use_proxy_ = new QCheckBox(QStringLiteral("启用自动代理（由系统自动找到合适的代理服务器，推荐）"), group);
  use_proxy_->setObjectName("useProxyBox");
  personal_ = new QCheckBox(QStringLiteral("手工设置代理（不使用系统推荐的代理）"), group);
  personal_->setObjectName("personalBox");
  address_ = new QLineEdit(group);
  address_->setObjectName("addressBox");
  port_ = new QLineEdit(group);
  port_->setObjectName("portBox");
  port_->setValidator(new QIntValidator(0, 65535, port_));
  auto* boxes = new QFormLayout;
  boxes->addRow(QStringLiteral("地址："), address_);
  boxes->addRow(QStringLiteral("端口："), port_);
  auto* group_layout = new QVBoxLayout(group);
  group_layout->addWidget(note);
  group_layout->addWidget(use_proxy_);
  group_layout->addWidget(personal_);
  group_layout->addLayout(boxes);

  auto* ok = new QPushButton(QStringLiteral("确认"), this);
  ok->setObjectName("okButton");
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("取消"), this);
  cancel->setObjectName("cancelButton");
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group);
  layout->addLayout(buttons);

  const net::ProxySettingsEntries entries = net::proxy_settings_open(context_);
  use_proxy_->setChecked(entries.use_proxy);
  personal_->setChecked(entries.personal);
  address_->setText(QString::fromStdString(entries.address));
  port_->setText(QString::number(entries.port));
  update_enabling();

  connect(use_proxy_, &QCheckBox::toggled, this, [this] { update_enabling(); });
  connect(personal_, &QCheckBox::toggled, this, [this] { update_enabling(); });
  connect(ok, &QPushButton::clicked, this, [this] {
    confirm();
    accept();
  });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  SkinnedFrame::skin_dialog(this);
}

void ProxySettingsWindow::update_enabling() {
  personal_->setEnabled(use_proxy_->isChecked());
  const bool manual = use_proxy_->isChecked() && personal_->isChecked();
  address_->setEnabled(manual);
  port_->setEnabled(manual);
}

void ProxySettingsWindow::confirm() {
  net::ProxySettingsEntries entries;
  entries.use_proxy = use_proxy_->isChecked();
  entries.personal = personal_->isChecked();
  entries.address = address_->text().trimmed().toStdString();
  entries.port = port_->text().toInt();
  net::proxy_settings_confirm(context_, entries, transport_, progress_);
}

bool ProxySettingsWindowPort::run() {
  ProxySettingsWindow window(context_, transport_, progress_, parent_);
  return window.exec() == QDialog::Accepted;
}

}  // namespace brindle::gui
