#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "server/market/market_model.h"
#include "server/storage/database.h"
#include "server/storage/migration.h"
#include "wire/result.h"

namespace brindle::server::matchinfo {

// The line history: every price or code a handicap side (pre-match or in play) takes is kept, the
// latest kLineHistoryCap per side, stamped with the market clock. Triggers on market_lines do the
// recording, so the clock, the seed and the admin commands need not know about it.
inline constexpr int kLineHistoryCap = 64;
std::span<const storage::Migration> matchinfo_migrations();

// A finished match with its pre-match handicap: the home side's line code and net price and the
// away side's price; no line when the match had none.
struct PastMatch {
  market::MatchId id = 0;
  market::Sport sport = market::Sport::football;
  std::string home;
  std::string away;
  std::int64_t kickoff = 0;
  market::Score result;
  bool has_line = false;
  int home_code = 0;  // line code of the home side (see market::Line)
  int home_price_milli = 0;
  int away_price_milli = 0;
};

// The handicap as the history lists send it: code, whether the home side received, the result code
// seen from the giving side (0 push, 1 win, 2 half win, 3 lose, 4 half lose) and the giver's odds.
struct PastLine {
  int code = 0;
  bool home_received = false;
  int result_code = 0;
  double odds = 0.0;
};
PastLine past_line(const PastMatch& match);

enum class Venue { any, home_only, away_only };

// The latest finished matches of `team` before `before` (Unix seconds), newest first.
Result<std::vector<PastMatch>> team_matches(storage::Connection& connection, const std::string& team,
                                            Venue venue, std::int64_t before, int limit);
// The finished matches between the two teams, either way round, newest first.
Result<std::vector<PastMatch>> meetings(storage::Connection& connection, const std::string& first,
                                        const std::string& second, std::int64_t before, int limit);

struct LinePoint {
  std::int64_t at = 0;  // market clock, Unix seconds
  int line_code = 0;
  int price_milli = 0;
};
// The recorded points of the home (true) or away side of a match's handicap lines, oldest first.
Result<std::vector<LinePoint>> line_history(storage::Connection& connection, market::MatchId match,
                                            bool home_side);

}  // namespace brindle::server::matchinfo
