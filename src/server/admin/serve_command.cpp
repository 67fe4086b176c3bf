#include "server/admin/serve_command.h"

#include <pthread.h>

#include <csignal>
#include <ostream>
#include <string>
#include <utility>

#include "server/command_line.h"
#include "server/server.h"
#include "server/server_config.h"

namespace brindle::server::admin {
namespace {

constexpr char kFingerprintLabel[] = "key fingerprint (SHA-256 of the public key): ";

// Both ways in, then the options of usage_text().
std::string serve_usage() {
  return "usage: brindle-server serve [--listen ADDRESS:PORT]... --data-dir DIR [--config FILE] [--database "
         "URL]\n"
         "                            [--certificate FILE --key FILE] [--operations ADDRESS:PORT]\n"
         "                            [--trusted-proxy ADDRESS[/PREFIX]]...\n"
         "       brindle-server [--listen ADDRESS:PORT]... --data-dir DIR [--config FILE] [--database URL]\n"
         "                      [--certificate FILE --key FILE] [--operations ADDRESS:PORT]\n"
         "                      [--trusted-proxy ADDRESS[/PREFIX]]...\n\n" +
         std::string(usage_text()).substr(std::string(usage_text()).find("\n\n") + 2);
}

int serve(std::span<const std::string_view> args, CommandContext& context) {
  auto line = parse_command_line(args);
  if (!line) {
    return usage_error(context, serve_usage(), line.error());
  }
  if (line->help) {
    context.out << usage_text();
    return 0;
  }
  ServerOptions options;
  options.data_dir = line->data_dir;
  options.password_iterations = context.password_iterations;
  if (line->config_file) {
    auto config = load_server_config(*line->config_file);
    if (!config) {
      context.err << "brindle-server: " << config.error() << '\n';
      return 1;
    }
    options.config = std::move(config).value();
  }
  if (line->database) options.config.database = *line->database;
  if (line->certificate) {
    options.config.certificate = *line->certificate;
    options.config.private_key = *line->private_key;
  }
  options.listen = listen_addresses(line.value(), options.config.listen);
  if (!line->trusted_proxies.empty()) options.config.trusted_proxies = line->trusted_proxies;
  options.operations = line->operations ? line->operations : options.config.operations;

  // Blocked before any worker starts, so only the wait below receives them.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  std::signal(SIGPIPE, SIG_IGN);

  const auto options_operations = options.operations;
  auto server = Server::start(std::move(options));
  if (!server) {
    context.err << "brindle-server: " << server.error() << '\n';
    return 1;
  }
  for (const auto& url : server.value()->urls()) context.out << "listening on " << url << '\n';
  // What the clients pin; an operator publishes it or builds it into the client.
  auto fingerprint = server.value()->key_fingerprint();
  if (fingerprint) {
    context.out << kFingerprintLabel << fingerprint.value() << '\n';
  } else {
    context.err << "brindle-server: " << fingerprint.error() << '\n';
  }
  if (auto port = server.value()->operations_port(); port != 0) {
    const auto& at = *options_operations;
    context.out << "operator's pages on http://"
                << (at.address.find(':') != std::string::npos ? "[" + at.address + "]" : at.address) << ":"
                << port << "/healthz and /metrics\n";
  }
  context.out.flush();

  // SIGHUP reloads the certificate, e.g. after the operator renewed it; connections stay up.
  for (;;) {
    int received = 0;
    if (sigwait(&signals, &received) != 0) continue;
    if (received != SIGHUP) break;
    auto reloaded = server.value()->reload_certificate();
    if (reloaded) {
      context.err << "brindle-server: certificate reloaded" << std::endl;
      // A new key is worth a line of its own: clients that pinned the old one refuse this one.
      auto now = server.value()->key_fingerprint();
      if (now && (!fingerprint || now.value() != fingerprint.value())) {
        context.err << "brindle-server: new " << kFingerprintLabel << now.value() << std::endl;
        fingerprint = std::move(now);
      }
    } else {
      context.err << "brindle-server: certificate not reloaded, the old one stays in use: "
                  << reloaded.error() << std::endl;
    }
  }
  server.value()->stop();
  return 0;
}

}  // namespace

Result<void> add_serve_command(SubcommandTable& table) {
  return table.add(Subcommand{"serve", "run the betting server (the default command)", serve_usage(), serve});
}

}  // namespace brindle::server::admin
