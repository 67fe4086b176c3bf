#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "upgrader/release_manifest.h"
#include "wire/result.h"

namespace brindle::upgrader {

// What the client's command line asks for: "http://HOST/Download/Upgrader|PROGRAM_DIR/brindle".
struct UpgradeRequest {
  std::string origin;  // "https://HOST[:PORT]": the client's plain address, fetched over TLS instead
  std::filesystem::path program_directory;
  std::filesystem::path client;  // started again when the upgrader is done
  std::string manifest_url() const { return origin + std::string(kManifestPath); }
  std::string file_url(const ReleaseFile& file) const;
};
Result<UpgradeRequest> parse_upgrade_request(std::string_view argument);

// Fetches one address whole; refuses more than `limit` bytes.
class Fetcher {
 public:
  virtual ~Fetcher() = default;
  virtual Result<std::string> fetch(const std::string& url, std::uint64_t limit) = 0;
};

struct UpgradeOutcome {
  bool ok = false;
  std::string message;  // for the user: what failed, or empty
  int version = 0;
};

// Fetches and checks the signed list, then brings every file to its place, recording each step in
// the upgrade log so that a run started again after an interruption carries on where this one
// stopped: a file fetched and checked is not fetched again, a file whose size or SHA-256 differs is
// never installed, and the upgrader itself is left fetched for the client to put in place.
UpgradeOutcome run_upgrade(const UpgradeRequest& request, std::string_view public_key_base64,
                           Fetcher& fetcher);

// Installs `source` as `target` with `mode`: written beside the target, then renamed over it.
Result<void> install_file(const std::filesystem::path& source, const std::filesystem::path& target,
                          unsigned mode);

// The size and SHA-256 of a file on disk match the release's.
bool file_matches(const std::filesystem::path& path, const ReleaseFile& file);

}  // namespace brindle::upgrader
