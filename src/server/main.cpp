#include <pthread.h>

#include <csignal>
#include <cstdio>
#include <iostream>
#include <string_view>
#include <utility>
#include <vector>

#include "server/command_line.h"
#include "server/server.h"
#include "server/server_config.h"

namespace {

int run(int argc, char** argv) {
  std::vector<std::string_view> args(argv + 1, argv + argc);
  auto line = brindle::server::parse_command_line(args);
  if (!line) {
    std::cerr << "brindle-server: " << line.error() << "\n\n" << brindle::server::usage_text();
    return 2;
  }
  if (line->help) {
    std::cout << brindle::server::usage_text();
    return 0;
  }

  brindle::server::ServerOptions options;
  options.address = line->address;
  options.port = line->port;
  options.data_dir = line->data_dir;
  if (line->config_file) {
    auto config = brindle::server::load_server_config(*line->config_file);
    if (!config) {
      std::cerr << "brindle-server: " << config.error() << '\n';
      return 1;
    }
    options.config = std::move(config).value();
  }

  // Blocked before any worker starts, so only the wait below receives them.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);
  std::signal(SIGPIPE, SIG_IGN);

  auto server = brindle::server::Server::start(std::move(options));
  if (!server) {
    std::cerr << "brindle-server: " << server.error() << '\n';
    return 1;
  }
  std::cout << "listening on " << server.value()->url() << std::endl;

  int received = 0;
  sigwait(&stop_signals, &received);
  server.value()->stop();
  return 0;
}

}  // namespace

int main(int argc, char** argv) { return run(argc, argv); }
