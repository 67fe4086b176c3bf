#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "support/command_result.h"
#include "support/temp_dir.h"

namespace brindle::testing {

// The built brindle-cli with `arguments` (shell words), its output kept in `dir`.
inline CommandResult run_cli(const TempDir& dir, const std::string& arguments) {
  const auto out = dir / "stdout.txt";
  const auto err = dir / "stderr.txt";
  const std::string command =
      std::string(BRINDLE_CLI_PATH) + " " + arguments + " >" + out.string() + " 2>" + err.string();
  const int status = std::system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, read_file(out), read_file(err)};
}

}  // namespace brindle::testing
