#pragma once

#include <string>
#include <vector>

namespace brindle::ports {

//! Starts other programs (the upgrader, local game clients) without waiting for them.
class ProcessLauncher {
 public:
  virtual ~ProcessLauncher() = default;
  //! Starts `program` detached from this process; false when it could not be started.
  virtual bool start_detached(const std::string& program, const std::vector<std::string>& arguments) = 0;
};

}  // namespace brindle::ports
