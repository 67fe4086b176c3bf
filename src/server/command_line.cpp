#include "server/command_line.h"

namespace brindle::server {
namespace {

Result<CommandLine> fail(std::string text) { return Result<CommandLine>::failure(std::move(text)); }

}  // namespace

std::string_view usage_text() {
  return "usage: brindle-server [--listen ADDRESS:PORT]... --data-dir DIR [--config FILE] [--database URL]\n"
         "                      [--certificate FILE --key FILE] [--operations ADDRESS:PORT]\n"
         "                      [--trusted-proxy ADDRESS[/PREFIX]]...\n"
         "\n"
         "  --listen ADDRESS:PORT  address and port to serve HTTPS and HTTP on, repeatable: any IPv4 or\n"
         "                         IPv6 address, 0.0.0.0 and [::] for all (IPv6 in brackets, [::1]:47443);\n"
         "                         default the configuration's listen, else 127.0.0.1:47443; port 0\n"
         "                         picks a free port\n"
         "  --data-dir DIR         folder for the server's certificate and data (created if missing)\n"
         "  --config FILE          configuration file (UTF-8, INI style); built-in defaults without it\n"
         "  --database URL         where the state lives: sqlite: (the default, a file in the data\n"
         "                         folder) or postgresql://user@host:port/database; overrides the\n"
         "                         configuration's database\n"
         "  --certificate FILE     the operator's certificate (PEM, with its chain), with --key; default a\n"
         "                         self-made one in the data folder. SIGHUP reloads it\n"
         "  --key FILE             the certificate's private key, readable by its owner alone (chmod 600)\n"
         "  --operations ADDRESS:PORT  where /healthz and /metrics answer (for load balancers and\n"
         "                         Prometheus), and nowhere else; default the configuration's\n"
         "                         operations, else nowhere\n"
         "  --trusted-proxy ADDRESS[/PREFIX]\n"
         "                         a TCP load balancer in front of this server, repeatable: its\n"
         "                         connections must begin with a PROXY header (v1 or v2), whose client\n"
         "                         address the sign-in limits count; overrides trusted_proxies\n"
         "  --help                 show this text\n";
}

std::vector<ListenAddress> listen_addresses(const CommandLine& line,
                                            const std::vector<ListenAddress>& configured) {
  if (!line.listen.empty()) return line.listen;
  if (!configured.empty()) return configured;
  return {{"127.0.0.1", kDefaultPort}};
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
    if (name != "--listen" && name != "--data-dir" && name != "--config" && name != "--database" &&
        name != "--certificate" && name != "--key" && name != "--operations" && name != "--trusted-proxy") {
      return fail("unknown option '" + std::string(arg) + "'");
    }
    if (!value) {
      if (i + 1 >= args.size()) return fail(std::string(name) + " needs a value");
      value = args[++i];
    }
    if (name == "--listen") {
      auto address = parse_listen_address(*value);
      if (!address) {
        return fail("--listen wants ADDRESS:PORT (e.g. 127.0.0.1:47443 or [::]:47443), not '" +
                    std::string(*value) + "'");
      }
      line.listen.push_back(std::move(*address));
    } else if (name == "--operations") {
      auto address = parse_listen_address(*value);
      if (!address) {
        return fail("--operations wants ADDRESS:PORT (e.g. 127.0.0.1:9464), not '" + std::string(*value) +
                    "'");
      }
      line.operations = std::move(*address);
    } else if (name == "--trusted-proxy") {
      auto block = AddressBlock::parse(*value);
      if (!block) {
        return fail("--trusted-proxy wants an address or ADDRESS/PREFIX (e.g. 10.0.0.0/8), not '" +
                    std::string(*value) + "'");
      }
      line.trusted_proxies.push_back(*block);
    } else if (value->empty()) {
      return fail(std::string(name) + " needs a value");
    } else if (name == "--data-dir") {
      line.data_dir = *value;
    } else if (name == "--database") {
      line.database = std::string(*value);
    } else if (name == "--certificate") {
      line.certificate = std::filesystem::path(*value);
    } else if (name == "--key") {
      line.private_key = std::filesystem::path(*value);
    } else {
      line.config_file = std::filesystem::path(*value);
    }
  }
  if (line.data_dir.empty()) return fail("--data-dir is required");
  if (line.certificate.has_value() != line.private_key.has_value())
    return fail("--certificate and --key go together: give both or neither");
  return line;
}

}  // namespace brindle::server
