#include "server/accounts/authenticator.h"

#include <utility>

#include "server/accounts/account_store.h"
#include "server/accounts/retrieved_password.h"

namespace brindle::server::accounts {

Authenticator::Authenticator(std::shared_ptr<storage::Database> database,
                             std::shared_ptr<const PasswordHasher> hasher, CredentialCache::Clock clock)
    : database_(std::move(database)),
      hasher_(std::move(hasher)),
      cache_(std::make_unique<CredentialCache>(CredentialCache::kDefaultCapacity, std::move(clock))) {
  auto dummy = hasher_->hash("unknown user");
  if (dummy) dummy_hash_ = std::move(dummy).value();
}

Result<AuthenticatedAccount> Authenticator::authenticate(std::string_view user_name,
                                                         std::string_view password,
                                                         std::string_view address) const {
  using R = Result<AuthenticatedAccount>;
  auto wrong = [] { return R::failure(std::string(kWrongCredentialsText)); };
  if (user_name.empty() || password.empty()) return wrong();

  auto stored = database_->read(
      [&](storage::Connection& connection) { return find_credential(connection, user_name); });
  if (!stored) return R::failure(stored.error());
  if (!stored.value()) {
    (void)hasher_->verify(password, dummy_hash_);
    return wrong();
  }
  auto& credential = *stored.value();
  const AccountId id = credential.identity.id;
  if (!cache_->contains(user_name, password, id, credential.password_hash)) {
    if (!hasher_->verify(password, credential.password_hash)) {
      auto adopted = adopt_retrieved(id, password);
      if (!adopted) return R::failure(adopted.error());
      if (adopted->empty()) return wrong();
      credential.password_hash = std::move(adopted).value();
    }
    cache_->remember(user_name, password, id, credential.password_hash, address);
  } else {
    cache_->used(user_name, password, address);
  }
  return std::move(credential.identity);
}

Result<std::string> Authenticator::adopt_retrieved(AccountId id, std::string_view password) const {
  using R = Result<std::string>;
  auto waiting = database_->read([id](storage::Connection& c) { return retrieved_password_hash(c, id); });
  if (!waiting) return waiting;
  if (waiting->empty() || !hasher_->verify(password, waiting.value())) return std::string();
  // Its first use makes it the password: from this commit the old one no longer signs in, and the
  // cache's entries for it no longer match the stored hash.
  auto adopted = database_->transaction(
      [&](storage::Connection& c) { return adopt_retrieved_password(c, id, waiting.value()); });
  if (!adopted) return R::failure(adopted.error());
  return adopted.value() ? std::move(waiting).value() : std::string();
}

Result<Authenticator::Lookup> Authenticator::look_up(std::string_view user_name, std::string_view password,
                                                     std::string_view address) const {
  using R = Result<Lookup>;
  if (user_name.empty()) return Lookup{};
  auto stored = database_->read(
      [&](storage::Connection& connection) { return find_credential(connection, user_name); });
  if (!stored) return R::failure(stored.error());
  if (!stored.value()) return Lookup{};
  auto& credential = *stored.value();
  Lookup lookup;
  lookup.account_exists = true;
  if (password.empty()) return lookup;
  const auto match =
      cache_->find(user_name, password, credential.identity.id, credential.password_hash, address);
  if (match.known) lookup.cached = std::move(credential.identity);
  lookup.live_here = match.live_here;
  return lookup;
}

}  // namespace brindle::server::accounts
