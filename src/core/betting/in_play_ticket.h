#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "core/betting/single_ticket.h"
#include "core/protocol/market_records.h"
#include "core/protocol/pending_in_play_bets.h"

namespace brindle::ports {
class ClockPort;
class NoticePort;
class TimerHandle;
}  // namespace brindle::ports

namespace brindle::betting {

inline constexpr char kMatchClosedText[] = "赛程暂时关闭！";
inline constexpr char kLineMovedText[] = "盘口或赔率已变化！";
inline constexpr char kInPlayHandicapExplanation[] =
    "派彩是以比赛结果去除现在的比赛分数，与现在的让球赔率比对，作为胜出条件。";
inline constexpr char kDelayedBetPlacedSuffix[] = "\n请留意投注记录中的投注状态。";
inline constexpr char kInPlayHandicapTitle[] = "走地亚洲盘投注";
inline constexpr char kInPlayTotalsTitle[] = "走地大小球盘投注";
// Time limits of the ticket's windows, counted by a one-second timer.
inline constexpr int kStakeWindowSeconds = 20;
inline constexpr int kConfirmationSeconds = 10;

// The clicked cell of the in-play hall: the two sides of the handicap line, over and under.
enum class InPlaySide { kHandicapPositive, kHandicapNegative, kOver, kUnder };

// The follow-ups of delayed in-play bets: one slot and one one-second timer per bet. A tick that
// comes while another request is in flight is left for the next one. When the server has judged
// the bet, the user is told so on the notice line.
class InPlayFollowUps final {
 public:
  InPlayFollowUps(protocol::Session& session, ports::ClockPort& clock, ports::NoticePort& notices);
  ~InPlayFollowUps();
  InPlayFollowUps(const InPlayFollowUps&) = delete;
  InPlayFollowUps& operator=(const InPlayFollowUps&) = delete;

  // False when every slot is still waiting (the bet then shows in the records only).
  bool start(int bet_number, int match_number, int market_type, int delay);
  std::size_t waiting() const { return table_.waiting(); }

 private:
  void tick(std::size_t slot);

  protocol::Session& session_;
  ports::ClockPort& clock_;
  ports::NoticePort& notices_;
  protocol::PendingInPlayBets table_;
  std::array<std::unique_ptr<ports::TimerHandle>, protocol::PendingInPlayBets::kSlots> timers_;
};

// What the notice line says when the server has judged a delayed bet.
std::string delayed_bet_notice(int bet_number, int status);

struct InPlayTicketServices {
  TicketServices ticket;
  ports::ClockPort& clock;
  InPlayFollowUps& follow_ups;
};

// The ticket of one click: the fresh line (4038), the texts, the timed stake loop, the pre-bet
// check (3016), the bet (3020) and, for a delayed bet, its follow-up. `held` are the hall's Odds
// lines of the match as the click saw them.
TicketOutcome run_in_play_ticket(InPlayTicketServices& services, const protocol::MatchRecord& match,
                                 const std::vector<protocol::OddsLine>& held, InPlaySide side);

}  // namespace brindle::betting
