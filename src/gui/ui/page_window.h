#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <memory>
#include <string>

class QLabel;
class QPushButton;

namespace brindle::net {
class ServerKeys;
}

namespace brindle::gui {

// One address shown inside the client under a caller-given title, with "退出". Where the build has
// no web engine, a short text with a link opens the address in the user's browser instead.
class PageWindow final : public QDialog {
  Q_OBJECT
 public:
  // With `keys`, a page of the current server is shown under the certificate its requests are held
  // to (see server_certificate.h).
  PageWindow(const QString& title, const QString& address, QWidget* parent = nullptr,
             std::function<std::string()> current_server = {}, std::shared_ptr<net::ServerKeys> keys = {});

  static bool has_web_engine();
  // The server and keys a Page window is held to when its caller names none: the client sets them
  // once, so every window of the server's pages (声明, 规则, 玩法说明, the agreement) takes its
  // certificate as the requests do.
  static void hold_pages_to(std::function<std::string()> current_server,
                            std::shared_ptr<net::ServerKeys> keys);
  QString address() const { return address_; }
  QPushButton* exitButton() const { return exit_; }

 private:
  QString address_;
  QPushButton* exit_ = nullptr;
};

}  // namespace brindle::gui
