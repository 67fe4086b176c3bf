#pragma once

#include <memory>

#include "server/market/market.h"
#include "server/market/market_model.h"
#include "server/storage/database.h"
#include "wire/result.h"

namespace brindle::server::betting {

// Settles every bet on a decided match or outright event inside the caller's transaction: each
// open leg gets its outcome and the final score, and every bet whose legs are all settled returns
// its amount through the ledger (stake out of frozen, one statement entry). In-play bets still
// waiting out their delay are refused. Running it again settles nothing twice; an undecided match
// settles nothing. Returns how many bets were settled.
Result<int> settle_match(storage::Connection& connection, market::MatchId match);

// The same in a transaction of its own: one match, one transaction.
Result<int> settle_match(storage::Database& db, market::MatchId match);

// What the market calls when a match finishes: settle it on `db`, while the database is open.
market::MatchFinishedHandler match_settler(std::weak_ptr<storage::Database> db);

}  // namespace brindle::server::betting
