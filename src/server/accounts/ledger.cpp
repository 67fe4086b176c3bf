#include "server/accounts/ledger.h"

#include <algorithm>
#include <map>

#include "server/storage/timestamp.h"

namespace brindle::server::accounts {
namespace {

using storage::Connection;

struct AccountFunds {
  Balances balances;
  Currency currency = Currency::none;
  bool frozen = false;
};

Result<AccountFunds> load_funds(Connection& connection, AccountId account) {
  using R = Result<AccountFunds>;
  auto statement = connection.prepare(
      "SELECT balance, frozen_amount, credit, currency, frozen FROM accounts WHERE id = ?1");
  if (!statement) return R::failure(statement.error());
  statement->bind(1, account);
  auto row = statement->step();
  if (!row) return R::failure(row.error());
  if (!row.value()) return R::failure(std::string(kNoSuchAccountText));
  AccountFunds funds;
  funds.balances =
      Balances{statement->column_int64(0), statement->column_int64(1), statement->column_int64(2)};
  funds.currency = static_cast<Currency>(statement->column_int64(3));
  funds.frozen = statement->column_int64(4) != 0;
  return funds;
}

Result<void> store_funds(Connection& connection, AccountId account, const Balances& balances) {
  auto update = connection.prepare("UPDATE accounts SET balance = ?1, frozen_amount = ?2 WHERE id = ?3");
  if (!update) return Result<void>::failure(update.error());
  update->bind(1, balances.available).bind(2, balances.frozen).bind(3, account);
  return update->run();
}

Result<void> add_entry(Connection& connection, AccountId account, StatementType type, Cents amount,
                       std::string_view content, Cents balance_before) {
  // Never before the account's last entry, even when the clock was set back: the statement lists
  // entries by time, and its running balance only adds up in the order they were written.
  auto insert = connection.prepare(
      "INSERT INTO statement_entries (account_id, time, type, amount, content, balance_before)"
      " VALUES (?1, (SELECT CASE WHEN MAX(time) > ?2 THEN MAX(time) ELSE ?2 END FROM statement_entries"
      " WHERE account_id = ?1), ?3, ?4, ?5, ?6)");
  if (!insert) return Result<void>::failure(insert.error());
  insert->bind(1, account)
      .bind(2, storage::now_unix_seconds())
      .bind(3, static_cast<int>(type))
      .bind(4, amount)
      .bind(5, content)
      .bind(6, balance_before);
  return insert->run();
}

}  // namespace

Result<Balances> balances(Connection& connection, AccountId account) {
  auto funds = load_funds(connection, account);
  if (!funds) return Result<Balances>::failure(funds.error());
  return funds->balances;
}

Result<Balances> freeze_stake(Connection& connection, AccountId account, Cents stake) {
  using R = Result<Balances>;
  auto funds = load_funds(connection, account);
  if (!funds) return R::failure(funds.error());
  if (funds->frozen) return R::failure(std::string(kAccountFrozenText));
  if (funds->currency == Currency::none) return R::failure(std::string(kNoCurrencyText));
  if (stake <= 0 || stake > storage::kMaxAmount) return R::failure(std::string(kBadStakeText));
  Balances after = funds->balances;
  if (stake > after.available) return R::failure(std::string(kNotEnoughBalanceText));
  after.available -= stake;
  after.frozen += stake;
  if (auto stored = store_funds(connection, account, after); !stored) return R::failure(stored.error());
  return after;
}

Result<Balances> settle_stake(Connection& connection, AccountId account, Cents stake, Cents returned,
                              StatementType type, std::string_view memo) {
  using R = Result<Balances>;
  auto funds = load_funds(connection, account);
  if (!funds) return R::failure(funds.error());
  const Balances before = funds->balances;
  if (stake <= 0 || stake > before.frozen) {
    return R::failure("cannot settle a stake of " + storage::money_text(stake) +
                      " against a frozen amount of " + storage::money_text(before.frozen));
  }
  if (returned < 0 || returned > storage::kMaxAmount) {
    return R::failure("cannot return " + storage::money_text(returned) + " for a bet (at most " +
                      storage::money_text(storage::kMaxAmount) + ")");
  }
  Balances after = before;
  after.frozen -= stake;
  after.available += returned;
  if (auto stored = store_funds(connection, account, after); !stored) return R::failure(stored.error());
  if (auto entry =
          add_entry(connection, account, type, returned - stake, memo, before.available + before.frozen);
      !entry) {
    return R::failure(entry.error());
  }
  return after;
}

Result<Balances> release_stake(Connection& connection, AccountId account, Cents amount) {
  using R = Result<Balances>;
  auto funds = load_funds(connection, account);
  if (!funds) return R::failure(funds.error());
  Balances after = funds->balances;
  if (amount < 0 || amount > after.frozen) {
    return R::failure("cannot release " + storage::money_text(amount) + " of a frozen amount of " +
                      storage::money_text(after.frozen));
  }
  after.frozen -= amount;
  after.available += amount;
  if (auto stored = store_funds(connection, account, after); !stored) return R::failure(stored.error());
  return after;
}

Result<Balances> credit(Connection& connection, AccountId account, Cents amount, Currency currency,
                        std::string_view memo) {
  using R = Result<Balances>;
  if (amount == 0 || amount > storage::kMaxAmount || amount < -storage::kMaxAmount) {
    return R::failure(std::string(storage::kAmountTooLargeText));
  }
  auto funds = load_funds(connection, account);
  if (!funds) return R::failure(funds.error());
  const Balances before = funds->balances;
  Balances after = before;
  if (amount < 0 && -amount > before.available) return R::failure(std::string(kNotEnoughBalanceText));
  after.available += amount;
  if (after.available > storage::kMaxAmount) return R::failure(std::string(storage::kAmountTooLargeText));
  if (funds->currency == Currency::none) {
    if (amount < 0 || currency == Currency::none) return R::failure(std::string(kNoCurrencyText));
    auto set = connection.prepare("UPDATE accounts SET currency = ?1 WHERE id = ?2");
    if (!set) return R::failure(set.error());
    set->bind(1, static_cast<int>(currency)).bind(2, account);
    if (auto ran = set->run(); !ran) return R::failure(ran.error());
  }
  if (auto stored = store_funds(connection, account, after); !stored) return R::failure(stored.error());
  if (auto entry = add_entry(connection, account, StatementType::buy_in, amount, memo,
                             before.available + before.frozen);
      !entry) {
    return R::failure(entry.error());
  }
  return after;
}

namespace {

Result<std::string> user_name_of(Connection& connection, AccountId account) {
  auto statement = connection.prepare("SELECT user_name FROM accounts WHERE id = ?1");
  if (!statement) return Result<std::string>::failure(statement.error());
  statement->bind(1, account);
  auto row = statement->step();
  if (!row) return Result<std::string>::failure(row.error());
  if (!row.value()) return Result<std::string>::failure(std::string(kNoSuchAccountText));
  return statement->column_text(0);
}

// The one place that moves available money outside bets: checks, stores, writes the entry.
Result<Balances> move_available(Connection& connection, AccountId account, const AccountFunds& funds,
                                StatementType type, Cents amount, std::string_view content) {
  using R = Result<Balances>;
  if (amount == 0 || amount > storage::kMaxAmount || amount < -storage::kMaxAmount)
    return R::failure(std::string(kBadAmountText));
  // Money needs a currency; an account gets one with its first buy-in.
  if (funds.currency == Currency::none) return R::failure(std::string(kNoCurrencyText));
  const Balances before = funds.balances;
  if (amount < 0 && -amount > before.available) return R::failure(std::string(kNotEnoughBalanceText));
  Balances after = before;
  after.available += amount;
  if (after.available > storage::kMaxAmount) return R::failure(std::string(storage::kAmountTooLargeText));
  if (auto stored = store_funds(connection, account, after); !stored) return R::failure(stored.error());
  if (auto entry = add_entry(connection, account, type, amount, content, before.available + before.frozen);
      !entry) {
    return R::failure(entry.error());
  }
  return after;
}

// Takes the row locks of two accounts about to change, the lower id first. PostgreSQL locks a row
// at its first UPDATE and holds it to the end: a transfer A→B beside one B→A would otherwise each
// hold one row and wait for the other until the deadlock detector ends one of them (a second later
// by default, with the connection held all the while). Locked in one order, the later transfer
// waits, loses the conflict and runs again at once. SQLite's one writer never waits here.
Result<void> lock_in_id_order(Connection& connection, AccountId one, AccountId other) {
  auto lock = connection.prepare("UPDATE accounts SET balance = balance WHERE id = ?1");
  if (!lock) return Result<void>::failure(lock.error());
  for (const AccountId id : {std::min(one, other), std::max(one, other)}) {
    lock->bind(1, id);
    if (auto ran = lock->run(); !ran) return ran;
    lock->reset();
  }
  return {};
}

}  // namespace

Result<Balances> book(Connection& connection, AccountId account, StatementType type, Cents amount,
                      std::string_view content) {
  auto funds = load_funds(connection, account);
  if (!funds) return Result<Balances>::failure(funds.error());
  return move_available(connection, account, funds.value(), type, amount, content);
}

Result<TransferResult> transfer(Connection& connection, AccountId payer, AccountId payee, Cents amount) {
  using R = Result<TransferResult>;
  if (payer == payee) return R::failure(std::string(kTransferToSelfText));
  if (amount <= 0) return R::failure(std::string(kBadAmountText));
  auto from = load_funds(connection, payer);
  if (!from) return R::failure(from.error());
  auto to = load_funds(connection, payee);
  if (!to) return R::failure(to.error());
  if (from->frozen || to->frozen) return R::failure(std::string(kAccountFrozenText));
  if (from->currency == Currency::none || to->currency == Currency::none)
    return R::failure(std::string(kNoCurrencyText));
  auto payer_name = user_name_of(connection, payer);
  if (!payer_name) return R::failure(payer_name.error());
  auto payee_name = user_name_of(connection, payee);
  if (!payee_name) return R::failure(payee_name.error());
  // Refused before any row is locked, so that the refusals of a drained account wait for no one.
  if (amount > from->balances.available) return R::failure(std::string(kNotEnoughBalanceText));
  if (auto locked = lock_in_id_order(connection, payer, payee); !locked) return R::failure(locked.error());
  auto paid = move_available(connection, payer, from.value(), StatementType::star_transfer, -amount,
                             payee_name.value());
  if (!paid) return R::failure(paid.error());
  auto received =
      move_available(connection, payee, to.value(), StatementType::star_transfer, amount, payer_name.value());
  if (!received) return R::failure(received.error());
  return TransferResult{paid.value(), received.value()};
}

Result<Balances> change_credit(Connection& connection, AccountId account, Cents delta,
                               std::string_view content) {
  using R = Result<Balances>;
  auto funds = load_funds(connection, account);
  if (!funds) return R::failure(funds.error());
  const Cents line = funds->balances.credit + delta;
  if (line < 0 || line > storage::kMaxAmount) return R::failure(std::string(kBadAmountText));
  auto moved =
      move_available(connection, account, funds.value(), StatementType::credit_change, delta, content);
  if (!moved) return moved;
  auto update = connection.prepare("UPDATE accounts SET credit = ?1 WHERE id = ?2");
  if (!update) return R::failure(update.error());
  update->bind(1, line).bind(2, account);
  if (auto ran = update->run(); !ran) return R::failure(ran.error());
  Balances after = moved.value();
  after.credit = line;
  return after;
}

Result<std::vector<LedgerMismatch>> check_ledger(Connection& connection) {
  using R = Result<std::vector<LedgerMismatch>>;
  struct Running {
    Cents sum = 0;
    std::string problem;
  };
  std::map<AccountId, Running> running;
  {
    auto entries = connection.prepare(
        "SELECT account_id, amount, balance_before, id FROM statement_entries ORDER BY account_id, id");
    if (!entries) return R::failure(entries.error());
    for (;;) {
      auto row = entries->step();
      if (!row) return R::failure(row.error());
      if (!row.value()) break;
      auto& account = running[entries->column_int64(0)];
      const Cents amount = entries->column_int64(1);
      const Cents before = entries->column_int64(2);
      if (before != account.sum && account.problem.empty()) {
        account.problem = "entry " + std::to_string(entries->column_int64(3)) +
                          " says the balance before was " + storage::money_text(before) +
                          ", the entries before it sum to " + storage::money_text(account.sum);
      }
      account.sum += amount;
    }
  }
  std::vector<LedgerMismatch> mismatches;
  auto accounts =
      connection.prepare("SELECT id, user_name, balance, frozen_amount FROM accounts ORDER BY id");
  if (!accounts) return R::failure(accounts.error());
  for (;;) {
    auto row = accounts->step();
    if (!row) return R::failure(row.error());
    if (!row.value()) break;
    const AccountId id = accounts->column_int64(0);
    const Cents balance = accounts->column_int64(2);
    const Cents frozen = accounts->column_int64(3);
    const auto& account = running[id];
    std::string problem = account.problem;
    if (balance < 0 || frozen < 0) {
      problem = "negative figures: balance " + storage::money_text(balance) + ", frozen " +
                storage::money_text(frozen);
    } else if (balance + frozen != account.sum) {
      problem = "balance " + storage::money_text(balance) + " + frozen " + storage::money_text(frozen) +
                " differs from the statement's sum " + storage::money_text(account.sum);
    }
    if (!problem.empty())
      mismatches.push_back(LedgerMismatch{id, accounts->column_text(1), std::move(problem)});
  }
  return mismatches;
}

}  // namespace brindle::server::accounts
