#include "core/protocol/market_data.h"

#include "core/net/client_context.h"
#include "core/protocol/market_parsers.h"
#include "core/protocol/market_type.h"
#include "core/protocol/subject_table.h"
#include "wire/number_format.h"

namespace brindle::protocol {
namespace {

std::string context_numbers(const net::ClientContext& context) {
  return std::to_string(context.context_number1) + "|" + std::to_string(context.context_number2);
}

std::string filtered_para(const net::ClientContext& context, int market_type) {
  std::string para = std::to_string(market_type) + "|" + context_numbers(context);
  for (const auto& league : context.league_filter) para += "|" + clean_free_text(league);
  return para;
}

Outcome market_list(Session& session, int subject_id, std::string para, std::vector<MatchRecord>& matches,
                    std::vector<OddsLine>& odds) {
  auto sent = send_subject(session, subject_id, std::move(para));
  if (!sent) return Outcome::failure(sent.error());
  return parse_market_list(sent->reply_lines(), session.context.peak_period, matches, odds);
}

}  // namespace

std::string count_and_numbers(const std::vector<int>& numbers) {
  if (numbers.empty()) return {};
  std::string para = std::to_string(numbers.size()) + "|";
  for (const int n : numbers) para += wire::number_field(n);
  return para;
}

bool league_filter_set(const net::ClientContext& context) {
  const std::string& first = context.league_filter.front();
  return !first.empty() && first != "0" && first != kAllLeaguesText;
}

Outcome fetch_market_list(Session& session, int market_type, std::vector<MatchRecord>& matches,
                          std::vector<OddsLine>& odds) {
  return market_list(session, kMarketListSubject,
                     std::to_string(market_type) + "|" + context_numbers(session.context), matches, odds);
}

Outcome fetch_filtered_market_list(Session& session, int market_type, std::vector<MatchRecord>& matches,
                                   std::vector<OddsLine>& odds) {
  return market_list(session, kFilteredMarketListSubject, filtered_para(session.context, market_type),
                     matches, odds);
}

Outcome fetch_asian_handicap_list(Session& session, std::vector<AsianHandicapRow>& rows) {
  auto sent = league_filter_set(session.context)
                  ? send_subject(session, kFilteredMarketListSubject,
                                 filtered_para(session.context, kTypeAsianHandicap), kReadingMarketsText)
                  : send_subject(session, kMarketListSubject,
                                 std::to_string(kTypeAsianHandicap) + "|" + context_numbers(session.context),
                                 kReadingMarketsText);
  if (!sent) return Outcome::failure(sent.error());
  return parse_asian_handicap_list(sent->reply_lines(), session.context.peak_period, rows);
}

Outcome fetch_outright_list(Session& session, std::vector<MatchRecord>& matches,
                            std::vector<OddsLine>& odds) {
  return market_list(session, kOutrightListSubject, "2|" + context_numbers(session.context), matches, odds);
}

Outcome fetch_outright_entries(Session& session, const std::vector<int>& event_numbers,
                               std::vector<OutrightEntry>& entries) {
  if (event_numbers.empty()) return Outcome::failure(kNothingChosenMessage);
  auto sent = send_subject(session, kOutrightEntriesSubject,
                           count_and_numbers(event_numbers) + "|" + context_numbers(session.context));
  if (!sent) return Outcome::failure(sent.error());
  return parse_outright_entries(sent->reply_lines(), entries);
}

Outcome refresh_parlay_prices(Session& session, const std::vector<int>& match_numbers,
                              std::vector<OddsLine>& odds) {
  if (match_numbers.empty()) return Outcome::failure(kNothingChosenMessage);
  auto sent = send_subject(session, kParlayPricesSubject,
                           count_and_numbers(match_numbers) + "|" + context_numbers(session.context));
  if (!sent) return Outcome::failure(sent.error());
  return parse_parlay_prices(sent->reply_lines(), odds);
}

Outcome fetch_open_market_matches(Session& session, int market_type, std::vector<MatchRecord>& matches) {
  auto sent = send_subject(session, kOpenMarketMatchesSubject, std::to_string(market_type));
  if (!sent) return Outcome::failure(sent.error());
  return parse_open_market_matches(sent->reply_lines(), matches);
}

Outcome fetch_suggested_prices(Session& session, int match_number, std::vector<SuggestedPriceRow>& rows) {
  auto sent = send_subject(session, kSuggestedPricesSubject, std::to_string(match_number));
  if (!sent) return Outcome::failure(sent.error());
  return parse_suggested_prices(sent->reply_lines(), rows);
}

Outcome fetch_banker_markets(Session& session, int market_type, std::vector<BankerMarketGroup>& groups) {
  auto sent = send_subject(session, kBankerMarketsSubject, std::to_string(market_type));
  if (!sent) return Outcome::failure(sent.error());
  return parse_banker_markets(sent->reply_lines(), groups);
}

}  // namespace brindle::protocol
