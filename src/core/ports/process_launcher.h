#pragma once

#include <string>
#include <vector>

namespace brindle::ports {

//! Starts other programs (the upgrader, local game clients) without waiting for them.
class ProcessLauncher {
 public:
  virtual ~ProcessLauncher() = default;
  //! Whether `program` is there to be started: a file this user may run.
  virtual bool can_start(const std::string& program) = 0;
  //! Starts `program` detached from this process; false when it could not be started.
  virtual bool start_detached(const std::string& program, const std::vector<std::string>& arguments) = 0;
};

}  // namespace brindle::ports
