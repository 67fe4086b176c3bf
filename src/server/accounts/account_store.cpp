#include "server/accounts/account_store.h"

#include <openssl/rand.h>

#include <algorithm>
#include <array>
#include <functional>
#include <utility>

#include "server/storage/inserted_id.h"
#include "server/storage/timestamp.h"
#include "wire/gbk.h"

namespace brindle::server::accounts {
namespace {

using storage::Connection;

constexpr std::string_view kAccountsV1 = R"sql(
CREATE TABLE accounts (
  id INTEGER PRIMARY KEY,
  user_name TEXT NOT NULL UNIQUE,
  password_hash TEXT NOT NULL,
  currency INTEGER NOT NULL DEFAULT 0 CHECK (currency BETWEEN 0 AND 3),
  balance INTEGER NOT NULL DEFAULT 0 CHECK (balance >= 0),
  frozen_amount INTEGER NOT NULL DEFAULT 0 CHECK (frozen_amount >= 0),
  credit INTEGER NOT NULL DEFAULT 0 CHECK (credit >= 0),
  star_member INTEGER NOT NULL DEFAULT 0,
  frozen INTEGER NOT NULL DEFAULT 0,
  in_play_web_mode INTEGER NOT NULL DEFAULT 0,
  login_text1 TEXT NOT NULL DEFAULT '',
  login_text3 TEXT NOT NULL DEFAULT '',
  context1 INTEGER NOT NULL DEFAULT 1,
  context2 INTEGER NOT NULL DEFAULT 1,
  new_messages INTEGER NOT NULL DEFAULT 0,
  member_number1 INTEGER NOT NULL DEFAULT 0,
  member_number2 INTEGER NOT NULL DEFAULT 0,
  created_at INTEGER NOT NULL DEFAULT (unixepoch())
);
CREATE TABLE member_details (
  account_id INTEGER NOT NULL REFERENCES accounts (id) ON DELETE CASCADE,
  slot INTEGER NOT NULL CHECK (slot BETWEEN 1 AND 19),
  text TEXT NOT NULL,
  PRIMARY KEY (account_id, slot)
);
CREATE TABLE statement_entries (
  id INTEGER PRIMARY KEY,
  account_id INTEGER NOT NULL REFERENCES accounts (id),
  time INTEGER NOT NULL,
  type INTEGER NOT NULL,
  amount INTEGER NOT NULL,
  content TEXT NOT NULL DEFAULT '',
  balance_before INTEGER NOT NULL
);
CREATE INDEX statement_entries_by_account ON statement_entries (account_id, time, id);
CREATE TABLE web_tokens (
  token TEXT PRIMARY KEY,
  account_id INTEGER NOT NULL REFERENCES accounts (id) ON DELETE CASCADE,
  issued_at INTEGER NOT NULL
);
)sql";

// The withdrawal password (提彩密码) that transfers are checked against, hashed like the sign-in
// password; empty until one is set, and an account without one cannot transfer. A star member's
// agent (id 1-99, 0 for none) is the only place his rooms may take.
constexpr std::string_view kAccountsV2 = R"sql(
ALTER TABLE accounts ADD COLUMN withdrawal_password_hash TEXT NOT NULL DEFAULT '';
ALTER TABLE accounts ADD COLUMN agent_id INTEGER NOT NULL DEFAULT 0 CHECK (agent_id BETWEEN 0 AND 99);
ALTER TABLE accounts ADD COLUMN agent_name TEXT NOT NULL DEFAULT '';
)sql";

// A web token is stamped when it is first used, so that one never opened dies within minutes while
// one in use lives on; it carries the password hash it was issued under, so that a changed password
// ends it as it ends every other session. Tokens from before carry none and are no longer valid.
constexpr std::string_view kAccountsV3 = R"sql(
ALTER TABLE web_tokens ADD COLUMN used_at INTEGER;
ALTER TABLE web_tokens ADD COLUMN password_hash TEXT NOT NULL DEFAULT '';
CREATE INDEX web_tokens_by_issue ON web_tokens (issued_at);
)sql";

