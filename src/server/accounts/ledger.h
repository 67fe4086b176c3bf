#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "server/accounts/account.h"
#include "server/accounts/statement_type.h"
#include "server/storage/database.h"
#include "server/storage/money.h"
#include "wire/result.h"

namespace brindle::server::accounts {

// Every function here runs inside the caller's transaction (Database::transaction), so that a
// money movement commits together with the record it belongs to (a bet, a settlement) or not at all.
//
// Statement entries record changes of the account's funds, balance + frozen amount; their "balance
// before" is that sum before the entry, so each entry's balance before plus its amount is the next
// entry's balance before. Freezing a stake moves money inside the account and writes no entry; its
// settlement writes one entry with the net result (returned − stake).

struct Balances {
  Cents available = 0;  // 帐户彩金
  Cents frozen = 0;     // 冻结帐户彩金
  Cents credit = 0;     // 受信彩金
  friend bool operator==(const Balances&, const Balances&) = default;
};

inline constexpr std::string_view kNotEnoughBalanceText = "帐户彩金不足！";
inline constexpr std::string_view kAccountFrozenText = "账户被冻结！";
inline constexpr std::string_view kNoCurrencyText = "您的帐户尚未购买彩金，不能投注！";
inline constexpr std::string_view kBadStakeText = "投注金额不正确！";
inline constexpr std::string_view kBadAmountText = "金额不正确！";
inline constexpr std::string_view kTransferToSelfText = "不能拨彩给自己！";

Result<Balances> balances(storage::Connection& connection, AccountId account);

// Moves stake from available to frozen. Refuses a stake that is not above 0, exceeds the available
// balance, or comes from a frozen account or one that never bought credit; nothing changes then.
// Inside BEGIN IMMEDIATE this cannot overdraw even when requests race.
Result<Balances> freeze_stake(storage::Connection& connection, AccountId account, Cents stake);

// Ends a frozen stake: frozen −= stake, available += returned (0 for a lost bet, the stake for a
// push or a cancelled bet, stake plus winnings for a win), and one statement entry of the given
// type with amount returned − stake and content memo (the bet's serial number). Refuses a stake
// larger than the frozen amount or a negative return.
Result<Balances> settle_stake(storage::Connection& connection, AccountId account, Cents stake, Cents returned,
                              StatementType type, std::string_view memo);

// Hands back part of a frozen amount that no longer backs anything (a cancelled offer's untaken
// stake): frozen −= amount, available += amount, no statement entry since the funds are unchanged.
Result<Balances> release_stake(storage::Connection& connection, AccountId account, Cents amount);

// A buy-in (amount > 0, statement type 1 "买彩") or a withdrawal (amount < 0, "提彩"; never more
// than the available balance). The first buy-in of an account that never bought credit gives it
// the currency; an account that has a currency keeps it.
Result<Balances> credit(storage::Connection& connection, AccountId account, Cents amount, Currency currency,
                        std::string_view memo);

// A movement of the available balance that is no bet: a star member's commission (type 5), a
// promotion, a casino transfer and the like. amount > 0 adds, amount < 0 takes (never more than
// the available balance); one statement entry of the type with the content given. An amount of 0
// is refused: it moves nothing and would only clutter the statement; so is any movement of an
// account that never bought credit and so has no currency.
Result<Balances> book(storage::Connection& connection, AccountId account, StatementType type, Cents amount,
                      std::string_view content);

// Moves amount (> 0) from one account's available balance to another's, with a type-8 entry on
// each side whose content is the other side's user name ("拨出用户" / "拨入用户" in the client).
// Refuses a transfer to oneself, an amount above the payer's available balance, and a frozen or
// currency-less account on either side; nothing changes then.
struct TransferResult {
  Balances payer;
  Balances payee;
};
Result<TransferResult> transfer(storage::Connection& connection, AccountId payer, AccountId payee,
                                Cents amount);

// Changes the credit line by delta and lends (delta > 0) or takes back (delta < 0) that much
// money: the available balance moves by delta under a type-23 entry ("增加受信" / "减少受信"), so
// the statement keeps adding up to balance + frozen. Taking back more than the credit line or
// the available balance is refused. The line an account is created with is a figure set with the
// account, before its statement begins.
Result<Balances> change_credit(storage::Connection& connection, AccountId account, Cents delta,
                               std::string_view content);

// An account whose funds disagree with its statement.
struct LedgerMismatch {
  AccountId account = 0;
  std::string user_name;
  std::string problem;  // what disagrees, with the figures
};

// Checks every account: balance + frozen = the sum of its statement amounts, no negative figure,
// and every entry's balance before equals the running sum before it. Empty when all agree.
Result<std::vector<LedgerMismatch>> check_ledger(storage::Connection& connection);

}  // namespace brindle::server::accounts
