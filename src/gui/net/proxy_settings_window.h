#pragma once

#include <QDialog>

#include "core/ports/settings_window_port.h"

class QCheckBox;
class QLineEdit;

namespace brindle::net {
struct ClientContext;
class Transport;
}  // namespace brindle::net

namespace brindle::ports {
class ProgressSink;
}

namespace brindle::gui {

// "代理设置": automatic or manual proxy, applied on "确认".
class ProxySettingsWindow final : public QDialog {
  Q_OBJECT
 public:
  ProxySettingsWindow(net::ClientContext& context, net::Transport& transport, ports::ProgressSink& progress,
                      QWidget* parent = nullptr);

  QCheckBox* useProxyBox() const { return use_proxy_; }
  QCheckBox* personalBox() const { return personal_; }
  QLineEdit* addressBox() const { return address_; }
  QLineEdit* portBox() const { return port_; }
  void confirm();

 private:
  void update_enabling();

  net::ClientContext& context_;
  net::Transport& transport_;
  ports::ProgressSink& progress_;
  QCheckBox* use_proxy_ = nullptr;
  QCheckBox* personal_ = nullptr;
  QLineEdit* address_ = nullptr;
  QLineEdit* port_ = nullptr;
};

// Opens the window from the Login window.
class ProxySettingsWindowPort final : public ports::SettingsWindowPort {
 public:
  ProxySettingsWindowPort(net::ClientContext& context, net::Transport& transport,
                          ports::ProgressSink& progress)
      : context_(context), transport_(transport), progress_(progress) {}
  void set_parent(QWidget* parent) { parent_ = parent; }
  bool run() override;

 private:
  net::ClientContext& context_;
  net::Transport& transport_;
  ports::ProgressSink& progress_;
  QWidget* parent_ = nullptr;
};

}  // namespace brindle::gui
