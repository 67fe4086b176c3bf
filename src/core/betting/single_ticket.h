#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/notation/handicap_side.h"
#include "core/notation/odds_format.h"
#include "core/ports/stake_window_port.h"
#include "core/protocol/list_rows.h"
#include "core/protocol/market_records.h"

namespace brindle::protocol {
struct Session;
}
namespace brindle::ports {
class BetConfirmationPort;
class FramePort;
class MessagePort;
}  // namespace brindle::ports

namespace brindle::betting {

inline constexpr char kNotFundedText[] = "您还没有买彩，不能投注！";
inline constexpr char kStakeZeroText[] = "投注彩金不能为0！";
inline constexpr char kStakeAboveFundsText[] = "投注彩金不能超过可用金！";
inline constexpr char kBetPlacedSuffix[] = "\n请留意投注记录。";
inline constexpr char kAsianHandicapTicketTitle[] = "亚洲盘投注";
inline constexpr char kOverUnderTicketTitle[] = "大小球盘投注";
inline constexpr char kCurrencyLabelSuffix[] = "整（不含小数）";
// The first 0x502 argument of a bet on the giving team carries this bit above the row number.
inline constexpr int kGivingSideFlag = 0x10000;

struct TicketServices {
  protocol::Session& session;
  ports::MessagePort& messages;
  ports::StakeWindowPort& stake_window;
  ports::BetConfirmationPort& confirmation;
  ports::FramePort& frame;
};

enum class TicketOutcome {
  kNotOpened,  // a visitor's click, an unfunded or frozen account, or nothing to bet on
  kCancelled,
  kPlaced,
};

// The stake window's own check on "提交": an empty or zero stake gets "投注彩金不能为0！" and the
// window stays open with the entry as typed; true when the stake may leave the window.
std::function<bool(const std::string&)> stake_window_check(ports::MessagePort& messages);

// The stake a digits-only field holds; nothing for an empty field, other characters, or more than
// fits in 64 bits.
std::optional<std::uint64_t> parse_stake(std::string_view digits);

// The checks every single-bet ticket runs before its window opens, in their order: the Login mode
// (visitors and secondary sign-ins get no ticket and no message), the currency, then whether the
// account is frozen. True when the ticket may open; the refusal has been shown.
bool ticket_may_open(TicketServices& services);

// One bet as a ticket holds it from the moment it opens: every text it shows and the request it
// sends, so that a refresh of the hall under the open windows changes nothing of it.
struct SingleBet {
  ports::StakeWindowContent window;
  std::string title;              // the confirmation window's market name
  std::string confirmation_odds;  // the odds text as the confirmation shows it
  int frame_argument = 0;         // first argument of the 0x502 message
  std::function<protocol::Outcome(protocol::Session&, std::uint64_t stake)> send;
};

// The stake window, its checks in order, the Bet confirmation and the request, until a bet is
// placed or the user cancels; a refusal of any kind returns to the stake window with the stake kept.
TicketOutcome run_stake_loop(TicketServices& services, const SingleBet& bet);

// What the Asian handicap hall shows of a row and hands its ticket.
struct AsianHandicapTicketLine {
  protocol::AsianHandicapRow row;
  std::size_t row_number = 0;
  std::string giving_team;  // with the home team's mark where it applies
  std::string other_team;
  std::string giving_odds;
  std::string other_odds;
};

SingleBet asian_handicap_bet(const AsianHandicapTicketLine& line, notation::HandicapSide side,
                             int currency_code);
TicketOutcome run_asian_handicap_ticket(TicketServices& services, const AsianHandicapTicketLine& line,
                                        notation::HandicapSide side);

// The over/under ticket's line: the match and the first totals line on the clicked side.
struct OverUnderTicketLine {
  protocol::MatchRecord match;
  protocol::OddsLine line;
};

SingleBet over_under_bet(const OverUnderTicketLine& line, int currency_code,
                         notation::OddsFormat odds_format = notation::OddsFormat::kDecimal);
TicketOutcome run_over_under_ticket(TicketServices& services, const OverUnderTicketLine& line);

}  // namespace brindle::betting
