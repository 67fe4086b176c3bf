#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

#include "wire/result.h"

namespace brindle::server::accounts {

// Salted PBKDF2-HMAC-SHA256. A stored hash reads "pbkdf2-sha256$<iterations>$<salt hex>$<key hex>",
// so the iteration count can rise later without invalidating older hashes.
class PasswordHasher final {
 public:
  static constexpr unsigned kDefaultIterations = 100'000;

  explicit PasswordHasher(unsigned iterations = kDefaultIterations) : iterations_(iterations) {}

  Result<std::string> hash(std::string_view password) const;
  // Compares in constant time; a malformed stored text never verifies.
  bool verify(std::string_view password, std::string_view stored) const;

  // Full PBKDF2 runs so far (hash and verify both count); lets tests see that a cache spared one.
  std::uint64_t full_hash_count() const { return full_hashes_.load(); }
  unsigned iterations() const { return iterations_; }

 private:
  unsigned iterations_;
  mutable std::atomic<std::uint64_t> full_hashes_{0};
};

}  // namespace brindle::server::accounts