// Attempt counts that every server sharing the database limits by (accounts/attempt_limiter.h),
// times in milliseconds.
constexpr std::string_view kAccountsV4 = R"sql(
CREATE TABLE attempt_limits (
  scope TEXT NOT NULL,
  attempt_key TEXT NOT NULL,
  counted INTEGER NOT NULL,
  window_start INTEGER NOT NULL,
  next_allowed INTEGER NOT NULL,
  locked_until INTEGER NOT NULL,
  expires INTEGER NOT NULL,
  PRIMARY KEY (scope, attempt_key)
);
CREATE INDEX attempt_limits_expiry ON attempt_limits (scope, expires);
)sql";

constexpr storage::Migration kMigrations[] = {
    {"accounts", 1, kAccountsV1},
    {"accounts", 2, kAccountsV2},
    {"accounts", 3, kAccountsV3},
    {"accounts", 4, kAccountsV4},
};

constexpr std::string_view kAccountColumns =
    "id, user_name, currency, balance, frozen_amount, credit, star_member, frozen, in_play_web_mode, "
    "login_text1, login_text3, context1, context2, new_messages, member_number1, member_number2";

Account read_account(const storage::Statement& row) {
  Account account;
  account.id = row.column_int64(0);
  account.user_name = row.column_text(1);
  account.currency = static_cast<Currency>(row.column_int64(2));
  account.balance = row.column_int64(3);
  account.frozen_amount = row.column_int64(4);
  account.credit = row.column_int64(5);
  account.star_member = row.column_int64(6) != 0;
  account.frozen = row.column_int64(7) != 0;
  account.in_play_web_mode = row.column_int64(8) != 0;
  account.login_text1 = row.column_text(9);
  account.login_text3 = row.column_text(10);
  account.context1 = row.column_int64(11);
  account.context2 = row.column_int64(12);
  account.new_messages = row.column_int64(13);
  account.member_number1 = row.column_int64(14);
  account.member_number2 = row.column_int64(15);
  return account;
}

Result<void> read_member_texts(Connection& connection, Account& account) {
  auto texts = connection.prepare("SELECT slot, text FROM member_details WHERE account_id = ?1");
  if (!texts) return Result<void>::failure(texts.error());
  texts->bind(1, account.id);
  for (;;) {
    auto row = texts->step();
    if (!row) return Result<void>::failure(row.error());
    if (!row.value()) return {};
    const auto slot = texts->column_int64(0);
    if (slot >= 1 && slot <= static_cast<std::int64_t>(kMemberDetailTexts)) {
      account.member_texts[static_cast<std::size_t>(slot - 1)] = texts->column_text(1);
    }
  }
}

Result<std::optional<Account>> find_where(Connection& connection, std::string_view where,
                                          const std::function<void(storage::Statement&)>& bind) {
  using R = Result<std::optional<Account>>;
  auto statement = connection.prepare("SELECT " + std::string(kAccountColumns) + " FROM accounts WHERE " +
                                      std::string(where));
  if (!statement) return R::failure(statement.error());
  bind(statement.value());
  auto row = statement->step();
  if (!row) return R::failure(row.error());
  if (!row.value()) return std::optional<Account>{};
  Account account = read_account(statement.value());
  if (auto texts = read_member_texts(connection, account); !texts) return R::failure(texts.error());
  return std::optional<Account>(std::move(account));
}

}  // namespace

std::span<const storage::Migration> accounts_migrations() { return kMigrations; }

Result<void> check_withdrawal_password(std::string_view password) {
  if (auto ok = check_password(password); !ok) return ok;
  // A transfer carries it as the first field of "password|amount|user".
  if (password.find('|') != std::string_view::npos)
    return Result<void>::failure(std::string(kWithdrawalPasswordBadText));
  return {};
}

