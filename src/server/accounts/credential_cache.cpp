#include "server/accounts/credential_cache.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <utility>
#include <vector>

namespace brindle::server::accounts {

CredentialCache::CredentialCache(std::size_t capacity, Clock clock)
    : capacity_(capacity == 0 ? 1 : capacity), clock_(std::move(clock)) {
  if (!clock_) clock_ = [] { return std::chrono::steady_clock::now(); };
  // Without a secret key the digests could be tested against guessed passwords by anyone who
  // reads the process's memory; a server that cannot draw one must not start.
  if (RAND_bytes(key_.data(), static_cast<int>(key_.size())) != 1) {
    throw std::runtime_error("cannot draw a random key for the credential cache");
  }
}

std::size_t CredentialCache::DigestHash::operator()(const Digest& digest) const noexcept {
  std::size_t value = 0;
  std::memcpy(&value, digest.data(), sizeof value);  // already a keyed hash: any slice is uniform
  return value;
}

CredentialCache::Digest CredentialCache::digest(std::string_view user_name, std::string_view password) const {
  // The name's length goes first so that ("ab", "c") and ("a", "bc") never share a digest.
  std::vector<unsigned char> message;
  const std::uint64_t name_size = user_name.size();
  for (int shift = 56; shift >= 0; shift -= 8)
    message.push_back(static_cast<unsigned char>(name_size >> shift));
  message.insert(message.end(), user_name.begin(), user_name.end());
  message.insert(message.end(), password.begin(), password.end());
  Digest out{};
  unsigned int size = 0;
  HMAC(EVP_sha256(), key_.data(), static_cast<int>(key_.size()), message.data(), message.size(), out.data(),
       &size);
  return out;
}

CredentialCache::Match CredentialCache::find(std::string_view user_name, std::string_view password,
                                             AccountId id, std::string_view stored_hash,
                                             std::string_view address) const {
  const auto key = digest(user_name, password);
  const auto now = clock_();
  std::lock_guard lock(mutex_);
  auto found = entries_.find(key);
  if (found == entries_.end() || found->second.id != id || found->second.stored_hash != stored_hash)
    return {};
  const auto& sessions = found->second.sessions;
  const bool live = std::any_of(sessions.begin(), sessions.end(), [&](const Session& session) {
    return session.address == address && now - session.last_used < kSessionIdle;
  });
  return {true, live};
}

void CredentialCache::touch(Entry& entry, std::string_view address, TimePoint now) {
  auto& sessions = entry.sessions;
  std::erase_if(sessions, [&](const Session& session) { return session.address == address; });
  if (sessions.size() >= kAddressesPerEntry) sessions.erase(sessions.begin());
  sessions.push_back({std::string(address), now});
}

void CredentialCache::remember(std::string_view user_name, std::string_view password, AccountId id,
                               std::string stored_hash, std::string_view address) {
  const auto key = digest(user_name, password);
  const auto now = clock_();
  std::lock_guard lock(mutex_);
  // A full cache starts over rather than growing without bound under a flood of distinct logins.
  if (entries_.size() >= capacity_ && !entries_.contains(key)) entries_.clear();
  auto& entry = entries_[key];
  if (entry.id != id || entry.stored_hash != stored_hash) entry = Entry{id, std::move(stored_hash), {}};
  touch(entry, address, now);
}

void CredentialCache::used(std::string_view user_name, std::string_view password, std::string_view address) {
  const auto key = digest(user_name, password);
  const auto now = clock_();
  std::lock_guard lock(mutex_);
  if (auto found = entries_.find(key); found != entries_.end()) touch(found->second, address, now);
}

void CredentialCache::forget_account(AccountId id) {
  std::lock_guard lock(mutex_);
  std::erase_if(entries_, [id](const auto& entry) { return entry.second.id == id; });
}

std::size_t CredentialCache::size() const {
  std::lock_guard lock(mutex_);
  return entries_.size();
}

}  // namespace brindle::server::accounts
