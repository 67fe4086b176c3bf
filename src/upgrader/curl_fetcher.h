#pragma once

#include <memory>

#include "core/net/server_keys.h"
#include "upgrader/upgrader.h"

namespace brindle::upgrader {

// GETs over libcurl, each server judged as the client judges it (the same keys file), so the upgrade
// description and files come only from a server the user trusts. What the upgrader trusts of their
// contents is the release list's signature and the digests it names.
class CurlFetcher final : public Fetcher {
 public:
  explicit CurlFetcher(std::shared_ptr<net::ServerKeys> keys) : keys_(std::move(keys)) {}
  Result<std::string> fetch(const std::string& url, std::uint64_t limit) override;

 private:
  std::shared_ptr<net::ServerKeys> keys_;
};

}  // namespace brindle::upgrader
