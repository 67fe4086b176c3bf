#include "server/accounts/retrieved_password.h"

namespace brindle::server::accounts {
namespace {

using storage::Connection;

// Its own module, so that its step never competes with the accounts module's numbering.
constexpr std::string_view kRetrievalsV1 = R"sql(
CREATE TABLE retrieved_passwords (
  account_id INTEGER PRIMARY KEY REFERENCES accounts (id) ON DELETE CASCADE,
  password_hash TEXT NOT NULL,
  mailed_at INTEGER NOT NULL
);
)sql";

constexpr storage::Migration kMigrations[] = {{"retrievals", 1, kRetrievalsV1}};

}  // namespace

std::span<const storage::Migration> retrieval_migrations() { return kMigrations; }

Result<void> offer_retrieved_password(Connection& connection, AccountId id, std::string_view password_hash,
                                      std::int64_t now) {
  auto upsert = connection.prepare(
      "INSERT INTO retrieved_passwords (account_id, password_hash, mailed_at) VALUES (?1, ?2, ?3)"
      " ON CONFLICT (account_id) DO UPDATE SET password_hash = excluded.password_hash,"
      " mailed_at = excluded.mailed_at");
  if (!upsert) return Result<void>::failure(upsert.error());
  upsert->bind(1, id).bind(2, password_hash).bind(3, now);
  return upsert->run();
}

Result<std::string> retrieved_password_hash(Connection& connection, AccountId id) {
  auto select = connection.prepare("SELECT password_hash FROM retrieved_passwords WHERE account_id = ?1");
  if (!select) return Result<std::string>::failure(select.error());
  select->bind(1, id);
  auto row = select->step();
  if (!row) return Result<std::string>::failure(row.error());
  return row.value() ? select->column_text(0) : std::string();
}

Result<bool> adopt_retrieved_password(Connection& connection, AccountId id, std::string_view password_hash) {
  auto current = retrieved_password_hash(connection, id);
  if (!current) return Result<bool>::failure(current.error());
  if (current->empty() || current.value() != password_hash) return false;
  auto update = connection.prepare("UPDATE accounts SET password_hash = ?2 WHERE id = ?1");
  if (!update) return Result<bool>::failure(update.error());
  update->bind(1, id).bind(2, password_hash);
  if (auto ran = update->run(); !ran) return Result<bool>::failure(ran.error());
  if (auto dropped = drop_retrieved_password(connection, id); !dropped)
    return Result<bool>::failure(dropped.error());
  return true;
}

Result<void> drop_retrieved_password(Connection& connection, AccountId id) {
  auto remove = connection.prepare("DELETE FROM retrieved_passwords WHERE account_id = ?1");
  if (!remove) return Result<void>::failure(remove.error());
  remove->bind(1, id);
  return remove->run();
}

}  // namespace brindle::server::accounts
