#include "server/betting/bet_schema.h"

#include <array>

namespace brindle::server::betting {
namespace {

// One row per parlay type entry of a request: a bet covers every combination of its mask at the
// unit stake, so `stake` is the unit stake times the number of combinations. Legs keep the names
// and terms they were taken on, so records read the same after the market changes.
constexpr std::string_view kSchemaV1 = R"sql(
CREATE TABLE bets (
  id INTEGER PRIMARY KEY,
  account_id INTEGER NOT NULL,
  kind INTEGER NOT NULL CHECK (kind IN (0, 1, 2)),
  status INTEGER NOT NULL CHECK (status IN (0, 1, 2, 4)),
  legs INTEGER NOT NULL CHECK (legs BETWEEN 1 AND 10),
  mask INTEGER NOT NULL CHECK (mask > 0),
  unit_stake INTEGER NOT NULL CHECK (unit_stake > 0),
  stake INTEGER NOT NULL CHECK (stake > 0),
  room INTEGER NOT NULL,
  placed_at INTEGER NOT NULL,
  due_at INTEGER,
  settled_at INTEGER,
  returned INTEGER
);
CREATE INDEX bets_by_account ON bets(account_id, kind, status, placed_at);

CREATE TABLE bet_legs (
  bet_id INTEGER NOT NULL REFERENCES bets(id),
  position INTEGER NOT NULL,
  selection_id INTEGER NOT NULL,
  match_id INTEGER NOT NULL,
  outright INTEGER NOT NULL,
  market_type INTEGER NOT NULL,
  line_code INTEGER NOT NULL,
  line_kind INTEGER NOT NULL,
  price_milli INTEGER NOT NULL CHECK (price_milli > 0),
  score_home INTEGER NOT NULL,
  score_away INTEGER NOT NULL,
  league TEXT NOT NULL,
  home TEXT NOT NULL,
  away TEXT NOT NULL,
  outcome INTEGER,
  final_score TEXT,
  PRIMARY KEY (bet_id, position)
);
CREATE INDEX bet_legs_open_by_match ON bet_legs(match_id, outcome);
)sql";

// The share of the stake (basis points) that the room's star member earns when a bet placed in a
// private room settles, fixed when the bet is taken; 0 for the public room.
constexpr std::string_view kSchemaV2 = R"sql(
ALTER TABLE bets ADD COLUMN commission_rate INTEGER NOT NULL DEFAULT 0;
)sql";

constexpr std::array kMigrations{storage::Migration{"bets", 1, kSchemaV1},
                                 storage::Migration{"bets", 2, kSchemaV2}};

}  // namespace

std::span<const storage::Migration> bets_migrations() { return kMigrations; }

}  // namespace brindle::server::betting
