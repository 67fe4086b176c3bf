#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/market/line_pricing.h"
#include "server/market/market_model.h"

namespace brindle::server::market {

// What each side scored in one playing minute.
struct ScoringMinute {
  int minute = 0;
  int home = 0;
  int away = 0;
  friend bool operator==(const ScoringMinute&, const ScoringMinute&) = default;
};

// A match's planned scoring, fixed when the match is made: the feed reads the state at any moment
// from it, so the clock can jump and two processes running the feed agree.
using MatchScript = std::vector<ScoringMinute>;

// "12:1:0,40:0:1"; parse refuses anything else (minutes out of order or out of range included).
std::string script_text(const MatchScript& script);
std::optional<MatchScript> parse_script(std::string_view text, Sport sport);

// Two halves with a break between them, in wall-clock minutes.
struct MatchShape {
  int half_minutes;
  int break_minutes;
  int playing_minutes() const { return 2 * half_minutes; }
  int wall_minutes() const { return 2 * half_minutes + break_minutes; }
};
MatchShape shape_of(Sport sport);

Score final_score(const MatchScript& script);

struct MatchState {
  MatchStatus status = MatchStatus::scheduled;
  int minute = 0;  // playing minute, 1.. while in play; the last one of the first half during the break
  Score score;
  bool suspended = false;  // in-play lines take no bets (just after a goal; basketball's break)
};

MatchState state_at(Sport sport, const MatchScript& script, std::int64_t kickoff, std::int64_t now);

// The in-play handicap (for the goals still to come) and totals (for the whole match) lines at a
// state, from the match's pre-match expectations.
inline constexpr int kInPlayTarget = 186;
TwoSidedQuote in_play_handicap(Sport sport, double expected_margin, const MatchState& state);
TwoSidedQuote in_play_totals(Sport sport, double expected_total, const MatchState& state);

}  // namespace brindle::server::market
