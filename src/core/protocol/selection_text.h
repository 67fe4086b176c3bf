#pragma once

#include <string>

namespace brindle::protocol {

// Which score suffix a record kind shows: every in-play kind, or in-play Asian handicap alone
// (the unsettled grouped kinds).
enum class ScoreSuffix { kInPlayKinds, kInPlayAsianHandicapOnly };

// The ready-made text of what a bet record was on, from its market type code, line code, choice
// integer, team names and the score at the time of the bet.
std::string selection_text(int market_type, int line_code, int choice, const std::string& home_team,
                           const std::string& away_team, int home_score, int away_score,
                           ScoreSuffix suffix = ScoreSuffix::kInPlayKinds);

// The bet choice text of a market type code.
std::string choice_text(int market_type, int line_code, int choice);

// The market name of a market type code; empty for a code the table does not hold.
std::string market_name(int market_type);

}  // namespace brindle::protocol
