#pragma once

#include <span>
#include <string>
#include <vector>

#include "core/protocol/history_records.h"
#include "core/protocol/list_rows.h"
#include "core/protocol/records_queries.h"
#include "core/protocol/session.h"

namespace brindle::protocol {

// Match analysis, odds trend and results. Lists are untouched on failure, refilled on success.

Outcome parse_history(std::span<const std::string> lines, std::vector<HistoryItem>& items);
Outcome parse_head_to_head(std::span<const std::string> lines, std::vector<HeadToHeadItem>& items);
Outcome parse_odds_trend(std::span<const std::string> lines, std::vector<TrendPoint>& points);
Outcome parse_results(std::span<const std::string> lines, std::vector<ResultItem>& items);

// 4022 with the hall row's away-gives flag.
Outcome fetch_odds_trend(Session& session, int match_number, bool away_gives,
                         std::vector<TrendPoint>& points);
// 4023: the last six results of the home (true) or the away team.
Outcome fetch_recent_matches(Session& session, int match_number, bool home_team,
                             std::vector<HistoryItem>& items);
// 4024: the home team's last three home matches (true) or the away team's last three away matches.
Outcome fetch_home_away_matches(Session& session, int match_number, bool home_team,
                                std::vector<HistoryItem>& items);
// 4026.
Outcome fetch_head_to_head(Session& session, int match_number, std::vector<HeadToHeadItem>& items);
// 4025 over a range, or the coming fixtures ("-1" in both places) without one.
Outcome fetch_results(Session& session, const DateRange& range, std::vector<ResultItem>& items);
Outcome fetch_fixtures(Session& session, std::vector<ResultItem>& items);
// 4040.
Outcome fetch_outright_results(Session& session, const DateRange& range, std::vector<ResultItem>& items);

}  // namespace brindle::protocol
