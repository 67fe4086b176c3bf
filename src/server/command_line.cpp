#include "server/command_line.h"

#include <charconv>
#include <system_error>

namespace brindle::server {
namespace {

Result<CommandLine> fail(std::string text) { return Result<CommandLine>::failure(std::move(text)); }

// "127.0.0.1:47443", "localhost:0" or "[::1]:47443".
bool split_listen(std::string_view text, std::string& address, unsigned short& port) {
  auto colon = text.rfind(':');
  if (colon == std::string_view::npos || colon == 0) return false;
  auto host = text.substr(0, colon);
  if (host.starts_with('[')) {
    if (!host.ends_with(']') || host.size() < 3) return false;
    host = host.substr(1, host.size() - 2);
  } else if (host.find(':') != std::string_view::npos) {
    return false;  // an IPv6 address needs its brackets
  }
  auto digits = text.substr(colon + 1);
  if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos) return false;
  unsigned value = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (ec != std::errc{} || end != digits.data() + digits.size() || value > 65535) return false;
  address = std::string(host);
  port = static_cast<unsigned short>(value);
  return true;
}

}  // namespace

std::string_view usage_text() {
  return "usage: brindle-server --listen ADDRESS:PORT --data-dir DIR [--config FILE] [--database URL]\n"
         "\n"
         "  --listen ADDRESS:PORT  loopback address and port to serve HTTPS and HTTP on\n"
         "                         (default 127.0.0.1:47443; port 0 picks a free port)\n"
         "  --data-dir DIR         folder for the server's certificate and data (created if missing)\n"
         "  --config FILE          configuration file (UTF-8, INI style); built-in defaults without it\n"
         "  --database URL         where the state lives: sqlite: (the default, a file in the data\n"
         "                         folder) or postgresql://user@host:port/database; overrides the\n"
         "                         configuration's database\n"
         "  --help                 show this text\n";
}

Result<CommandLine> parse_command_line(std::span<const std::string_view> args) {
  CommandLine line;
  for (std::size_t i = 0; i < args.size(); ++i) {
    auto arg = args[i];
    if (arg == "--help" || arg == "-h") {
      line.help = true;
      return line;
    }
    std::string_view name = arg;
    std::optional<std::string_view> value;
    if (auto equals = arg.find('='); arg.starts_with("--") && equals != std::string_view::npos) {
      name = arg.substr(0, equals);
      value = arg.substr(equals + 1);
    }
    if (name != "--listen" && name != "--data-dir" && name != "--config" && name != "--database") {
      return fail("unknown option '" + std::string(arg) + "'");
    }
    if (!value) {
      if (i + 1 >= args.size()) return fail(std::string(name) + " needs a value");
      value = args[++i];
    }
    if (name == "--listen") {
      if (!split_listen(*value, line.address, line.port)) {
        return fail("--listen wants ADDRESS:PORT (e.g. 127.0.0.1:47443), not '" + std::string(*value) + "'");
      }
    } else if (value->empty()) {
      return fail(std::string(name) + " needs a value");
    } else if (name == "--data-dir") {
      line.data_dir = *value;
    } else if (name == "--database") {
      line.database = std::string(*value);
    } else {
      line.config_file = std::filesystem::path(*value);
    }
  }
  if (line.data_dir.empty()) return fail("--data-dir is required");
  return line;
}

}  // namespace brindle::server
