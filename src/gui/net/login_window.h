#pragma once

#include <QDialog>

#include "core/net/login_form.h"
#include "core/ports/login_window_port.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace brindle::net {
struct ClientContext;
class Transport;
}  // namespace brindle::net

namespace brindle::ports {
class MessagePort;
class ProgressSink;
class SettingsWindowPort;
}  // namespace brindle::ports

namespace brindle::gui {

class MaskedPasswordBox;

// "登陆": the server, the user name and the password, and the ways out of the window.
class LoginWindow final : public QDialog, public ports::LoginWindowPort {
  Q_OBJECT
 public:
  struct Services {
    net::ClientContext& context;
    net::Transport& transport;
    ports::ProgressSink& progress;
    ports::MessagePort& messages;
    ports::SettingsWindowPort* proxy_settings = nullptr;  // "代理设置"
  };

  explicit LoginWindow(Services services, QWidget* parent = nullptr);

  std::optional<ports::LoginChoice> run() override;
  void clear_entries() override;

  // Fills the controls for one showing (run() does it before it opens the window).
  void prepare();

  QComboBox* serverBox() const { return server_; }
  QLineEdit* userNameBox() const { return user_name_; }
  MaskedPasswordBox* passwordBox() const { return password_; }

 private:
  void sign_in(bool private_room);
  void refresh_list();
  void fill_servers(const net::LoginFormView& view);

  Services services_;
  net::LoginForm form_;
  QComboBox* server_ = nullptr;
  QLineEdit* user_name_ = nullptr;
  MaskedPasswordBox* password_ = nullptr;
  QPushButton* visitor_ = nullptr;
  QLabel* announcement_ = nullptr;
};

}  // namespace brindle::gui
