#include "core/protocol/bet_submission.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "core/net/client_context.h"
#include "core/protocol/account_parsers.h"
#include "core/protocol/market_parsers.h"
#include "core/protocol/single_reply.h"
#include "wire/number_format.h"

namespace brindle::protocol {
namespace {

constexpr int kMaskDigits = 8;
constexpr int kOpeningPriceDigits = 7;

std::string context_numbers(const net::ClientContext& context) {
  return std::to_string(context.context_number1) + "|" + std::to_string(context.context_number2);
}

// Balance and frozen amount, then whatever the operation reads after them.
template <typename More>
Outcome read_account_figures(const net::Request& request, net::ClientContext& context, More&& more) {
  SingleReply reply(request.reply_lines());
  if (!reply.success()) return reply.failure();
  context.balance = reply.fields().decimal();
  context.frozen_amount = reply.fields().decimal();
  more(reply.fields());
  return reply.message();
}

Outcome read_account_figures(const net::Request& request, net::ClientContext& context) {
  return read_account_figures(request, context, [](wire::FieldReader&) {});
}

}  // namespace

std::string amount_text(double value) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, "%f", value);
  return buffer;
}

std::string general_bet_para(const std::vector<SelectionEntry>& selections,
                             const std::vector<ParlayTypeEntry>& type_entries, int room_number) {
  if (selections.empty()) return {};
  std::string numbers;
  std::string prices;
  for (const auto& s : selections) {
    numbers += wire::number_field(s.selection_number);
    prices += wire::price_field8(s.price);
  }
  std::size_t staked = 0;
  std::string masks;
  std::string stakes;
  for (const auto& e : type_entries) {
    if (e.stake <= 0) continue;
    ++staked;
    masks += wire::zero_padded(e.combination_mask, kMaskDigits);
    stakes += wire::stake_field(e.stake);
  }
  return std::to_string(selections.size()) + "|" + numbers + "|" + prices + "|" + std::to_string(staked) +
         "|" + masks + "|" + stakes + "|" + std::to_string(room_number);
}

Outcome place_bets(Session& session, int subject_id, const std::vector<SelectionEntry>& selections,
                   const std::vector<ParlayTypeEntry>& type_entries) {
  if (selections.empty()) return Outcome::failure(kNoSelectionMessage);
  if (subject_id == kPlaceBetsSubject) {
    if (selections.size() > kMaxParlaySelections) return Outcome::failure(kTooManySelectionsMessage);
    for (std::size_t i = 0; i < selections.size(); ++i) {
      for (std::size_t j = 0; j < i; ++j) {
        if (selections[i].match_number != 0 && selections[i].match_number == selections[j].match_number) {
          return Outcome::failure(kSameMatchMessage);
        }
      }
    }
  }
  auto sent = send_subject(session, subject_id,
                           general_bet_para(selections, type_entries, session.context.room_number));
  if (!sent) return Outcome::failure(sent.error());
  return read_account_figures(sent.value(), session.context);
}

SelectionEntry selection_of_column(const AsianHandicapRow& row, notation::HandicapSide column) {
  const bool giving = column == notation::HandicapSide::kGiving;
  if (giving == row.away_gives) return {row.away_selection, 0, row.away_price};
  return {row.home_selection, 0, row.home_price};
}

Outcome place_single_bet(Session& session, const std::vector<AsianHandicapRow>& rows, std::size_t row_index,
                         notation::HandicapSide column, double stake) {
  if (row_index >= rows.size()) return Outcome::failure(kNoSelectionMessage);
  // Converting a value outside int64's range is undefined, so such a stake never gets that far.
  if (!(stake >= 0.0 && stake < 0x1p63)) return Outcome::failure(kStakeOutOfRangeMessage);
  const SelectionEntry chosen = selection_of_column(rows[row_index], column);
  const auto whole_stake = static_cast<std::int64_t>(std::trunc(stake));
  const std::string para = "1|" + wire::number_field(chosen.selection_number) + "|" +
                           wire::price_field8(chosen.price) + "|1|00000001|" +
                           wire::stake_field(whole_stake) + "|" + std::to_string(session.context.room_number);
  auto sent = send_subject(session, kPlaceBetsSubject, para);
  if (!sent) return Outcome::failure(sent.error());
  return read_account_figures(sent.value(), session.context);
}

