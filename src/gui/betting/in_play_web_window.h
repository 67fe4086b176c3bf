#pragma once

#include <QDialog>
#include <QString>
#include <memory>
#include <string>

class QWidget;

namespace brindle::net {
class ServerKeys;
}

namespace brindle::gui {

// The modal "走地" window: the web version of in-play betting of the current server in an embedded
// browser, opened with the 4061 token posted as a form. A build without the web engine, or a
// caller that wants no embedded pages, shows a line saying so instead: the page cannot be opened
// in the user's browser, which could not be handed the token.
class InPlayWebWindow final : public QDialog {
  Q_OBJECT
 public:
  // The page is held to `server_keys`, the keys the client's requests are held to.
  InPlayWebWindow(const std::string& current_server, const std::string& web_token, bool embedded_browser,
                  std::shared_ptr<net::ServerKeys> server_keys = nullptr, QWidget* parent = nullptr);

  QString address() const { return address_; }
  // The embedded browser, or nothing when the window shows the line instead.
  QWidget* browser() const { return browser_; }

 private:
  QString address_;
  QWidget* browser_ = nullptr;
};

}  // namespace brindle::gui
