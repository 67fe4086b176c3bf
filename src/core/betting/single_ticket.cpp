#include "core/betting/single_ticket.h"

#include <limits>
#include <vector>

#include "core/betting/asian_explanation.h"
#include "core/betting/basketball_explanation.h"
#include "core/betting/totals_explanation.h"
#include "core/net/account_status.h"
#include "core/net/client_context.h"
#include "core/notation/currency_name.h"
#include "core/notation/handicap_notation.h"
#include "core/notation/odds_format.h"
#include "core/notation/totals_notation.h"
#include "core/ports/bet_confirmation_port.h"
#include "core/ports/frame_port.h"
#include "core/ports/message_port.h"
#include "core/protocol/bet_submission.h"
#include "core/protocol/parlay.h"
#include "core/protocol/session.h"

namespace brindle::betting {
namespace {

constexpr int kSingleBetType = 1;

std::string currency_label(int currency_code) {
  return notation::currency_name(currency_code, true) + kCurrencyLabelSuffix;
}

void show(TicketServices& services, const std::string& text) { services.messages.show_message(text, false); }

}  // namespace

std::optional<std::uint64_t> parse_stake(std::string_view digits) {
  if (digits.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    const auto digit = static_cast<std::uint64_t>(c - '0');
    if (value > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  return value;
}

std::function<bool(const std::string&)> stake_window_check(ports::MessagePort& messages) {
  return [&messages](const std::string& typed) {
    const auto stake = parse_stake(typed);
    if (stake && *stake != 0) return true;
    messages.show_message(kStakeZeroText, false);
    return false;
  };
}

bool ticket_may_open(TicketServices& services) {
  const net::ClientContext& context = services.session.context;
  if (context.login_mode == net::kLoginModeVisitor || context.login_mode == net::kLoginModeSecondary) {
    return false;
  }
  if (context.currency_code == 0) {
    show(services, kNotFundedText);
    return false;
  }
  bool frozen = false;
  std::string error;
  if (!net::account_status_request(context, services.session.transport, services.session.progress, frozen,
                                   error)) {
    show(services, error);
    return false;
  }
  if (frozen) {
    show(services, net::kAccountFrozenText);
    return false;
  }
  return true;
}

TicketOutcome run_stake_loop(TicketServices& services, const SingleBet& bet) {
  std::string typed;
  for (;;) {
    auto entry = services.stake_window.ask_stake(bet.window, typed, stake_window_check(services.messages));
    if (!entry) return TicketOutcome::kCancelled;
    typed = std::move(*entry);
    const auto stake = parse_stake(typed);
    // An empty or unreadable field is no stake at all.
    if (!stake || *stake == 0) {
      show(services, kStakeZeroText);
      continue;
    }
    if (static_cast<double>(*stake) > services.session.context.balance) {
      show(services, kStakeAboveFundsText);
      continue;
    }
    const ports::BetConfirmation confirmation{
        bet.title, bet.window.choice, bet.confirmation_odds, std::to_string(*stake),
        notation::currency_name(services.session.context.currency_code, true)};
    if (!services.confirmation.confirm_bet(confirmation)) continue;
    const protocol::Outcome sent = bet.send(services.session, *stake);
    if (!sent) {
      show(services, sent.error());
      continue;
    }
    show(services, sent.value() + kBetPlacedSuffix);
    // The stake is at most the available funds, which the panel shows as an int anyway.
    const auto stake_argument = *stake > static_cast<std::uint64_t>(std::numeric_limits<int>::max())
                                    ? std::numeric_limits<int>::max()
                                    : static_cast<int>(*stake);
    services.frame.post(ports::WindowMessage::bet_placed, bet.frame_argument, stake_argument);
    return TicketOutcome::kPlaced;
  }
}

SingleBet asian_handicap_bet(const AsianHandicapTicketLine& line, notation::HandicapSide side,
                             int currency_code) {
  const protocol::AsianHandicapRow& row = line.row;
  const bool giving = side == notation::HandicapSide::kGiving;
  const bool basketball = row.line_kind == notation::kBasketballLineKind;
  const std::string name = notation::handicap_name(row.line_kind, row.size_code);

  SingleBet bet;
  bet.window.header =
      line.giving_team + " 对 " + line.other_team + (basketball ? " 的让分为 " : " 的让球为 ") + name + "。";
  bet.window.choice = giving ? line.giving_team : line.other_team;
  bet.window.odds = giving ? line.giving_odds : line.other_odds;
  const double price = protocol::selection_of_column(row, side).price;
  bet.window.explanation =
      basketball
          ? basketball_handicap_explanation(row.size_code, line.giving_team, line.other_team, price, side)
          : asian_handicap_explanation(row.size_code, line.giving_team, line.other_team, price, side);
  bet.window.currency_label = currency_label(currency_code);
  bet.title = kAsianHandicapTicketTitle;
  bet.confirmation_odds =
      giving ? bet.window.odds + " (" + name + ")" : bet.window.odds + " (受让" + name + ")";
  bet.frame_argument = static_cast<int>(line.row_number) + (giving ? kGivingSideFlag : 0);
  // The row travels by value: the hall's list may be replaced while the windows are open.
  bet.send = [row, side](protocol::Session& session, std::uint64_t stake) {
    const std::vector<protocol::AsianHandicapRow> held{row};
    return protocol::place_single_bet(session, held, 0, side, static_cast<double>(stake));
  };
  return bet;
}

TicketOutcome run_asian_handicap_ticket(TicketServices& services, const AsianHandicapTicketLine& line,
                                        notation::HandicapSide side) {
  if (!ticket_may_open(services)) return TicketOutcome::kNotOpened;
  return run_stake_loop(services, asian_handicap_bet(line, side, services.session.context.currency_code));
}

SingleBet over_under_bet(const OverUnderTicketLine& line, int currency_code,
                         notation::OddsFormat odds_format) {
  SingleBet bet;
  bet.window.header = line.match.home_team + " vs " + line.match.away_team;
  bet.window.choice = notation::totals_text_with_side(line.line.line_code);
  bet.window.odds = notation::odds_text(line.line.price, odds_format);
  bet.window.explanation = totals_explanation(line.line.line_code, line.match.line_kind, line.line.price);
  bet.window.currency_label = currency_label(currency_code);
  bet.title = kOverUnderTicketTitle;
  bet.confirmation_odds = bet.window.odds;
  bet.frame_argument = 0;
  const protocol::SelectionEntry selection{line.line.selection_number, line.line.line_code, line.line.price};
  bet.send = [selection](protocol::Session& session, std::uint64_t stake) {
    if (stake > static_cast<std::uint64_t>(std::numeric_limits<int>::max())) {
      return protocol::Outcome::failure(kStakeAboveFundsText);
    }
    const std::vector<protocol::ParlayTypeEntry> entries{{kSingleBetType, static_cast<int>(stake)}};
    return protocol::place_bets(session, protocol::kPlaceBetsSubject, {selection}, entries);
  };
  return bet;
}

TicketOutcome run_over_under_ticket(TicketServices& services, const OverUnderTicketLine& line) {
  if (!ticket_may_open(services)) return TicketOutcome::kNotOpened;
  return run_stake_loop(services, over_under_bet(line, services.session.context.currency_code,
                                                 services.session.context.odds_format));
}

}  // namespace brindle::betting