Result<AccountId> create_account(Connection& connection, const PasswordHasher& hasher,
                                 const NewAccount& account) {
  using R = Result<AccountId>;
  if (auto ok = check_user_name(account.user_name); !ok) return R::failure(ok.error());
  if (auto ok = check_password(account.password); !ok) return R::failure(ok.error());
  if (account.credit < 0 || account.credit > storage::kMaxAmount) {
    return R::failure(std::string(storage::kAmountTooLargeText));
  }
  {
    auto taken = find_credential(connection, account.user_name);
    if (!taken) return R::failure(taken.error());
    if (taken.value()) return R::failure(std::string(kUserNameTakenText));
  }
  auto hash = hasher.hash(account.password);
  if (!hash) return R::failure(hash.error());
  std::string withdrawal_hash;
  if (!account.withdrawal_password.empty()) {
    if (auto ok = check_withdrawal_password(account.withdrawal_password); !ok) return R::failure(ok.error());
    auto hashed = hasher.hash(account.withdrawal_password);
    if (!hashed) return R::failure(hashed.error());
    withdrawal_hash = std::move(hashed).value();
  }

  auto insert = connection.prepare(
      "INSERT INTO accounts (user_name, password_hash, currency, credit, star_member, frozen, "
      "in_play_web_mode,"
      " login_text1, login_text3, withdrawal_password_hash) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, "
      "?10) RETURNING id");
  if (!insert) return R::failure(insert.error());
  insert->bind(1, account.user_name)
      .bind(2, hash.value())
      .bind(3, static_cast<int>(account.currency))
      .bind(4, account.credit)
      .bind(5, account.star_member ? 1 : 0)
      .bind(6, account.frozen ? 1 : 0)
      .bind(7, account.in_play_web_mode ? 1 : 0)
      .bind(8, account.login_text1)
      .bind(9, account.login_text3)
      .bind(10, withdrawal_hash);
  auto inserted = inserted_id(insert.value());
  if (!inserted) return R::failure(inserted.error());
  const AccountId id = inserted.value();

  auto detail = connection.prepare("INSERT INTO member_details (account_id, slot, text) VALUES (?1, ?2, ?3)");
  if (!detail) return R::failure(detail.error());
  for (std::size_t i = 0; i < kMemberDetailTexts; ++i) {
    if (account.member_texts[i].empty()) continue;
    detail->reset();
    detail->bind(1, id).bind(2, static_cast<int>(i + 1)).bind(3, account.member_texts[i]);
    if (auto ran = detail->run(); !ran) return R::failure(ran.error());
  }
  return id;
}

Result<std::optional<Account>> find_account(Connection& connection, AccountId id) {
  return find_where(connection, "id = ?1", [id](storage::Statement& s) { s.bind(1, id); });
}

Result<std::optional<Account>> find_account_by_name(Connection& connection, std::string_view user_name) {
  return find_where(connection, "user_name = ?1",
                    [user_name](storage::Statement& s) { s.bind(1, user_name); });
}

Result<std::optional<StoredCredential>> find_credential(Connection& connection, std::string_view user_name) {
  using R = Result<std::optional<StoredCredential>>;
  auto statement = connection.prepare(
      "SELECT id, user_name, currency, star_member, frozen, password_hash FROM accounts WHERE user_name = "
      "?1");
  if (!statement) return R::failure(statement.error());
  statement->bind(1, user_name);
  auto row = statement->step();
  if (!row) return R::failure(row.error());
  if (!row.value()) return std::optional<StoredCredential>{};
  StoredCredential credential;
  credential.identity.id = statement->column_int64(0);
  credential.identity.user_name = statement->column_text(1);
  credential.identity.currency = static_cast<Currency>(statement->column_int64(2));
  credential.identity.star_member = statement->column_int64(3) != 0;
  credential.identity.frozen = statement->column_int64(4) != 0;
  credential.password_hash = statement->column_text(5);
  return std::optional<StoredCredential>(std::move(credential));
}

namespace {
Result<void> expect_one_change(Connection& connection, Result<void> ran) {
  if (!ran) return ran;
  if (connection.changes() != 1) return Result<void>::failure(std::string(kNoSuchAccountText));
  return {};
}
}  // namespace

Result<void> set_password(Connection& connection, const PasswordHasher& hasher, AccountId id,
                          std::string_view new_password) {
  if (auto ok = check_password(new_password); !ok) return ok;
  auto hash = hasher.hash(new_password);
  if (!hash) return Result<void>::failure(hash.error());
  auto update = connection.prepare("UPDATE accounts SET password_hash = ?1 WHERE id = ?2");
  if (!update) return Result<void>::failure(update.error());
  update->bind(1, hash.value()).bind(2, id);
  return expect_one_change(connection, update->run());
}

