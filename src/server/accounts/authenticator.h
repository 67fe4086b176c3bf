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
  Authenticator(std::shared_ptr<storage::Database> database, std::shared_ptr<const PasswordHasher> hasher);

  // The account, or kWrongCredentialsText for an unknown name or a wrong password alike. A password
  // mailed by retrieval signs in too, and becomes the account's password then.
  Result<AuthenticatedAccount> authenticate(std::string_view user_name, std::string_view password) const;
  // Without hashing: the account when the cache vouches for the credential, empty when only
  // authenticate() can tell.
  Result<std::optional<AuthenticatedAccount>> cached(std::string_view user_name,
                                                     std::string_view password) const;

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
