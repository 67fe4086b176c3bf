// Arbitrary bytes as the known-keys file. Reading never crashes; what it accepts it accepts whole,
// writes back as a file that reads the same, and every key it holds is a real fingerprint.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/net/server_keys.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto pins = brindle::net::parse_known_keys(text);
  if (!pins) {
    if (pins.error().empty()) std::abort();
    return 0;
  }
  for (const auto& [endpoint, fingerprint] : pins.value()) {
    if (!brindle::net::is_key_endpoint(endpoint) || !brindle::net::is_key_fingerprint(fingerprint))
      std::abort();
  }
  const auto again = brindle::net::parse_known_keys(brindle::net::format_known_keys(pins.value()));
  if (!again || again.value() != pins.value()) std::abort();
  return 0;
}
