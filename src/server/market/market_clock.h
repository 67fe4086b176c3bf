#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

#include "server/market/market.h"
#include "server/market/market_model.h"
#include "server/storage/database.h"
#include "wire/result.h"

namespace brindle::server::market {

// What one feed step changed.
struct FeedReport {
  std::int64_t now = 0;  // the market clock the step ran to
  std::vector<MatchId> started;
  std::vector<MatchId> finished;  // matches and events that got their result
  int line_changes = 0;           // in-play lines whose code, price or status moved
};

// Moves every match and event to the market clock's now: kicks off matches whose time has come,
// plays in-play matches minute by minute from their script (goals, suspended lines after a goal,
// moving in-play lines), finishes them with their result and closes events that are decided.
// A match's state is a function of its script and the clock, so running the same step twice, or
// from two processes, gives the same rows.
Result<FeedReport> run_feed(storage::Database& db);

// `advance MINUTES`: puts the market clock forward and runs the feed to the new time.
inline constexpr int kMaxAdvanceMinutes = 60 * 24 * 366;
Result<FeedReport> advance_clock(storage::Database& db, std::chrono::minutes minutes);

// Hands every decided match or event whose notice was not yet delivered to the handler, oldest
// first, and marks it delivered when the handler succeeds. Returns how many were delivered. A
// notice whose handler fails stays queued for next time and the run goes on with the others; the
// first failure's words are then returned.
Result<int> deliver_finished_matches(storage::Database& db, const MatchFinishedHandler& handler);

}  // namespace brindle::server::market
