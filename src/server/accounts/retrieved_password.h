#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "server/accounts/account.h"
#include "server/storage/database.h"
#include "server/storage/migration.h"
#include "wire/result.h"

namespace brindle::server::accounts {

// A password mailed by password retrieval (2016) waits beside the account's own: anyone may ask
// for a retrieval, so it must not end the old password. The first sign-in with the mailed one
// makes it the account's password (and ends the old); a password change drops it.
std::span<const storage::Migration> retrieval_migrations();

// Replaces any password mailed before.
Result<void> offer_retrieved_password(storage::Connection& connection, AccountId id,
                                      std::string_view password_hash, std::int64_t now);
// Empty when none waits.
Result<std::string> retrieved_password_hash(storage::Connection& connection, AccountId id);
// Makes the waiting password the account's, if it is still the one with that hash: false when
// another retrieval or a password change came in between.
Result<bool> adopt_retrieved_password(storage::Connection& connection, AccountId id,
                                      std::string_view password_hash);
Result<void> drop_retrieved_password(storage::Connection& connection, AccountId id);

}  // namespace brindle::server::accounts