Result<void> set_withdrawal_password(Connection& connection, const PasswordHasher& hasher, AccountId id,
                                     std::string_view new_password) {
  if (auto ok = check_withdrawal_password(new_password); !ok) return ok;
  auto hash = hasher.hash(new_password);
  if (!hash) return Result<void>::failure(hash.error());
  auto update = connection.prepare("UPDATE accounts SET withdrawal_password_hash = ?1 WHERE id = ?2");
  if (!update) return Result<void>::failure(update.error());
  update->bind(1, hash.value()).bind(2, id);
  return expect_one_change(connection, update->run());
}

Result<std::string> withdrawal_password_hash(Connection& connection, AccountId id) {
  auto statement = connection.prepare("SELECT withdrawal_password_hash FROM accounts WHERE id = ?1");
  if (!statement) return Result<std::string>::failure(statement.error());
  statement->bind(1, id);
  auto row = statement->step();
  if (!row) return Result<std::string>::failure(row.error());
  if (!row.value()) return Result<std::string>::failure(std::string(kNoSuchAccountText));
  return statement->column_text(0);
}

Result<std::optional<Agent>> find_agent(Connection& connection, AccountId id) {
  using R = Result<std::optional<Agent>>;
  auto statement = connection.prepare("SELECT agent_id, agent_name FROM accounts WHERE id = ?1");
  if (!statement) return R::failure(statement.error());
  statement->bind(1, id);
  auto row = statement->step();
  if (!row) return R::failure(row.error());
  if (!row.value()) return R::failure(std::string(kNoSuchAccountText));
  if (statement->column_int64(0) == 0) return std::optional<Agent>{};
  return std::optional<Agent>(Agent{static_cast<int>(statement->column_int64(0)), statement->column_text(1)});
}

