// brindle-upgrader "http://HOST/Download/Upgrader|PROGRAM_DIR/brindle": started by the client when
// the server has another version; installs it and starts the client again.
#include <spawn.h>

#include <cstring>
#include <iostream>
#include <memory>
#include <string_view>

#include "core/app/upgrade_log.h"
#include "upgrader/curl_fetcher.h"
#include "upgrader/upgrader.h"

extern char** environ;

namespace {

constexpr std::string_view kPublicKey = BRINDLE_UPGRADE_PUBLIC_KEY;

constexpr char kUsage[] =
    "usage: brindle-upgrader http://HOST[:PORT]/Download/Upgrader|CLIENT\n\n"
    "Fetches the signed release list from https://HOST[:PORT]/Download/Upgrader, installs every file\n"
    "whose SHA-256 matches into the client's folder (the folder of CLIENT, a full path), recording\n"
    "its progress in upgrade/upgrade.log there, and starts CLIENT again. Started again after an\n"
    "interruption, it carries on. What stopped it is left in upgrade/failure.txt for the client.\n";

// In its own session, so that it outlives this process and its terminal.
bool start_client(const std::filesystem::path& client) {
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
  const std::string program = client.string();
  char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
  pid_t pid = 0;
  const int error = posix_spawn(&pid, program.c_str(), nullptr, &attributes, argv, environ);
  posix_spawnattr_destroy(&attributes);
  if (error != 0) std::cerr << "brindle-upgrader: " << program << ": " << std::strerror(error) << '\n';
  return error == 0;
}

}  // namespace

int main(int argc, char** argv) {
  namespace up = brindle::upgrader;
  if (argc == 2 && std::string_view(argv[1]) == "--help") {
    std::cout << kUsage;
    return 0;
  }
  if (argc != 2) {
    std::cerr << kUsage;
    return 2;
  }
  const auto request = up::parse_upgrade_request(argv[1]);
  if (!request) {
    std::cerr << "brindle-upgrader: " << request.error() << "\n\n" << kUsage;
    return 2;
  }

  up::CurlFetcher fetcher(std::make_shared<brindle::net::ServerKeys>(
      brindle::net::built_in_pins(), brindle::net::ServerKeys::file_in(request->program_directory)));
  const up::UpgradeOutcome outcome = up::run_upgrade(request.value(), kPublicKey, fetcher);
  if (outcome.ok) {
    std::cout << "brindle-upgrader: version " << outcome.version << " installed\n";
    brindle::app::take_upgrade_failure(request->program_directory);  // an earlier run's, now past
  } else {
    std::cerr << "brindle-upgrader: " << outcome.message << '\n';
    if (!brindle::app::write_upgrade_failure(request->program_directory, outcome.message))
      std::cerr << "brindle-upgrader: the failure note could not be written\n";
  }
  start_client(request->client);
  return outcome.ok ? 0 : 1;
}
