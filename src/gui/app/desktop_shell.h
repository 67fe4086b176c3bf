#pragma once

#include <functional>
#include <memory>
#include <string>

#include "core/ports/shell_port.h"

namespace brindle::net {
class ServerKeys;
}
namespace brindle::ports {
class MessagePort;
}

namespace brindle::gui {

// Addresses through the desktop's browser, programs through the system. Where the desktop has no
// browser, a web address opens in the client's own page window instead, and anything else that
// cannot be opened is told to the user.
class DesktopShell final : public ports::ShellPort {
 public:
  DesktopShell() = default;
  // `current_server` and `keys` let the client's own window show the current server's pages.
  DesktopShell(ports::MessagePort* messages, std::function<std::string()> current_server,
               std::shared_ptr<net::ServerKeys> keys)
      : messages_(messages), current_server_(std::move(current_server)), keys_(std::move(keys)) {}

  void open_address(const std::string& address) override;
  bool file_exists(const std::string& path) override;
  bool start_program(const std::string& path) override;

 private:
  ports::MessagePort* messages_ = nullptr;
  std::function<std::string()> current_server_;
  std::shared_ptr<net::ServerKeys> keys_;
};

}  // namespace brindle::gui
