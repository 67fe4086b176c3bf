#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "server/market/market.h"
#include "server/market/market_model.h"
#include "server/storage/database.h"
#include "server/storage/migration.h"
#include "wire/result.h"

namespace brindle::server::market {

// The schema steps of the market tables (module "market").
std::span<const storage::Migration> market_migrations();

// Every change to market rows ends by bumping the market version inside the same transaction, so
// a server that polls the version sees what another process (an admin command) committed.
Result<void> bump_market_version(storage::Connection& connection);
Result<std::int64_t> read_market_version(storage::Connection& connection);

// Seconds the market clock runs ahead of real time (what `advance` has added so far).
Result<std::int64_t> read_clock_offset(storage::Connection& connection);
// The market clock's now: real time plus the offset.
Result<std::int64_t> read_market_now(storage::Connection& connection);

// Fresh numbers from the market's own counters; selection numbers cover lines and outright
// selections alike, match numbers matches and events alike.
Result<SelectionId> allocate_selection_id(storage::Connection& connection);
Result<MatchId> allocate_match_id(storage::Connection& connection);

// The whole market as one snapshot (not yet indexed).
Result<MarketSnapshot> load_snapshot(storage::Connection& connection);

// The selection as a bet would take it at the market clock's now, read inside the caller's
// transaction so that a bet's checks and its debit see one state. Nothing for an unknown number.
Result<std::optional<Quote>> read_quote(storage::Connection& connection, SelectionId id);

// The same judgement over snapshot records: whether a line or an outright selection takes bets at
// `now`, and why not.
Quote quote_line(const Line& line, const Match& match, std::int64_t now);
Quote quote_outright(const OutrightSelection& selection, const OutrightEvent& event, std::int64_t now);

}  // namespace brindle::server::market
