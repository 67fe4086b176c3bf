#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "core/ports/log_sink.h"

namespace brindle::app {

// Writes each warning as one line on standard error, after a prefix that names the program and the
// part speaking ("brindle: transport: ").
class StderrLogSink final : public ports::LogSink {
 public:
  explicit StderrLogSink(std::string prefix) : prefix_(std::move(prefix)) {}
  void warn(std::string_view text) override;

 private:
  std::string prefix_;
};

}  // namespace brindle::app
