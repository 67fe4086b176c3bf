#include "core/betting/parlay_ticket.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "core/betting/single_ticket.h"
#include "core/net/client_context.h"
#include "core/notation/bet_choice.h"
#include "core/notation/currency_name.h"
#include "core/notation/market_kind.h"
#include "core/notation/odds_format.h"
#include "core/notation/parlay_type.h"
#include "core/ports/frame_port.h"
#include "core/ports/message_port.h"
#include "core/protocol/bet_submission.h"
#include "core/protocol/market_data.h"
#include "core/protocol/market_type.h"
#include "core/protocol/session.h"

namespace brindle::betting {
namespace {

constexpr int kBasketballLineKind = 9;
constexpr int kCorrectScoreItems = 26;
constexpr int kHomeWin = 1;
constexpr int kDraw = 2;
constexpr int kAwayWin = 4;
constexpr int kHomeHandicapLimit = 999;
constexpr int kHandicapSideOffset = -1000;
constexpr double kSamePrice = 1e-9;

std::string printf_text(const char* format, double value) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

std::string odds_suffix(double price, notation::OddsFormat format) {
  return " (" + notation::odds_text(price, format) + ")";
}

int kind_of(int market_type) { return protocol::kind_of_market_type(market_type); }

// Stake text read as an integer, as the C library reads one: blanks, an optional sign, the leading
// digits; text without leading digits reads as 0. A value beyond int saturates (it is refused as
// above the limit anyway).
long long typed_integer(std::string_view typed) {
  while (!typed.empty() && (typed.front() == ' ' || typed.front() == '\t')) typed.remove_prefix(1);
  bool negative = false;
  if (!typed.empty() && (typed.front() == '-' || typed.front() == '+')) {
    negative = typed.front() == '-';
    typed.remove_prefix(1);
  }
  long long value = 0;
  for (const char c : typed) {
    if (c < '0' || c > '9') break;
    value = std::min<long long>(value * 10 + (c - '0'), std::numeric_limits<int>::max());
  }
  return negative ? -value : value;
}

}  // namespace

std::string zero_stake_line(const std::string& currency_name) { return "总投注彩金：0 " + currency_name; }

ParlayQuote quote_parlay(const std::vector<double>& prices,
                         const std::vector<protocol::ParlayTypeEntry>& types,
                         const std::string& currency_name) {
  ParlayQuote quote;
  quote.total_stake = protocol::parlay_total_stake(prices.size(), types);
  const protocol::PayoutEstimate estimate = protocol::theoretical_highest_payout(prices, types);
  quote.highest_return = estimate.highest_payout;
  quote.over_limit = estimate.over_limit;
  quote.stake_line = "总投注彩金：" + std::to_string(quote.total_stake) + " " + currency_name;
  quote.payout_line =
      printf_text("理论最高派彩：%.2f", quote.highest_return - static_cast<double>(quote.total_stake));
  return quote;
}

std::string leg_kind_text(const protocol::ParlaySelection& leg) {
  return notation::market_kind_name(kind_of(leg.market_type));
}

std::string leg_choice_text(const protocol::ParlaySelection& leg) {
  const int kind = kind_of(leg.market_type);
  const std::string choice = notation::bet_choice_text(kind, leg.line_code, leg.line_kind);
  if (kind != notation::kKindAsianHandicap) return choice;
  const bool home =
      (leg.line_code >= 1 && leg.line_code <= kHomeHandicapLimit) || leg.line_code < kHandicapSideOffset;
  return (home ? leg.home_team : leg.away_team) + " (" + choice + ")";
}

protocol::ParlaySelection leg_of(const protocol::MatchRecord& match, const protocol::OddsLine& line) {
  protocol::ParlaySelection leg;
  leg.match_number = match.match_number;
  leg.market_type = line.market_type;
  leg.selection_number = line.selection_number;
  leg.line_code = line.line_code;
  leg.line_kind = match.line_kind;
  leg.neutral_venue = match.neutral_venue;
  leg.league = match.league;
  leg.kick_off_date = match.kick_off_date;
  leg.kick_off_time = match.kick_off_time;
  leg.second_date = match.second_date;
  leg.second_time = match.second_time;
  leg.home_team = match.home_team;
  leg.away_team = match.away_team;
  leg.price = line.price;
  return leg;
}

MarketChoices market_choices(const protocol::MatchRecord& match, const std::vector<protocol::OddsLine>& lines,
                             notation::OddsFormat odds_format) {
  MarketChoices choices;
  choices.content.title = match.home_team + " vs " + match.away_team;
  auto add_tab = [&](int market_type, int columns) -> std::size_t {
    choices.content.tabs.push_back({notation::market_kind_name(kind_of(market_type)), {}, columns});
    choices.lines.emplace_back();
    return choices.lines.size() - 1;
  };
  auto add_item = [&](std::size_t tab, std::string text, const protocol::OddsLine* line) {
    choices.content.tabs[tab].items.push_back({std::move(text), line != nullptr});
    choices.lines[tab].push_back(line ? std::optional(*line) : std::nullopt);
  };
  auto first_line = [&](int market_type, int code) -> const protocol::OddsLine* {
    const auto it = std::find_if(lines.begin(), lines.end(), [&](const protocol::OddsLine& l) {
      return l.match_number == match.match_number && l.market_type == market_type && l.line_code == code;
    });
    return it == lines.end() ? nullptr : &*it;
  };
  // Every line of one kind, in the order the server sent them.
  auto list_tab = [&](int market_type, int columns) {
    const std::size_t tab = add_tab(market_type, columns);
    for (const auto& l : lines) {
      if (l.match_number != match.match_number || l.market_type != market_type) continue;
      add_item(tab, leg_choice_text(leg_of(match, l)) + odds_suffix(l.price, odds_format), &l);
    }
  };

  list_tab(protocol::kTypeAsianHandicap, 2);
  if (match.line_kind >= kBasketballLineKind) {
    list_tab(protocol::kTypeBasketballTotals, 2);
    list_tab(protocol::kTypeBasketballOddEven, 2);
    return choices;
  }
  const std::size_t outcomes = add_tab(protocol::kType1x2, 3);
  const auto* home = first_line(protocol::kType1x2, kHomeWin);
  const auto* draw = first_line(protocol::kType1x2, kDraw);
  const auto* away = first_line(protocol::kType1x2, kAwayWin);
  add_item(outcomes, home ? match.home_team + " 胜" + odds_suffix(home->price, odds_format) : std::string(),
           home);
  add_item(outcomes, draw ? "和局" + odds_suffix(draw->price, odds_format) : std::string(), draw);
  add_item(outcomes, away ? match.away_team + " 胜" + odds_suffix(away->price, odds_format) : std::string(),
           away);
  list_tab(protocol::kTypeOverUnder, 2);
  // Choice n sits on the n-th item, so that the scores keep their places in the grid.
  const std::size_t scores = add_tab(protocol::kTypeCorrectScore, 5);
  for (int n = 1; n <= kCorrectScoreItems; ++n) {
    const auto* l = first_line(protocol::kTypeCorrectScore, n);
    add_item(scores,
             l ? notation::bet_choice_text(notation::kKindCorrectScore, n, match.line_kind) +
                     odds_suffix(l->price, odds_format)
               : std::string(),
             l);
  }
  return choices;
}

ParlayTicket::ParlayTicket(ParlayTicketServices services)
    : services_(services), stake_line_(zero_stake_line(currency())) {}

std::string ParlayTicket::currency() const {
  return notation::currency_name(services_.session.context.currency_code, true);
}

std::string ParlayTicket::type_name(std::size_t row) const {
  if (row >= types().size()) return {};
  return notation::parlay_type_name(static_cast<int>(legs().size()), types()[row].combination_mask);
}

notation::OddsFormat ParlayTicket::odds_format() const { return services_.session.context.odds_format; }

void ParlayTicket::show(const std::string& text) { services_.messages.show_message(text, false); }

void ParlayTicket::notify() {
  if (view_) view_->ticket_changed();
}

void ParlayTicket::legs_changed() {
  if (slip_.rebuild_types_if_needed()) {
    stake_line_ = zero_stake_line(currency());
    payout_line_ = kZeroPayoutLine;
  }
  notify();
}

bool ParlayTicket::show_totals() {
  std::vector<double> prices;
  for (const auto& leg : legs()) prices.push_back(leg.price);
  const ParlayQuote quote = quote_parlay(prices, types(), currency());
  stake_line_ = quote.stake_line;
  payout_line_ = quote.payout_line;
  return quote.over_limit;
}

bool ParlayTicket::add_leg(protocol::ParlaySelection leg) {
  if (auto refusal = slip_.add(std::move(leg))) {
    show(*refusal);
    return false;
  }
  legs_changed();
  return true;
}

bool ParlayTicket::takes_bets() const {
  const int mode = services_.session.context.login_mode;
  return mode != net::kLoginModeVisitor && mode != net::kLoginModeSecondary;
}

void ParlayTicket::add_from_hall(const protocol::MatchRecord& match, const protocol::OddsLine& line) {
  if (takes_bets()) add_leg(leg_of(match, line));
}

void ParlayTicket::choose_more(protocol::MatchRecord match) {
  if (!takes_bets()) return;
  auto held = held_lines_.find(match.match_number);
  if (held == held_lines_.end()) {
    std::vector<protocol::OddsLine> fetched;
    if (const auto outcome =
            protocol::refresh_parlay_prices(services_.session, {match.match_number}, fetched);
        !outcome) {
      show(outcome.error());
      return;
    }
    std::erase_if(fetched, [&](const protocol::OddsLine& l) { return l.match_number != match.match_number; });
    // A reply without lines is asked again next time rather than held as the match's lines.
    if (fetched.empty()) {
      run_market_choice(match, market_choices(match, fetched, services_.session.context.odds_format));
      return;
    }
    held = held_lines_.insert_or_assign(match.match_number, std::move(fetched)).first;
  }
  // The window's items are copies of the held lines, which a refresh under the window may replace.
  run_market_choice(match, market_choices(match, held->second, services_.session.context.odds_format));
}

void ParlayTicket::run_market_choice(const protocol::MatchRecord& match, const MarketChoices& choices) {
  auto chosen_line = [&](const std::optional<ports::MarketChoice>& chosen) -> const protocol::OddsLine* {
    if (!chosen || chosen->tab < 0 || chosen->item < 0) return nullptr;
    const auto tab = static_cast<std::size_t>(chosen->tab);
    const auto item = static_cast<std::size_t>(chosen->item);
    if (tab >= choices.lines.size() || item >= choices.lines[tab].size() || !choices.lines[tab][item]) {
      return nullptr;
    }
    return &*choices.lines[tab][item];
  };
  const auto chosen =
      services_.windows.choose_market(choices.content, [&](std::optional<ports::MarketChoice> c) {
        if (chosen_line(c)) return true;
        show(kMarketChoiceNothingChosenText);
        return false;
      });
  if (const auto* line = chosen_line(chosen)) add_leg(leg_of(match, *line));
}

void ParlayTicket::remove_leg(std::size_t row) {
  if (!slip_.remove(row)) return;
  legs_changed();
}

void ParlayTicket::edit_stake(std::size_t row, std::string_view typed) {
  if (row >= types().size()) return;
  const long long value = typed_integer(typed);
  const int old = types()[row].stake;
  if (value < 0 || value == old) {
    notify();  // the cell shows the stake it holds again
    return;
  }
  if (value > kMaxTypeStake) {
    show(kStakeAboveLimitText);
    notify();
    return;
  }
  slip_.set_stake(types()[row].combination_mask, static_cast<int>(value));
  const bool over_limit = show_totals();
  notify();
  if (over_limit) show(kOverLimitText);
}

void ParlayTicket::check_legs() {
  // Under the open confirmation the next refresh checks them instead.
  if (legs().empty() || confirming_) return;
  std::vector<int> matches;
  for (const auto& leg : legs()) {
    if (std::find(matches.begin(), matches.end(), leg.match_number) == matches.end()) {
      matches.push_back(leg.match_number);
    }
  }
  std::vector<protocol::OddsLine> fresh;
  if (const auto outcome = protocol::refresh_parlay_prices(services_.session, matches, fresh); !outcome) {
    // Lines from before are no measure of a leg chosen since; the next refresh checks again.
    show(outcome.error());
    return;
  }
  for (const int match : matches) {
    auto& held = held_lines_[match];
    held.clear();
    for (const auto& l : fresh) {
      if (l.match_number == match) held.push_back(l);
    }
  }

  std::size_t i = 0;
  while (i < legs().size()) {
    const protocol::ParlaySelection leg = legs()[i];
    const auto it = std::find_if(fresh.begin(), fresh.end(), [&](const protocol::OddsLine& l) {
      return l.match_number == leg.match_number && l.market_type == leg.market_type &&
             l.line_code == leg.line_code;
    });
    if (it == fresh.end()) {
      show("在" + leg.home_team + " vs " + leg.away_team + " 的比赛中您选择的“" + leg_choice_text(leg) +
           "”已不存在，请选择新的投注。");
      slip_.remove(i);
      continue;
    }
    // Both come from the same price text; the margin only absorbs the balancing arithmetic.
    if (std::abs(it->price - leg.price) > kSamePrice) {
      const notation::OddsFormat format = services_.session.context.odds_format;
      const std::string question = "在" + leg.home_team + " vs " + leg.away_team + " 的比赛中“" +
                                   leg_choice_text(leg) + "”的赔率从" +
                                   notation::odds_text(leg.price, format) + "变化为" +
                                   notation::odds_text(it->price, format) + "，是否继续您的选择？";
      if (services_.messages.show_message(question, true) != ports::MessagePort::ok) {
        slip_.remove(i);
        continue;
      }
      slip_.reprice(i, it->selection_number, it->price);
      if (show_totals()) show(kOverLimitAfterPriceChangeText);
    } else {
      slip_.reprice(i, it->selection_number, it->price);
    }
    ++i;
  }
  legs_changed();
}

void ParlayTicket::bet() {
  if (!takes_bets() || confirming_) return;
  std::string rows;
  for (std::size_t row = 0; row < types().size(); ++row) {
    if (types()[row].stake <= 0) continue;
    rows += "\n    " + type_name(row) + " 单注彩金：" + std::to_string(types()[row].stake);
  }
  if (rows.empty()) {
    show(kStakeZeroText);
    return;
  }
  // What the confirmation shows is what is sent, whatever happens under its event loop.
  std::vector<protocol::SelectionEntry> selections;
  for (const auto& leg : legs()) {
    selections.push_back({leg.selection_number, leg.line_code, leg.price, leg.match_number});
  }
  const std::vector<protocol::ParlayTypeEntry> stakes = types();
  const long long total = slip_.total_stake();
  const std::string text = "您共串" + std::to_string(legs().size()) + "场比赛，选择的投注如下：\n" + rows +
                           "\n\n总投注彩金：" + std::to_string(total) + " " + currency() + "。";
  confirming_ = true;
  const bool confirmed = services_.windows.confirm_overview(kParlayTicketTitle, text);
  confirming_ = false;
  if (!confirmed) return;

  const protocol::Outcome sent =
      protocol::place_bets(services_.session, protocol::kPlaceBetsSubject, selections, stakes);
  if (!sent) {
    show(sent.error());
    return;
  }
  show(sent.value() + kBetPlacedSuffix);
  slip_.clear();
  stake_line_ = zero_stake_line(currency());
  payout_line_ = kZeroPayoutLine;
  notify();
  services_.frame.post(ports::WindowMessage::bet_placed, 0,
                       static_cast<int>(std::min<long long>(total, std::numeric_limits<int>::max())));
}

}  // namespace brindle::betting