std::string opening_price_field(double price) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, "%.0f", price * 1000.0);
  // strtoll clamps what atoll would overflow on.
  return wire::zero_padded(std::strtoll(buffer, nullptr, 10), kOpeningPriceDigits);
}

Outcome open_market(Session& session, int match_number, int banker_stake,
                    const std::vector<MarketOption>& options, std::string& reply_text) {
  if (options.empty()) return Outcome::failure(kNoSelectionMessage);
  std::string numbers;
  std::string prices;
  for (const auto& o : options) {
    numbers += wire::number_field(o.option_number);
    prices += opening_price_field(o.price);
  }
  auto sent = send_subject(session, kOpenMarketSubject,
                           std::to_string(match_number) + "|" + std::to_string(options.size()) + "|" +
                               std::to_string(banker_stake) + "|" + numbers + "|" + prices);
  if (!sent) return Outcome::failure(sent.error());
  return parse_one_text(sent->reply_lines(), reply_text);
}

Outcome bet_against_banker(Session& session, const BankerMarketRow& row, int stake, std::string& reply_text) {
  auto sent = send_subject(session, kBetAgainstBankerSubject,
                           std::to_string(row.offer_id) + "|" + std::to_string(stake));
  if (!sent) return Outcome::failure(sent.error());
  return read_account_figures(sent.value(), session.context,
                              [&reply_text](wire::FieldReader& r) { reply_text = r.text(); });
}

Outcome cancel_opened_markets(Session& session, int open_market_number) {
  auto sent = send_subject(session, kCancelOpenedMarketsSubject, std::to_string(open_market_number));
  if (!sent) return Outcome::failure(sent.error());
  const SingleReply reply(sent->reply_lines());
  return reply.message();
}

Outcome check_in_play_line(Session& session, int match_number, int line_integer, int market_type,
                           InPlayLine& line) {
  auto sent = send_subject(session, kInPlayLineSubject,
                           std::to_string(match_number) + "|" + std::to_string(line_integer) + "|" +
                               std::to_string(market_type) + "|" + context_numbers(session.context));
  if (!sent) return Outcome::failure(sent.error());
  return parse_in_play_line(sent->reply_lines(), line);
}

Outcome fetch_in_play_delay(Session& session, int match_number, int market_type) {
  auto sent = send_subject(session, kInPlayDelaySubject,
                           std::to_string(match_number) + "|" + std::to_string(market_type));
  if (!sent) return Outcome::failure(sent.error());
  return parse_one_integer(sent->reply_lines(), session.context.in_play_delay);
}

int in_play_mode(bool delay_fetched, int delay) {
  return delay_fetched && delay >= 1 ? kInPlayModeDelayed : kInPlayModeImmediate;
}

Outcome place_in_play_bet(Session& session, int selection_number, double price, double stake, int mode) {
  auto sent = send_subject(session, kInPlayBetSubject,
                           std::to_string(selection_number) + "|" + amount_text(price) + "|" +
                               amount_text(stake) + "|" + std::to_string(mode));
  if (!sent) return Outcome::failure(sent.error());
  auto& context = session.context;
  return read_account_figures(sent.value(), context,
                              [&context](wire::FieldReader& r) { context.in_play_bet_number = r.integer(); });
}

Outcome confirm_delayed_in_play_bet(Session& session, const PendingInPlayBet& bet, int* bet_status) {
  const std::string match_and_type = std::to_string(bet.match_number) + "|" + std::to_string(bet.market_type);
  auto sent = send_subject(session, kInPlayConfirmationSubject, match_and_type);
  if (!sent) return Outcome::failure(sent.error());
  const Outcome confirmed = parse_one_integer(sent->reply_lines(), session.context.in_play_confirmation);
  if (!confirmed) return confirmed;
  if (bet_status) *bet_status = session.context.in_play_confirmation;
  // Only an answer of 0 asks for the bet's own follow-up.
  if (session.context.in_play_confirmation != 0 || session.context.in_play_follow_up_off) return confirmed;
  auto followed =
      send_subject(session, kInPlayFollowUpSubject, std::to_string(bet.bet_number) + "|" + match_and_type);
  if (!followed) return Outcome::failure(followed.error());
  int status = 0;
  const Outcome read = parse_one_integer(followed->reply_lines(), status);
  if (read && bet_status) *bet_status = status;
  return read;
}

}  // namespace brindle::protocol
