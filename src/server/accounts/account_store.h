#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "server/accounts/account.h"
#include "server/accounts/password_hash.h"
#include "server/storage/database.h"
#include "server/storage/migration.h"
#include "wire/result.h"

namespace brindle::server::accounts {

// The tables of this module: accounts, member details, the statement.
std::span<const storage::Migration> accounts_migrations();

// Reads and writes of account rows, run inside the caller's transaction or read.

// Checks the name and password, hashes the password and inserts the row; the new id.
Result<AccountId> create_account(storage::Connection& connection, const PasswordHasher& hasher,
                                 const NewAccount& account);
Result<std::optional<Account>> find_account(storage::Connection& connection, AccountId id);
Result<std::optional<Account>> find_account_by_name(storage::Connection& connection,
                                                    std::string_view user_name);
// What authentication needs of a user name in one read: who it is and the stored password hash.
struct StoredCredential {
  AuthenticatedAccount identity;
  std::string password_hash;
};
Result<std::optional<StoredCredential>> find_credential(storage::Connection& connection,
                                                        std::string_view user_name);
Result<void> set_password(storage::Connection& connection, const PasswordHasher& hasher, AccountId id,
                          std::string_view new_password);
inline constexpr std::string_view kWithdrawalPasswordBadText = "提彩密码含有不允许的字符！";
// A password that can also travel as the first field of a transfer: no "|".
Result<void> check_withdrawal_password(std::string_view password);
// The withdrawal password (提彩密码) that transfers ask for: checked like a password, stored hashed.
Result<void> set_withdrawal_password(storage::Connection& connection, const PasswordHasher& hasher,
                                     AccountId id, std::string_view new_password);
// The stored hash; empty when the account has none.
Result<std::string> withdrawal_password_hash(storage::Connection& connection, AccountId id);
Result<void> set_star_member(storage::Connection& connection, AccountId id, bool star);
// A star member's agent: his rooms take its id (1-99) as their position and its name as caption.
struct Agent {
  int id = 0;
  std::string name;
};
Result<std::optional<Agent>> find_agent(storage::Connection& connection, AccountId id);
// agent_id 0 removes the agent.
Result<void> set_agent(storage::Connection& connection, AccountId id, int agent_id, std::string_view name);
Result<void> set_frozen(storage::Connection& connection, AccountId id, bool frozen);
// Hands out the context numbers of a new sign-in: the second counts the account's sign-ins.
Result<Account> record_sign_in(storage::Connection& connection, AccountId id);
Result<std::vector<Account>> list_accounts(storage::Connection& connection);

// Whether the halls' in-play button opens the in-play web page (the first member detail of 3032).
Result<void> set_in_play_web_mode(storage::Connection& connection, AccountId id, bool on);

// The web session token that the embedded in-play page receives (4061): 40 upper-case hexadecimal
// digits standing for the account's credentials on that page. It must be opened within a few
// minutes, then lives while it is used at least every idle period, never beyond its whole
// lifetime, and ends at once when the account's password changes.
inline constexpr std::size_t kWebTokenLength = 40;
inline constexpr std::int64_t kWebTokenFirstUseSeconds = 5 * 60;
inline constexpr std::int64_t kWebTokenIdleSeconds = 20 * 60;
inline constexpr std::int64_t kWebTokenLifetimeSeconds = 4 * 60 * 60;
Result<std::string> issue_web_token(storage::Connection& connection, AccountId id);
// The account a token stands for now; nothing for one that is unknown, malformed or no longer valid.
Result<std::optional<AccountId>> web_token_account(storage::Connection& connection, std::string_view token);
// The same, and stamps the token as used now (inside a write transaction).
Result<std::optional<AccountId>> use_web_token(storage::Connection& connection, std::string_view token);

}  // namespace brindle::server::accounts
