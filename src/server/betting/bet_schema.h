#pragma once

#include <span>

#include "server/storage/migration.h"

namespace brindle::server::betting {

// The schema steps of the bet tables (module "bets").
std::span<const storage::Migration> bets_migrations();

// A bet's state in the bets table.
enum class BetStatus : int {
  accepted = 0,  // stake frozen, waiting for its matches
  refused = 1,   // an in-play bet refused when its delay ran out; nothing was ever debited
  pending = 2,   // an in-play bet waiting out its acceptance delay; nothing frozen yet
  settled = 4,
};

// What a bet was placed through: the records kinds are chosen by it.
enum class BetKind : int { single = 0, parlay = 1, outright = 2 };

}  // namespace brindle::server::betting
