#pragma once

#include <QDialog>
#include <vector>

#include "core/net/odds_format_setting.h"
#include "core/ports/settings_window_port.h"

class QComboBox;
class QLineEdit;

namespace brindle::net {
struct ClientContext;
}

namespace brindle::ports {
class MessagePort;
}

namespace brindle::gui {

// "系统设置": the refresh period, the current data server and the odds format.
class SettingsWindow final : public QDialog {
  Q_OBJECT
 public:
  SettingsWindow(net::ClientContext& context, ports::MessagePort& messages, QWidget* parent = nullptr);

  QLineEdit* periodBox() const { return period_; }
  QComboBox* serverBox() const { return server_; }
  QComboBox* oddsFormatBox() const { return odds_format_; }
  // "确认": closes when the entries were accepted.
  void confirm();

 private:
  net::ClientContext& context_;
  ports::MessagePort& messages_;
  QLineEdit* period_ = nullptr;
  QComboBox* server_ = nullptr;
  QComboBox* odds_format_ = nullptr;
  std::vector<net::OddsFormat> odds_formats_;  // by the box's index
};

class SettingsWindowPortImpl final : public ports::SettingsWindowPort {
 public:
  SettingsWindowPortImpl(net::ClientContext& context, ports::MessagePort& messages, QWidget* parent = nullptr)
      : context_(context), messages_(messages), parent_(parent) {}
  bool run() override;

 private:
  net::ClientContext& context_;
  ports::MessagePort& messages_;
  QWidget* parent_;
};

}  // namespace brindle::gui
