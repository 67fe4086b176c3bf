#pragma once

#include <string>
#include <vector>

#include "core/protocol/list_rows.h"
#include "core/protocol/market_records.h"
#include "core/protocol/session.h"

namespace brindle::net {
struct ClientContext;
}

namespace brindle::protocol {

// The market-data operations. Lists are the caller's: untouched on failure, emptied and refilled
// on success. Market lists store the header's peak-period flag in the Client context.

inline constexpr int kMarketListSubject = 4027;
inline constexpr int kFilteredMarketListSubject = 4070;
inline constexpr int kOutrightListSubject = 5001;
inline constexpr int kOutrightEntriesSubject = 5002;
inline constexpr int kParlayPricesSubject = 4028;
inline constexpr int kOpenMarketMatchesSubject = 4016;
inline constexpr int kSuggestedPricesSubject = 4032;
inline constexpr int kBankerMarketsSubject = 4017;

// What the request layer answers, without any traffic, when a count-and-numbers request has no number.
inline constexpr const char* kNothingChosenMessage = "没有选择任何项目！";
// The league chooser's text for no filter.
inline constexpr const char* kAllLeaguesText = "全部联赛";

// 4027 for one market type code (or kTypeParlayList).
Outcome fetch_market_list(Session& session, int market_type, std::vector<MatchRecord>& matches,
                          std::vector<OddsLine>& odds);
// 4070: the same, limited to the Client context's five league filter texts.
Outcome fetch_filtered_market_list(Session& session, int market_type, std::vector<MatchRecord>& matches,
                                   std::vector<OddsLine>& odds);
// The Asian handicap hall's list: 4027 with code 0, or 4070 when a league is chosen.
Outcome fetch_asian_handicap_list(Session& session, std::vector<AsianHandicapRow>& rows);
// True when the first league filter text names a league.
bool league_filter_set(const net::ClientContext& context);

// 5001.
Outcome fetch_outright_list(Session& session, std::vector<MatchRecord>& matches, std::vector<OddsLine>& odds);
// 5002.
Outcome fetch_outright_entries(Session& session, const std::vector<int>& event_numbers,
                               std::vector<OutrightEntry>& entries);
// 4028.
Outcome refresh_parlay_prices(Session& session, const std::vector<int>& match_numbers,
                              std::vector<OddsLine>& odds);
// 4016.
Outcome fetch_open_market_matches(Session& session, int market_type, std::vector<MatchRecord>& matches);
// 4032.
Outcome fetch_suggested_prices(Session& session, int match_number, std::vector<SuggestedPriceRow>& rows);
// 4017.
Outcome fetch_banker_markets(Session& session, int market_type, std::vector<BankerMarketGroup>& groups);

// "count|numbers" with every number "%.10d" one after another; empty for no number.
std::string count_and_numbers(const std::vector<int>& numbers);

}  // namespace brindle::protocol
