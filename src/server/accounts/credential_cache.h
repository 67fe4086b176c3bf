#pragma once

#include <array>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "server/accounts/account.h"

namespace brindle::server::accounts {

// Remembers credentials that passed a full password check in this process, so the client's
// every-request credentials cost an HMAC instead of a PBKDF2 run. Only a keyed digest (HMAC-SHA256
// with a random per-process key) of user name and password is kept, never the password. An entry
// is bound to the stored hash it was verified against: once the stored hash changes (a new
// password, even one set by another process) the entry no longer matches.
class CredentialCache final {
 public:
  static constexpr std::size_t kDefaultCapacity = 100'000;

  explicit CredentialCache(std::size_t capacity = kDefaultCapacity);

  bool contains(std::string_view user_name, std::string_view password, AccountId id,
                std::string_view stored_hash) const;
  void remember(std::string_view user_name, std::string_view password, AccountId id, std::string stored_hash);
  void forget_account(AccountId id);
  std::size_t size() const;

 private:
  using Digest = std::array<unsigned char, 32>;
  struct DigestHash {
    std::size_t operator()(const Digest& digest) const noexcept;
  };
  struct Entry {
    AccountId id;
    std::string stored_hash;
  };
  Digest digest(std::string_view user_name, std::string_view password) const;

  std::array<unsigned char, 32> key_{};
  std::size_t capacity_;
  mutable std::mutex mutex_;
  std::unordered_map<Digest, Entry, DigestHash> entries_;
};

}  // namespace brindle::server::accounts
