#pragma once

#include "core/ports/shell_port.h"

namespace brindle::gui {

// Addresses through the desktop's browser, programs through the system.
class DesktopShell final : public ports::ShellPort {
 public:
  void open_address(const std::string& address) override;
  bool file_exists(const std::string& path) override;
  bool start_program(const std::string& path) override;
};

}  // namespace brindle::gui
