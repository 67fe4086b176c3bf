#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "server/accounts/account.h"
#include "server/accounts/credential_cache.h"
#include "server/accounts/password_hash.h"
#include "server/storage/database.h"
#include "wire/result.h"

namespace brindle::server::accounts {

// The Result code of a request whose user name or password is wrong.
inline constexpr int kResultNotSignedIn = 4;
inline constexpr std::string_view kWrongCredentialsText = "用户名或密码错误！";

// Checks the user name and password that every request outside DATA_ACQUIRE carries. A credential
// pays the full password hash once per process; afterwards a cache hit costs one HMAC and one read
// of the account row (which is read anyway, so flags set by an admin command show at once).
class Authenticator final {
 public:
  // The clock of the cache's sessions; empty: the steady clock.
  Authenticator(std::shared_ptr<storage::Database> database, std::shared_ptr<const PasswordHasher> hasher,
                CredentialCache::Clock clock = {});

  // The account, or kWrongCredentialsText for an unknown name or a wrong password alike. A password
  // mailed by retrieval signs in too, and becomes the account's password then. A success makes the
  // credential a session of `address`.
  Result<AuthenticatedAccount> authenticate(std::string_view user_name, std::string_view password,
                                            std::string_view address = {}) const;

  // What one read and one HMAC tell about a credential, without hashing.
  struct Lookup {
    bool account_exists = false;
    std::optional<AuthenticatedAccount> cached;  // the cache vouches for the credential
    bool live_here = false;                      // as a live session of the address
  };
  Result<Lookup> look_up(std::string_view user_name, std::string_view password,
                         std::string_view address) const;
  // The cached credential was accepted from `address`.
  void accepted(std::string_view user_name, std::string_view password, std::string_view address) const {
    cache_->used(user_name, password, address);
  }

  const PasswordHasher& hasher() const { return *hasher_; }
  CredentialCache& cache() const { return *cache_; }

 private:
  // The hash of a password mailed by retrieval that this password matches, now the account's own;
  // empty when it matches none.
  Result<std::string> adopt_retrieved(AccountId id, std::string_view password) const;

  std::shared_ptr<storage::Database> database_;
  std::shared_ptr<const PasswordHasher> hasher_;
  std::unique_ptr<CredentialCache> cache_;
  std::string dummy_hash_;  // verified against for unknown names, so they take as long as known ones
};

}  // namespace brindle::server::accounts
