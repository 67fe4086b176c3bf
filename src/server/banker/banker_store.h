#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "server/accounts/account.h"
#include "server/accounts/ledger.h"
#include "server/storage/database.h"
#include "server/storage/migration.h"
#include "wire/result.h"

namespace brindle::server::banker {

// Markets that users open as bankers, and the bets others place against them.
//
// A market holds the banker's whole stake frozen. Every bet against it reserves its liability
// (taker's stake × net price) out of that stake, summed over all offers of the market, so the
// banker can always pay whatever the result. Cancelling closes the offers and hands back what no
// bet reserved; settlement returns the rest.

using storage::Cents;

// The openable-match number of the open-market window: the match number times ten plus the list
// code, so that the offer request (which names only this number) knows which market kind it is for.
inline constexpr int kMaxMarketsPerMatch = 3;
std::int64_t openable_number(std::int64_t match, int list_code);

inline constexpr std::string_view kOpenedText = "开盘成功！";
inline constexpr std::string_view kBetTakenText = "投注成功！";
inline constexpr std::string_view kMalformedText = "开盘数据不正确！";
inline constexpr std::string_view kNoSuchMatchText = "该比赛不能开盘！";
inline constexpr std::string_view kNoSuchOptionText = "开盘选项不存在！";
inline constexpr std::string_view kConflictText = "开盘选项相互冲突！";
inline constexpr std::string_view kTooManyMarketsText = "同一帐户、同一赛事相同盘口最多可开出三个盘！";
inline constexpr std::string_view kBandText = "赔率上下浮动不能超过建议赔率的20%！";
inline constexpr std::string_view kTwoDecimalsText = "开盘赔率最多两位小数！";
inline constexpr std::string_view kOneDecimalText = "开盘赔率最多一位小数！";
inline constexpr std::string_view kMinOddsText = "开盘赔率不能小于1.01！";
inline constexpr std::string_view kMinScoreOddsText = "开盘赔率不能小于1.1！";
inline constexpr std::string_view kStakeZeroText = "开盘彩金不能为0！";
inline constexpr std::string_view kNoOfferText = "该盘口不存在或已关闭！";
inline constexpr std::string_view kOwnMarketText = "不能与自己开出的盘口对博！";
inline constexpr std::string_view kCurrencyText = "您的帐号币种同庄家不符，不能投注！";
inline constexpr std::string_view kBetZeroText = "投注彩金不能为0！";
inline constexpr std::string_view kOverAcceptableText = "投注彩金不能为超过庄家可接投注！";
inline constexpr std::string_view kNoMarketText = "该开盘不存在或已撤单！";
inline constexpr std::string_view kCancelledText = "撤单成功！";

std::span<const storage::Migration> banker_migrations();

struct OfferForm {
  std::int64_t openable = 0;  // openable-match number
  std::vector<std::int64_t> options;
  std::vector<int> prices;  // net price in thousandths, as sent
  std::int64_t stake = 0;   // whole units
};
// "match|n|stake|ids|prices" of 3008; only the shape is checked here.
Result<OfferForm> parse_offer_form(std::string_view para);

struct Opened {
  std::int64_t market = 0;
  accounts::Balances balances;
};
// Validates the offer against the stored suggestions (the same rules as the window), freezes the
// stake and records the market. Runs inside the caller's transaction.
Result<Opened> open_market(storage::Connection& connection, const accounts::AuthenticatedAccount& banker,
                           const OfferForm& form, std::int64_t now);

struct Taken {
  std::int64_t bet = 0;
  accounts::Balances balances;
};
Result<Taken> take_offer(storage::Connection& connection, const accounts::AuthenticatedAccount& taker,
                         std::int64_t offer, std::int64_t stake_units, std::int64_t now);

// Closes every offer of the banker's market and returns the untaken stake; the amount returned.
Result<Cents> cancel_market(storage::Connection& connection, accounts::AccountId banker, std::int64_t market);

// Settles every market on a decided match: each bet and each banker gets one statement entry.
Result<int> settle_markets(storage::Connection& connection, std::int64_t match, int home, int away,
                           std::int64_t now);

// The reply rows, each a list of fields.
using Rows = std::vector<std::vector<std::string>>;
Result<Rows> openable_matches(storage::Connection& connection, int list_code);
Result<Rows> suggested_prices(storage::Connection& connection, std::int64_t openable);
Result<Rows> open_offers(storage::Connection& connection, int list_code);
Result<Rows> taker_records(storage::Connection& connection, accounts::AccountId account, bool settled,
                           std::int64_t from, std::int64_t to);
Result<Rows> banker_records(storage::Connection& connection, accounts::AccountId account, bool settled,
                            std::int64_t from, std::int64_t to);

// Opens a market of 1000 on the first suggestion of two openable matches of every kind, the first two
// that kick off six hours or more after `now` (else the last two), so a fresh demo shows offers and
// still shows them hours later; the number opened.
Result<int> seed_demo_markets(storage::Connection& connection, const accounts::AuthenticatedAccount& banker,
                              std::int64_t now);

}  // namespace brindle::server::banker
