#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "server/accounts/account.h"
#include "server/accounts/ledger.h"
#include "server/betting/bet_schema.h"
#include "server/betting/settlement.h"
#include "server/market/market.h"
#include "server/storage/database.h"
#include "wire/result.h"

namespace brindle::server::betting {

inline constexpr std::string_view kMalformedBetText = "投注请求格式错误！";
inline constexpr std::string_view kNoSelectionText = "请选择投注项目！";
inline constexpr std::string_view kTooManySelectionsText = "在一次过关中，最多只能选择十场比赛...";
inline constexpr std::string_view kSameMatchText = "在一次过关中，您不能投注于同一场比赛...";
inline constexpr std::string_view kUnknownSelectionText = "投注项目不存在！";
inline constexpr std::string_view kOddsChangedText = "赔率已经改变，请重新确认投注！";
inline constexpr std::string_view kBadCombinationText = "过关类型不正确！";
inline constexpr std::string_view kNotInParlayText = "该比赛不接受过关投注！";
inline constexpr std::string_view kUseInPlayTicketText = "走地盘口请在走地页面投注！";
inline constexpr std::string_view kUseOutrightTicketText = "总冠军盘口请在总冠军页面投注！";
inline constexpr std::string_view kNotOutrightText = "该选项不是总冠军盘口！";
inline constexpr std::string_view kNotInPlayLineText = "该盘口不是走地盘口！";
inline constexpr std::string_view kDelayRequiredText = "该盘口需要延时确认，请重新投注！";
inline constexpr std::string_view kBetNotFoundText = "投注记录不存在！";
inline constexpr std::string_view kInternalErrorText = "服务器内部错误，请稍后再试。";
// A bet whose every leg winning would return more than the largest amount the ledger can pay out.
inline constexpr std::string_view kReturnTooLargeText = "可赢彩金超过上限，请减少投注彩金。";

inline constexpr int kMaxSelections = 10;

// The general form of 3010 and 3050: selections with the prices the client showed (× 1000),
// parlay type entries with a stake per combination (cents), the room number.
struct BetRequest {
  std::vector<market::SelectionId> selections;
  std::vector<int> prices_milli;
  std::vector<CombinationStake> entries;
  int room = 0;
};

// Reads "count|numbers|prices|entries|masks|stakes|room" with its fixed-width lists. Every field
// must be present and made of digits of exactly the widths the lists need.
Result<BetRequest> parse_bet_form(std::string_view para);

// Which ticket a request came from: 3010 takes singles and parlays on matches, 3050 outrights.
enum class BetForm { matches, outright };

struct BetsTaken {
  accounts::Balances balances;
  std::vector<std::int64_t> serials;  // one bet per parlay type entry
};

// Checks every selection against the market as it is inside the transaction (open, the price the
// client showed, the parlay rules) and every bet's highest return against storage::kMaxAmount,
// freezes the stakes and records the bets; a refusal changes nothing and carries the text to show.
// A bet in a private room needs the room to exist and records the room's commission rate (basis
// points of the stake, the configured rate now).
Result<BetsTaken> take_bets(storage::Database& db, const market::Market& market,
                            const accounts::AuthenticatedAccount& account, const BetRequest& request,
                            BetForm form, int room_commission_basis_points = 0);

// 3020: "selection|price|stake|mode", price and stake with six decimals, mode 0 (at once) or 2
// (after the acceptance delay).
struct InPlayRequest {
  market::SelectionId selection = 0;
  int price_milli = 0;
  Cents stake = 0;
  int mode = 0;
};
Result<InPlayRequest> parse_in_play_form(std::string_view para);

struct InPlayTaken {
  accounts::Balances balances;
  std::int64_t serial = 0;
  BetStatus status = BetStatus::accepted;
};

// Takes an in-play bet (its highest return within storage::kMaxAmount, as for take_bets): at once
// when its line has no acceptance delay, otherwise as a pending bet
// that is judged once the delay has run out, against the line at that moment. Nothing is frozen
// while it waits (a refused bet then leaves no trace in the statement); the balance is checked now
// and again when it is accepted. `also` runs first inside the bet's transaction (the web page claims
// its form's one-time key there); its failure refuses the bet with its text.
using InTransaction = std::function<Result<void>(storage::Connection&)>;
Result<InPlayTaken> take_in_play_bet(storage::Database& db, const market::Market& market,
                                     const accounts::AuthenticatedAccount& account,
                                     const InPlayRequest& request, const InTransaction& also = {});

// 3018: judges one pending bet of the account if its delay has run out; its status afterwards.
Result<BetStatus> complete_in_play_bet(storage::Database& db, accounts::AccountId account,
                                       std::int64_t serial);
// 3022: judges every due pending bet of the account on the match and market; the status of the
// latest bet there.
Result<BetStatus> confirm_in_play_bets(storage::Database& db, accounts::AccountId account,
                                       market::MatchId match, int market_type);
// Judges one pending bet inside the caller's transaction (settlement refuses those left waiting
// on a finished match through it too).
Result<BetStatus> judge_pending_bet(storage::Connection& connection, std::int64_t serial);

}  // namespace brindle::server::betting
