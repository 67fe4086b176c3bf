#include "core/betting/in_play_ticket.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>
#include <optional>

#include "core/betting/in_play_hall.h"
#include "core/betting/totals_explanation.h"
#include "core/net/client_context.h"
#include "core/net/request_gate.h"
#include "core/notation/bet_choice.h"
#include "core/notation/currency_name.h"
#include "core/notation/handicap_notation.h"
#include "core/notation/market_kind.h"
#include "core/notation/odds_format.h"
#include "core/ports/bet_confirmation_port.h"
#include "core/ports/clock_port.h"
#include "core/ports/frame_port.h"
#include "core/ports/message_port.h"
#include "core/ports/notice_port.h"
#include "core/ports/stake_window_port.h"
#include "core/protocol/bet_submission.h"
#include "core/protocol/market_type.h"
#include "core/protocol/session.h"

namespace brindle::betting {
namespace {

using namespace std::chrono_literals;

// A handicap code above this in magnitude means the away team gives.
constexpr int kAwayGivesCode = 1000;
// Prices that differ by less than this are the same price (both went through the same balancing).
constexpr double kSamePrice = 1e-9;

// Closes a window as cancelled once its seconds have run out on the one-second timer.
class TimeLimit final {
 public:
  TimeLimit(ports::ClockPort& clock, int seconds, std::function<void()> close)
      : seconds_(seconds), close_(std::move(close)) {
    timer_ = clock.every(1s, [this] {
      if (expired_ || ++elapsed_ < seconds_) return;
      expired_ = true;
      close_();
    });
  }
  TimeLimit(const TimeLimit&) = delete;
  TimeLimit& operator=(const TimeLimit&) = delete;
  bool expired() const { return expired_; }

