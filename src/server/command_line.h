#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "server/http/network_address.h"
#include "wire/result.h"

namespace brindle::server {

inline constexpr unsigned short kDefaultPort = 47443;

struct CommandLine {
  std::vector<ListenAddress> listen;  // in the order given; empty: the configuration's, or the default
  std::filesystem::path data_dir;
  std::optional<std::filesystem::path> config_file;
  std::optional<std::string> database;  // overrides the configuration's database
  // The operator's certificate and key, both or neither; they override the configuration's.
  std::optional<std::filesystem::path> certificate;
  std::optional<std::filesystem::path> private_key;
  std::vector<AddressBlock> trusted_proxies;  // replace the configuration's when given
  std::optional<ListenAddress> operations;    // where /healthz and /metrics answer
  bool help = false;
};

// brindle-server [--listen ADDRESS:PORT]... --data-dir DIR [--config FILE] [--database URL]
//                [--certificate FILE --key FILE] [--operations ADDRESS:PORT]
//                [--trusted-proxy ADDRESS[/PREFIX]]... | --help
// (each option also as --name=value). args leaves out the program name.
Result<CommandLine> parse_command_line(std::span<const std::string_view> args);

std::string_view usage_text();

// Where to listen: the command line's addresses, else the configuration's, else 127.0.0.1:47443.
std::vector<ListenAddress> listen_addresses(const CommandLine& line,
                                            const std::vector<ListenAddress>& configured);

}  // namespace brindle::server
