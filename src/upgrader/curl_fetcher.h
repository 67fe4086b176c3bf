#pragma once

#include "upgrader/upgrader.h"

namespace brindle::upgrader {

// GETs over libcurl. The reference server's certificate is its own and the client does not check
// it either; what the upgrader trusts is the release list's signature and the digests it names.
class CurlFetcher final : public Fetcher {
 public:
  Result<std::string> fetch(const std::string& url, std::uint64_t limit) override;
};

}  // namespace brindle::upgrader
