#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "server/market/market_model.h"
#include "server/storage/database.h"
#include "wire/result.h"

namespace brindle::server::market {

struct SeedReport {
  int leagues = 0;
  int matches = 0;
  int lines = 0;
  int events = 0;
  int outright_selections = 0;
};

struct DemoOptions {
  int football_matches = 48;
  int basketball_matches = 16;
  int days = 3;  // kick-offs spread over this many days from `now`
};

// Fills empty market tables with demo data made from `seed` alone (the same seed and `now` give
// the same rows): football and basketball leagues with invented Chinese names, matches from a
// little before `now` (so some are already in play) over the coming days, every market kind's
// lines, and outright and index events. Refused when the market already holds matches.
Result<SeedReport> seed_market(storage::Database& db, std::chrono::system_clock::time_point now,
                               std::uint64_t seed);
Result<SeedReport> seed_market(storage::Database& db, std::chrono::system_clock::time_point now,
                               std::uint64_t seed, const DemoOptions& options);

// One line for the seed command to print.
std::string seed_report_text(const SeedReport& report);

}  // namespace brindle::server::market
