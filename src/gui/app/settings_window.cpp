#include "gui/app/settings_window.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <optional>

#include "core/app/settings_form.h"
#include "core/ports/message_port.h"
#include "gui/ui/skinned_frame.h"

namespace brindle::gui {

SettingsWindow::SettingsWindow(net::ClientContext& context, ports::MessagePort& messages, QWidget* parent)
    : QDialog(parent), context_(context), messages_(messages) {
  setWindowTitle(QString::fromUtf8(app::kSettingsWindowTitle));
  setModal(true);

  period_ = new QLineEdit(this);
  period_->setObjectName("periodBox");
  period_->setValidator(new QIntValidator(0, 99999, period_));
  period_->setMaximumWidth(80);
  server_ = new QComboBox(this);
  server_->setObjectName("serverBox");
  server_->setEditable(true);
  server_->setMinimumWidth(200);
  odds_format_ = new QComboBox(this);
  odds_format_->setObjectName("oddsFormatBox");

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(QStringLiteral("自动刷新时间："), this), 0, 0);
  grid->addWidget(period_, 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("秒 (刷新时间不能小于60秒)"), this), 0, 2);
  grid->addWidget(new QLabel(QStringLiteral("当前数据服务器："), this), 1, 0);
  grid->addWidget(server_, 1, 1, 1, 2);
  grid->addWidget(new QLabel(QString::fromUtf8(app::kOddsFormatLabel), this), 2, 0);
  grid->addWidget(odds_format_, 2, 1);
  grid->addWidget(new QLabel(QString::fromUtf8(app::kOddsFormatNote), this), 2, 2);

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
  layout->addLayout(grid);
  layout->addLayout(buttons);

  const app::SettingsFormView view = app::settings_form_open(context_);
  period_->setText(QString::number(view.refresh_period));
  for (const std::string& server : view.servers) server_->addItem(QString::fromStdString(server));
  server_->setCurrentIndex(view.selected);
  server_->setEditText(QString::fromStdString(view.server_text));
  odds_formats_ = view.odds_formats;
  for (const std::string& text : view.odds_format_texts) odds_format_->addItem(QString::fromStdString(text));
  odds_format_->setCurrentIndex(view.odds_format_index);

  connect(ok, &QPushButton::clicked, this, &SettingsWindow::confirm);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  SkinnedFrame::skin_dialog(this);
}

void SettingsWindow::confirm() {
  const int chosen = odds_format_->currentIndex();
  std::optional<net::OddsFormat> format;
  if (chosen >= 0 && static_cast<std::size_t>(chosen) < odds_formats_.size()) {
    format = odds_formats_[static_cast<std::size_t>(chosen)];
  }
  const auto refusal = app::settings_form_confirm(context_, period_->text().toInt(),
                                                  server_->currentText().toStdString(), format);
  if (!refusal) {
    accept();
    return;
  }
  messages_.show_message(refusal->message, false);
  period_->setText(QString::number(refusal->refresh_period));
}

bool SettingsWindowPortImpl::run() {
  SettingsWindow window(context_, messages_, parent_);
  return window.exec() == QDialog::Accepted;
}

}  // namespace brindle::gui
