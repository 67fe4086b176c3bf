#include "core/betting/banker_ticket.h"

#include <cstdio>
#include <limits>

#include "core/net/client_context.h"
#include "core/notation/bet_choice.h"
#include "core/notation/currency_name.h"
#include "core/notation/odds_format.h"
#include "core/ports/bet_confirmation_port.h"
#include "core/ports/frame_port.h"
#include "core/ports/message_port.h"
#include "core/protocol/bet_submission.h"
#include "core/protocol/session.h"

namespace brindle::betting {
namespace {

constexpr int kOneXTwo = 1;
constexpr int kOverUnder = 2;
constexpr int kCorrectScore = 4;
constexpr int kBasketballTotals = 8;
constexpr int kOddEven = 16;
constexpr int kOtherScoresChoice = 26;
// A stake at the acceptable stake passes although the division left it a hair short.
constexpr double kAcceptableMargin = 0.01;

void show(TicketServices& services, const std::string& text) { services.messages.show_message(text, false); }

}  // namespace

double acceptable_stake(const protocol::BankerMarketRow& offer) {
  // An offer without a price pays nothing: nothing may be staked against it (and no division by 0).
  if (!(offer.price > 0.0)) return 0.0;
  return (offer.banker_stake - offer.amount_taken * offer.price) / offer.price;
}

std::string banker_odds_text(const protocol::BankerMarketRow& offer, notation::OddsFormat format) {
  return notation::odds_text(offer.price, format);
}

std::string banker_ticket_choice(int kind_flag, int choice_code) {
  const std::string words = notation::bet_choice_text(kind_flag, choice_code, 0);
  switch (kind_flag) {
    case kOverUnder:
      return "全场总进球数为“" + words + "”";
    case kCorrectScore:
      return choice_code >= kOtherScoresChoice ? std::string(kAnyTeamFiveGoalsText) : words;
    case kBasketballTotals:
    case kOddEven:
      return "全场总分为“" + words + "”";
    default:
      return words;
  }
}

std::string banker_confirmation_title(int kind_flag) {
  switch (kind_flag) {
    case kOneXTwo:
      return "胜平负盘投注";
    case kOverUnder:
      return "大小球投注";
    case kCorrectScore:
      return "比分盘投注";
    case kBasketballTotals:
      return "篮球大小盘投注";
    case kOddEven:
      return "篮球单双数盘投注";
    default:
      return {};
  }
}

TicketOutcome run_banker_ticket(TicketServices& services, int kind_flag,
                                const protocol::BankerMarketRow& offer) {
  net::ClientContext& context = services.session.context;
  if (context.login_mode == net::kLoginModeVisitor || context.login_mode == net::kLoginModeSecondary) {
    return TicketOutcome::kNotOpened;
  }
  if (context.currency_code == 0) {
    show(services, kNotFundedText);
    return TicketOutcome::kNotOpened;
  }
  if (context.currency_code != offer.currency_code) {
    show(services, kCurrencyMismatchText);
    return TicketOutcome::kNotOpened;
  }

  const std::string currency = notation::currency_name(context.currency_code, true);
  const ports::StakeWindowContent window{"在 " + offer.home_team + " vs " + offer.away_team +
                                             " 的比赛中你将与庄家" + offer.banker_nickname + "对博。",
                                         banker_ticket_choice(kind_flag, offer.choice_code),
                                         banker_odds_text(offer, context.odds_format), kBankerExplanation,
                                         currency + kCurrencyLabelSuffix};
  const double acceptable = acceptable_stake(offer);

  std::string typed;
  for (;;) {
    auto entry = services.stake_window.ask_stake(window, typed, stake_window_check(services.messages));
    if (!entry) return TicketOutcome::kCancelled;
    typed = std::move(*entry);
    const auto stake = parse_stake(typed);
    if (!stake || *stake == 0) {
      show(services, kStakeZeroText);
      continue;
    }
    const auto amount = static_cast<double>(*stake);
    if (amount > context.balance) {
      show(services, kBankerStakeAboveFundsText);
      continue;
    }
    if (amount > acceptable + kAcceptableMargin) {
      show(services, kAboveAcceptableText);
      continue;
    }
    // The request carries a 32-bit stake; funds beyond it cannot be staked in one bet.
    if (*stake > static_cast<std::uint64_t>(std::numeric_limits<int>::max())) {
      show(services, protocol::kStakeOutOfRangeMessage);
      continue;
    }
    const ports::BetConfirmation confirmation{banker_confirmation_title(kind_flag), window.choice,
                                              window.odds, std::to_string(*stake), currency};
    if (!services.confirmation.confirm_bet(confirmation)) continue;

    std::string serial;
    const protocol::Outcome sent =
        protocol::bet_against_banker(services.session, offer, static_cast<int>(*stake), serial);
    show(services, sent ? sent.value() + kBankerSerialFormat + serial : sent.error());
    services.frame.post(ports::WindowMessage::refresh_account, 0, 0);
    return sent ? TicketOutcome::kPlaced : TicketOutcome::kCancelled;
  }
}

}  // namespace brindle::betting