 private:
  int seconds_;
  int elapsed_ = 0;
  bool expired_ = false;
  std::function<void()> close_;
  std::unique_ptr<ports::TimerHandle> timer_;
};

bool handicap_side(InPlaySide side) {
  return side == InPlaySide::kHandicapPositive || side == InPlaySide::kHandicapNegative;
}
bool first_side(InPlaySide side) {
  return side == InPlaySide::kHandicapPositive || side == InPlaySide::kOver;
}

std::string score_text(const protocol::InPlayLine& line) {
  return std::to_string(line.home_score) + " : " + std::to_string(line.away_score);
}

// The clicked side as the fresh line gives it.
struct FreshSide {
  int selection = 0;
  int line_code = 0;
  double price = 0.0;
};

const protocol::OddsLine* held_line(const std::vector<protocol::OddsLine>& held, int market_type,
                                    bool positive) {
  for (const auto& l : held) {
    if (l.market_type != market_type || l.third >= kInPlayHiddenStatus) continue;
    if (positive ? l.line_code > 0 : l.line_code < 0) return &l;
  }
  return nullptr;
}

bool moved(const protocol::OddsLine& held, const FreshSide& fresh, const protocol::InPlayLine& line) {
  return held.extra1 != line.home_score || held.extra2 != line.away_score ||
         held.line_code != fresh.line_code || std::fabs(held.price - fresh.price) > kSamePrice;
}

ports::StakeWindowContent window_content(const protocol::MatchRecord& match, const protocol::InPlayLine& line,
                                         const FreshSide& fresh, InPlaySide side, int currency_code,
                                         notation::OddsFormat odds_format) {
  ports::StakeWindowContent window;
  const int a = fresh.line_code;
  const int magnitude = std::abs(a);
  const bool home_gives = magnitude <= kAwayGivesCode;
  if (handicap_side(side)) {
    const std::string handicap = notation::bet_choice_text(
        notation::kKindInPlayAsianHandicap, home_gives ? magnitude : -magnitude, match.line_kind);
    const bool basketball = match.line_kind == notation::kBasketballLineKind;
    window.header = match.home_team + " vs " + match.away_team + (basketball ? " 的让分为 " : " 的让球为 ") +
                    handicap + "。当前比分：" + score_text(line) + (basketball ? "。" : "");
    const bool home = side == InPlaySide::kHandicapPositive ? home_gives : !home_gives;
    window.choice = home ? match.home_team : match.away_team;
    window.explanation = kInPlayHandicapExplanation;
  } else {
    window.header = match.home_team + " vs " + match.away_team + " 当前比分：" + score_text(line);
    window.choice = notation::bet_choice_text(notation::kKindInPlayOverUnder, a, match.line_kind);
    window.explanation = totals_explanation(a, match.line_kind, fresh.price);
  }
  window.odds = notation::odds_text(fresh.price, odds_format);
  window.currency_label = notation::currency_name(currency_code, true) + kCurrencyLabelSuffix;
  return window;
}

void show(TicketServices& services, const std::string& text) { services.messages.show_message(text, false); }

}  // namespace

std::string delayed_bet_notice(int bet_number, int status) {
  const std::string bet = "走地投注（单号 " + std::to_string(bet_number) + "）";
  if (status == protocol::kInPlayBetAccepted) return bet + "已被接受。";
  if (status == protocol::kInPlayBetRefused) return bet + "未被接受，彩金未被扣除。";
  return {};
}

InPlayFollowUps::InPlayFollowUps(protocol::Session& session, ports::ClockPort& clock,
                                 ports::NoticePort& notices)
    : session_(session), clock_(clock), notices_(notices) {}

InPlayFollowUps::~InPlayFollowUps() = default;

bool InPlayFollowUps::start(int bet_number, int match_number, int market_type, int delay) {
  const auto slot = table_.add({bet_number, match_number, market_type, delay, 0});
  if (!slot) return false;
  timers_[*slot] = clock_.every(1s, [this, s = *slot] { tick(s); });
  return true;
}

void InPlayFollowUps::tick(std::size_t slot) {
  const protocol::PendingInPlayBet* waiting = table_.find(slot);
  if (!waiting) {
    timers_[slot].reset();
    return;
  }
  // Due, but a request is on the wire (a ticket or a refresh behind the Progress window): requests
  // never overlap, so this one goes out on the next tick.
  if (waiting->ticks > waiting->delay && net::RequestGate::in_flight()) return;
  protocol::PendingInPlayBet due;
  if (table_.tick(slot, &due) != protocol::PendingInPlayBets::Tick::kDue) return;
  timers_[slot].reset();
  int status = -1;
  if (!protocol::confirm_delayed_in_play_bet(session_, due, &status)) return;
  const std::string text = delayed_bet_notice(due.bet_number, status);
  if (!text.empty()) notices_.notice(text);
}

TicketOutcome run_in_play_ticket(InPlayTicketServices& services, const protocol::MatchRecord& match,
                                 const std::vector<protocol::OddsLine>& held, InPlaySide side) {
  TicketServices& ticket = services.ticket;
  protocol::Session& session = ticket.session;
  const net::ClientContext& context = session.context;
  if (context.login_mode == net::kLoginModeVisitor || context.login_mode == net::kLoginModeSecondary) {
    return TicketOutcome::kNotOpened;
  }
  if (context.currency_code == 0) {
    show(ticket, kNotFundedText);
    return TicketOutcome::kNotOpened;
  }

  const int market_type =
      handicap_side(side) ? protocol::kTypeInPlayAsianHandicap : protocol::kTypeInPlayOverUnder;
  protocol::InPlayLine line;
  if (const auto fetched =
          protocol::check_in_play_line(session, match.match_number, match.line_kind, market_type, line);
      !fetched) {
    show(ticket, fetched.error());
    return TicketOutcome::kNotOpened;
  }
  if (line.closed > 0) {
    show(ticket, kMatchClosedText);
    return TicketOutcome::kNotOpened;
  }
  const FreshSide fresh = first_side(side)
                              ? FreshSide{line.first_selection, line.first_line_code, line.first_price}
                              : FreshSide{line.second_selection, line.second_line_code, line.second_price};
  const protocol::OddsLine* shown = held_line(held, market_type, first_side(side));
  if (!shown) return TicketOutcome::kNotOpened;
  if (moved(*shown, fresh, line)) show(ticket, kLineMovedText);

  const ports::StakeWindowContent window =
      window_content(match, line, fresh, side, context.currency_code, context.odds_format);
  const char* title = handicap_side(side) ? kInPlayHandicapTitle : kInPlayTotalsTitle;
  std::string typed;
  for (;;) {
    std::optional<std::string> entry;
    {
      TimeLimit limit(services.clock, kStakeWindowSeconds, [&] { ticket.stake_window.close_as_cancelled(); });
      // A zero stake is refused inside the window, so its time limit runs on.
      entry = ticket.stake_window.ask_stake(window, typed, stake_window_check(ticket.messages));
      if (limit.expired()) entry.reset();
    }
    if (!entry) return TicketOutcome::kCancelled;
    typed = std::move(*entry);
    const auto stake = parse_stake(typed);
    if (!stake || *stake == 0) {
      show(ticket, kStakeZeroText);
      continue;
    }
    if (static_cast<double>(*stake) > context.balance) {
      show(ticket, kStakeAboveFundsText);
      continue;
    }
    const ports::BetConfirmation confirmation{title, window.choice, window.odds, std::to_string(*stake),
                                              notation::currency_name(context.currency_code, true)};
    bool confirmed = false;
    bool timed_out = false;
    {
      TimeLimit limit(services.clock, kConfirmationSeconds,
                      [&] { ticket.confirmation.close_as_cancelled(); });
      confirmed = ticket.confirmation.confirm_bet(confirmation);
      timed_out = limit.expired();
    }
    if (timed_out) return TicketOutcome::kCancelled;
    if (!confirmed) continue;

    const bool delay_fetched =
        static_cast<bool>(protocol::fetch_in_play_delay(session, match.match_number, market_type));
    const int mode = protocol::in_play_mode(delay_fetched, context.in_play_delay);
    const protocol::Outcome placed =
        protocol::place_in_play_bet(session, fresh.selection, fresh.price, static_cast<double>(*stake), mode);
    if (!placed) {
      show(ticket, placed.error());
      continue;
    }
    if (mode == protocol::kInPlayModeDelayed) {
      services.follow_ups.start(context.in_play_bet_number, match.match_number, market_type,
                                context.in_play_delay);
      show(ticket, placed.value() + kDelayedBetPlacedSuffix);
    } else {
      show(ticket, placed.value() + kBetPlacedSuffix);
    }
    const auto stake_argument = *stake > static_cast<std::uint64_t>(std::numeric_limits<int>::max())
                                    ? std::numeric_limits<int>::max()
                                    : static_cast<int>(*stake);
    ticket.frame.post(ports::WindowMessage::bet_placed, 0, stake_argument);
    return TicketOutcome::kPlaced;
  }
}

}  // namespace brindle::betting
