#include "server/command_line.h"

#include <CLI/CLI.hpp>

#include "server/parse_errors.h"

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
  CLI::App app{"", "brindle-server"};
  app.set_help_flag("-h,--help");
  std::vector<std::string> listen, proxies;
  std::string data_dir, config_file, database, certificate, private_key, operations;
  // One value an occurrence; --listen and --trusted-proxy add up, the others take the last one.
  auto single = [&app](const std::string& name, std::string& value) {
    return app.add_option(name, value)->expected(1)->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  };
  auto each = [](std::string message, auto&& valid) {
    return CLI::Validator(
        [message = std::move(message), valid](std::string& value) {
          return valid(value) ? std::string() : message + ", not '" + value + "'";
        },
        "");
  };
  const auto address = [](const std::string& value) { return parse_listen_address(value).has_value(); };
  app.add_option("--listen", listen)
      ->expected(1)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
      ->check(each("--listen wants ADDRESS:PORT (e.g. 127.0.0.1:47443 or [::]:47443)", address));
  single("--operations", operations)
      ->check(each("--operations wants ADDRESS:PORT (e.g. 127.0.0.1:9464)", address));
  app.add_option("--trusted-proxy", proxies)
      ->expected(1)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
      ->check(each("--trusted-proxy wants an address or ADDRESS/PREFIX (e.g. 10.0.0.0/8)",
                   [](const std::string& value) { return AddressBlock::parse(value).has_value(); }));
  single("--data-dir", data_dir);
  single("--config", config_file);
  single("--database", database);
  single("--certificate", certificate);
  single("--key", private_key);

  std::vector<std::string> words(args.rbegin(), args.rend());  // CLI11 takes them last first
  try {
    app.parse(words);
  } catch (const CLI::CallForHelp&) {
    line.help = true;
    return line;
  } catch (const CLI::ParseError& error) {
    return fail(parse_problem(error, app));
  }
  for (const auto* option : {"--data-dir", "--config", "--database", "--certificate", "--key"}) {
    if (app.count(option) > 0 && app.get_option(option)->as<std::string>().empty())
      return fail(std::string(option) + " needs a value");
  }
  if (data_dir.empty()) return fail("--data-dir is required");
  for (const auto& text : listen) line.listen.push_back(*parse_listen_address(text));
  for (const auto& text : proxies) line.trusted_proxies.push_back(*AddressBlock::parse(text));
  if (!operations.empty()) line.operations = parse_listen_address(operations);
  line.data_dir = data_dir;
  if (!config_file.empty()) line.config_file = std::filesystem::path(config_file);
  if (!database.empty()) line.database = database;
  if (!certificate.empty()) line.certificate = std::filesystem::path(certificate);
  if (!private_key.empty()) line.private_key = std::filesystem::path(private_key);
  if (line.certificate.has_value() != line.private_key.has_value())
    return fail("--certificate and --key go together: give both or neither");
  return line;
}

}  // namespace brindle::server
