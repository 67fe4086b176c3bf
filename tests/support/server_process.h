#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace brindle::testing {

// `brindle-server serve` as a process of its own on a free loopback port, for tests that kill it
// (kill -9, as a crash would). Its standard error goes to `log` when one is named.
class ServerProcess {
 public:
  ServerProcess(const std::filesystem::path& binary, const std::filesystem::path& data_dir,
                const std::filesystem::path& log = {}, const std::vector<std::string>& more_arguments = {});
  ~ServerProcess() { kill_hard(); }
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  unsigned short port() const { return port_; }
  pid_t pid() const { return pid_; }
  bool running() const { return pid_ > 0; }

  void kill_hard();

 private:
  pid_t pid_ = -1;
  unsigned short port_ = 0;
};

}  // namespace brindle::testing
