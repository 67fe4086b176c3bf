#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "server/accounts/account.h"

namespace brindle::server::accounts {

// Remembers credentials that passed a full password check in this process, so the client's
// every-request credentials cost an HMAC instead of a PBKDF2 run. Only a keyed digest (HMAC-SHA256
// with a random per-process key) of user name and password is kept, never the password. An entry
// is bound to the stored hash it was verified against: once the stored hash changes (a new
// password, even one set by another process) the entry no longer matches.
//
// An entry also knows the addresses it is a live session of: proven or used there within
// kSessionIdle. While new sign-ins of a name from an address are limited, only such a session
// gets through; a remembered credential arriving from anywhere else is treated as a guess, so the
// cache never tells a guesser which of his guesses was right.
class CredentialCache final {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;
  static constexpr std::size_t kDefaultCapacity = 100'000;
  // Longer than the client's refresh period (60 s at least, 180 s by default), so a running
  // client's session never lapses.
  static constexpr std::chrono::minutes kSessionIdle{15};
  // The most recent addresses kept per credential (a user who moves between a few networks).
  static constexpr std::size_t kAddressesPerEntry = 4;

  explicit CredentialCache(std::size_t capacity = kDefaultCapacity, Clock clock = {});

  struct Match {
    bool known = false;      // passed a full check against this stored hash
    bool live_here = false;  // and is a live session of the address asked about
  };
  Match find(std::string_view user_name, std::string_view password, AccountId id,
             std::string_view stored_hash, std::string_view address) const;
  bool contains(std::string_view user_name, std::string_view password, AccountId id,
                std::string_view stored_hash) const {
    return find(user_name, password, id, stored_hash, {}).known;
  }
  // Proven from `address`, which it is a live session of from now on.
  void remember(std::string_view user_name, std::string_view password, AccountId id, std::string stored_hash,
                std::string_view address = {});
  // Accepted from `address`: its session there stays live.
  void used(std::string_view user_name, std::string_view password, std::string_view address);
  void forget_account(AccountId id);
  std::size_t size() const;

 private:
  using Digest = std::array<unsigned char, 32>;
  using TimePoint = std::chrono::steady_clock::time_point;
  struct DigestHash {
    std::size_t operator()(const Digest& digest) const noexcept;
  };
  struct Session {
    std::string address;
    TimePoint last_used;
  };
  struct Entry {
    AccountId id;
    std::string stored_hash;
    std::vector<Session> sessions;  // most recent last
  };
  Digest digest(std::string_view user_name, std::string_view password) const;
  static void touch(Entry& entry, std::string_view address, TimePoint now);

  std::array<unsigned char, 32> key_{};
  std::size_t capacity_;
  Clock clock_;
  mutable std::mutex mutex_;
  std::unordered_map<Digest, Entry, DigestHash> entries_;
};

}  // namespace brindle::server::accounts