Result<void> set_agent(Connection& connection, AccountId id, int agent_id, std::string_view name) {
  if (agent_id < 0 || agent_id >= 100) return Result<void>::failure("an agent's id runs from 1 to 99");
  if (agent_id > 0 && name.empty()) return Result<void>::failure("an agent needs a name");
  bool unmappable = false;
  (void)wire::utf8_to_gbk(name, &unmappable);
  const bool control = std::any_of(name.begin(), name.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
  if (unmappable || control || name.find('|') != std::string_view::npos)
    return Result<void>::failure("an agent's name must be GBK text without \"|\" or control characters");
  auto update = connection.prepare("UPDATE accounts SET agent_id = ?1, agent_name = ?2 WHERE id = ?3");
  if (!update) return Result<void>::failure(update.error());
  const std::string stored(agent_id == 0 ? std::string_view{} : name);  // never NULL, even empty
  update->bind(1, agent_id).bind(2, stored).bind(3, id);
  return expect_one_change(connection, update->run());
}

Result<void> set_star_member(Connection& connection, AccountId id, bool star) {
  auto update = connection.prepare("UPDATE accounts SET star_member = ?1 WHERE id = ?2");
  if (!update) return Result<void>::failure(update.error());
  update->bind(1, star ? 1 : 0).bind(2, id);
  return expect_one_change(connection, update->run());
}

Result<void> set_frozen(Connection& connection, AccountId id, bool frozen) {
  auto update = connection.prepare("UPDATE accounts SET frozen = ?1 WHERE id = ?2");
  if (!update) return Result<void>::failure(update.error());
  update->bind(1, frozen ? 1 : 0).bind(2, id);
  return expect_one_change(connection, update->run());
}

Result<Account> record_sign_in(Connection& connection, AccountId id) {
  using R = Result<Account>;
  {
    auto update = connection.prepare("UPDATE accounts SET context2 = context2 + 1 WHERE id = ?1");
    if (!update) return R::failure(update.error());
    update->bind(1, id);
    if (auto ran = expect_one_change(connection, update->run()); !ran) return R::failure(ran.error());
  }
  auto account = find_account(connection, id);
  if (!account) return R::failure(account.error());
  if (!account.value()) return R::failure(std::string(kNoSuchAccountText));
  return std::move(*account.value());
}

Result<void> set_in_play_web_mode(Connection& connection, AccountId id, bool on) {
  auto update = connection.prepare("UPDATE accounts SET in_play_web_mode = ?1 WHERE id = ?2");
  if (!update) return Result<void>::failure(update.error());
  update->bind(1, on ? 1 : 0).bind(2, id);
  return expect_one_change(connection, update->run());
}

Result<std::string> issue_web_token(Connection& connection, AccountId id) {
  using R = Result<std::string>;
  std::array<unsigned char, kWebTokenLength / 2> bytes{};
  if (RAND_bytes(bytes.data(), static_cast<int>(bytes.size())) != 1)
    return R::failure("cannot draw a web token");
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string token;
  for (unsigned char b : bytes) {
    token += kDigits[b >> 4];
    token += kDigits[b & 0x0F];
  }
  const auto now = storage::now_unix_seconds();
  {
    // Old tokens go as new ones come, so the table stays small without a sweeper.
    auto expire = connection.prepare("DELETE FROM web_tokens WHERE issued_at < ?1");
    if (!expire) return R::failure(expire.error());
    expire->bind(1, now - kWebTokenLifetimeSeconds);
    if (auto ran = expire->run(); !ran) return R::failure(ran.error());
  }
  // Parameters in a select list are given their types: there is no column to take them from.
  auto insert = connection.prepare(
      "INSERT INTO web_tokens (token, account_id, issued_at, password_hash)"
      " SELECT CAST(?1 AS TEXT), id, CAST(?3 AS BIGINT), password_hash FROM accounts WHERE id = ?2");
  if (!insert) return R::failure(insert.error());
  insert->bind(1, token).bind(2, id).bind(3, now);
  if (auto ran = expect_one_change(connection, insert->run()); !ran) return R::failure(ran.error());
  return token;
}

namespace {

bool well_formed_token(std::string_view token) {
  return token.size() == kWebTokenLength && std::all_of(token.begin(), token.end(), [](char c) {
           return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
         });
}

// The account of a token that is valid at `now`: within its whole lifetime, opened within the
// first-use time or used within the idle time since, and issued under the password the account has.
Result<std::optional<AccountId>> valid_token_account(Connection& connection, std::string_view token,
                                                     std::int64_t now) {
  using R = Result<std::optional<AccountId>>;
  if (!well_formed_token(token)) return std::optional<AccountId>{};
  auto select = connection.prepare(
      "SELECT t.account_id FROM web_tokens t JOIN accounts a ON a.id = t.account_id"
      " WHERE t.token = ?1 AND t.password_hash = a.password_hash AND t.issued_at >= ?2"
      " AND ((t.used_at IS NULL AND t.issued_at >= ?3) OR t.used_at >= ?4)");
  if (!select) return R::failure(select.error());
  select->bind(1, token)
      .bind(2, now - kWebTokenLifetimeSeconds)
      .bind(3, now - kWebTokenFirstUseSeconds)
      .bind(4, now - kWebTokenIdleSeconds);
  auto row = select->step();
  if (!row) return R::failure(row.error());
  if (!row.value()) return std::optional<AccountId>{};
  return std::optional<AccountId>(select->column_int64(0));
}

}  // namespace

Result<std::optional<AccountId>> web_token_account(Connection& connection, std::string_view token) {
  return valid_token_account(connection, token, storage::now_unix_seconds());
}

Result<std::optional<AccountId>> use_web_token(Connection& connection, std::string_view token) {
  using R = Result<std::optional<AccountId>>;
  const auto now = storage::now_unix_seconds();
  auto account = valid_token_account(connection, token, now);
  if (!account || !account.value()) return account;
  auto stamp = connection.prepare("UPDATE web_tokens SET used_at = ?2 WHERE token = ?1");
  if (!stamp) return R::failure(stamp.error());
  stamp->bind(1, token).bind(2, now);
  if (auto ran = stamp->run(); !ran) return R::failure(ran.error());
  return account;
}

Result<std::vector<Account>> list_accounts(Connection& connection) {
  using R = Result<std::vector<Account>>;
  auto statement =
      connection.prepare("SELECT " + std::string(kAccountColumns) + " FROM accounts ORDER BY id");
  if (!statement) return R::failure(statement.error());
  std::vector<Account> accounts;
  for (;;) {
    auto row = statement->step();
    if (!row) return R::failure(row.error());
    if (!row.value()) break;
    accounts.push_back(read_account(statement.value()));
  }
  return accounts;
}

}  // namespace brindle::server::accounts
