#pragma once

#include <span>
#include <string>
#include <vector>

#include "core/protocol/list_rows.h"
#include "core/protocol/market_records.h"

namespace brindle::protocol {

// Parsers of the market-data replies, each one pass over the Reply lines (GBK). On a header
// other than success the caller's lists are left as they were; on success they are emptied and
// refilled in reply order.

// 4027, 4070 and 5001. The header's peak-period flag is stored whatever the Result code.
Outcome parse_market_list(std::span<const std::string> lines, int& peak_period_flag,
                          std::vector<MatchRecord>& matches, std::vector<OddsLine>& odds);

// 4027 with code 0 and 4070, read for the Asian handicap hall: one row per completed pair.
Outcome parse_asian_handicap_list(std::span<const std::string> lines, int& peak_period_flag,
                                  std::vector<AsianHandicapRow>& rows);

// 5002.
Outcome parse_outright_entries(std::span<const std::string> lines, std::vector<OutrightEntry>& entries);

// 4028.
Outcome parse_parlay_prices(std::span<const std::string> lines, std::vector<OddsLine>& odds);

// 4016.
Outcome parse_open_market_matches(std::span<const std::string> lines, std::vector<MatchRecord>& matches);

// 4032.
Outcome parse_suggested_prices(std::span<const std::string> lines, std::vector<SuggestedPriceRow>& rows);

// 4017: one group per (offer-group key, choice code) run of a match.
Outcome parse_banker_markets(std::span<const std::string> lines, std::vector<BankerMarketGroup>& groups);

// 4038, a single-record reply. `line` is written only on success.
Outcome parse_in_play_line(std::span<const std::string> lines, InPlayLine& line);

}  // namespace brindle::protocol
