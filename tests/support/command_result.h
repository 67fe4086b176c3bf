#pragma once

#include <ostream>
#include <sstream>
#include <string>

namespace brindle::testing {

// What a command-line command gave back: its exit code and what it wrote to each stream.
struct CommandResult {
  int exit_code = -1;
  std::string out;
  std::string err;
};

// Runs an in-process command, `run(out, err)` returning its exit code, and keeps what it wrote.
template <typename Run>
CommandResult capture_command(Run&& run) {
  std::ostringstream out;
  std::ostringstream err;
  CommandResult r;
  r.exit_code = run(static_cast<std::ostream&>(out), static_cast<std::ostream&>(err));
  r.out = out.str();
  r.err = err.str();
  return r;
}

}  // namespace brindle::testing
