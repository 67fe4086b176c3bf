#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/notation/handicap_side.h"
#include "core/protocol/list_rows.h"
#include "core/protocol/market_records.h"
#include "core/protocol/parlay.h"
#include "core/protocol/pending_in_play_bets.h"
#include "core/protocol/session.h"

namespace brindle::protocol {

// The bet operations. Replies that carry the balance and the frozen amount store them in the
// Client context on success; on failure the figures stay as they were.

inline constexpr int kPlaceBetsSubject = 3010;
inline constexpr int kPlaceOutrightBetsSubject = 3050;
inline constexpr int kOpenMarketSubject = 3008;
inline constexpr int kBetAgainstBankerSubject = 3009;
inline constexpr int kCancelOpenedMarketsSubject = 2014;
inline constexpr int kInPlayLineSubject = 4038;
inline constexpr int kInPlayDelaySubject = 3016;
inline constexpr int kInPlayBetSubject = 3020;
inline constexpr int kInPlayConfirmationSubject = 3022;
inline constexpr int kInPlayFollowUpSubject = 3018;

// The in-play bet's mode: delayed when the server asked for a delay.
inline constexpr int kInPlayModeImmediate = 0;
inline constexpr int kInPlayModeDelayed = 2;

// What the request layer answers, without any traffic, to a bet that names nothing to bet on.
inline constexpr const char* kNoSelectionMessage = "请选择投注项目！";
// … and to a stake that no request field can carry (not a number, negative or beyond 64 bits).
inline constexpr const char* kStakeOutOfRangeMessage = "投注彩金超出范围！";

struct SelectionEntry {
  int selection_number = 0;
  int line_code = 0;  // kept with the selection, not sent
  double price = 0.0;
  int match_number = 0;  // not sent; 0 where the caller does not know it
};

// The general form's txtPara, room number last; empty for no selection.
std::string general_bet_para(const std::vector<SelectionEntry>& selections,
                             const std::vector<ParlayTypeEntry>& type_entries, int room_number);

// 3010 (or 3050 for outrights) in the general form. A 3010 with more than ten selections or two of
// one match is refused with the parlay ticket's message before anything is sent.
Outcome place_bets(Session& session, int subject_id, const std::vector<SelectionEntry>& selections,
                   const std::vector<ParlayTypeEntry>& type_entries);

// 3010 from the Asian handicap ticket: the chosen row and column of the hall's list and the stake
// (truncated to whole units; refused with kStakeOutOfRangeMessage when it cannot be a whole number).
Outcome place_single_bet(Session& session, const std::vector<AsianHandicapRow>& rows, std::size_t row_index,
                         notation::HandicapSide column, double stake);
// The selection that a column of a row names.
SelectionEntry selection_of_column(const AsianHandicapRow& row, notation::HandicapSide column);

// 3008: one option number and price per option; `reply_text` receives the reply's text.
struct MarketOption {
  int option_number = 0;
  double price = 0.0;  // net
};
Outcome open_market(Session& session, int match_number, int banker_stake,
                    const std::vector<MarketOption>& options, std::string& reply_text);
// price × 1000 with no decimals (rounded to nearest), then "%.7d"; beyond 64 bits it is clamped.
std::string opening_price_field(double price);

// 3009.
Outcome bet_against_banker(Session& session, const BankerMarketRow& row, int stake, std::string& reply_text);

// 2014. Succeeds whenever the exchange completed: the message says what the server did.
Outcome cancel_opened_markets(Session& session, int open_market_number);

// 4038.
Outcome check_in_play_line(Session& session, int match_number, int line_integer, int market_type,
                           InPlayLine& line);
// 3016: the acceptance delay goes to the Client context.
Outcome fetch_in_play_delay(Session& session, int match_number, int market_type);
int in_play_mode(bool delay_fetched, int delay);
// 3020: balance, frozen amount and the bet's number go to the Client context.
Outcome place_in_play_bet(Session& session, int selection_number, double price, double stake, int mode);
// 3022 for a delayed bet whose delay ran out and, when its answer is 0 and the Client context does
// not turn it off, 3018 for the bet itself. `bet_status` receives the last status answer read
// (kInPlayBetAccepted, kInPlayBetRefused, or another value while the server still waits).
Outcome confirm_delayed_in_play_bet(Session& session, const PendingInPlayBet& bet, int* bet_status = nullptr);
inline constexpr int kInPlayBetAccepted = 0;
inline constexpr int kInPlayBetRefused = 1;

// "%f" as in-play bets and transfers write amounts.
std::string amount_text(double value);

}  // namespace brindle::protocol
