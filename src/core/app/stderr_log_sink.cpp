#include "core/app/stderr_log_sink.h"

#include <cstdio>
#include <string>

namespace brindle::app {

void StderrLogSink::warn(std::string_view text) {
  // One write per line, so that lines from several threads or programs never interleave mid-line.
  std::string line = prefix_;
  line.append(text);
  line.push_back('\n');
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

}  // namespace brindle::app
