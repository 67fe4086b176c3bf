#pragma once

#include <cstdint>

#include "server/storage/database.h"
#include "wire/result.h"

namespace brindle::server::matchinfo {

struct PastResultsReport {
  int matches = 0;      // finished matches added
  int line_points = 0;  // earlier trend points added to the coming matches' handicap lines
};

// Demo history for a freshly seeded market, made from `seed` alone: finished matches with results
// and their closed handicap lines over the weeks before `now` among the teams of each league (every
// coming fixture's pair meets at least once), and a day of earlier prices for each coming match's
// handicap sides, so the history and trend windows have something to show at once.
Result<PastResultsReport> seed_past_results(storage::Database& db, std::int64_t now, std::uint64_t seed);

}  // namespace brindle::server::matchinfo
