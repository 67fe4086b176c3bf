#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "wire/result.h"

namespace brindle::server {

struct CommandLine {
  std::string address = "127.0.0.1";
  unsigned short port = 47443;
  std::filesystem::path data_dir;
  std::optional<std::filesystem::path> config_file;
  std::optional<std::string> database;  // overrides the configuration's database
  bool help = false;
};

// brindle-server --listen ADDRESS:PORT --data-dir DIR [--config FILE] [--database URL] | --help
// (each option also as --name=value). args leaves out the program name.
Result<CommandLine> parse_command_line(std::span<const std::string_view> args);

std::string_view usage_text();

}  // namespace brindle::server
