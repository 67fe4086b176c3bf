#include "server/accounts/credential_cache.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace brindle::server::accounts {

CredentialCache::CredentialCache(std::size_t capacity) : capacity_(capacity == 0 ? 1 : capacity) {
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

bool CredentialCache::contains(std::string_view user_name, std::string_view password, AccountId id,
                               std::string_view stored_hash) const {
  const auto key = digest(user_name, password);
  std::lock_guard lock(mutex_);
  auto found = entries_.find(key);
  return found != entries_.end() && found->second.id == id && found->second.stored_hash == stored_hash;
}

void CredentialCache::remember(std::string_view user_name, std::string_view password, AccountId id,
                               std::string stored_hash) {
  const auto key = digest(user_name, password);
  std::lock_guard lock(mutex_);
  // A full cache starts over rather than growing without bound under a flood of distinct logins.
  if (entries_.size() >= capacity_ && !entries_.contains(key)) entries_.clear();
  entries_.insert_or_assign(key, Entry{id, std::move(stored_hash)});
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
