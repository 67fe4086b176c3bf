#pragma once

#include "core/ports/process_launcher.h"

namespace brindle::gui {

// Starts programs detached from the client, so they outlive it (the upgrader restarts the client).
class DetachedProcessLauncher final : public ports::ProcessLauncher {
 public:
  bool can_start(const std::string& program) override;
  bool start_detached(const std::string& program, const std::vector<std::string>& arguments) override;
};

}  // namespace brindle::gui
