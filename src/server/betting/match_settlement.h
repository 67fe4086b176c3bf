#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "server/accounts/account.h"
#include "server/market/market.h"
#include "server/market/market_model.h"
#include "server/storage/database.h"
#include "wire/result.h"

namespace brindle::server::betting {

// A bet whose legs are all decided but that could not be paid out (the ledger refused it, or its
// money movement failed): it stays accepted with its stake frozen, and the next run on its match
// tries it again.
struct HeldBet {
  std::int64_t serial = 0;
  accounts::AccountId account = 0;
  std::string reason;
};

struct MatchSettlement {
  int settled = 0;  // bets paid out by this run
  std::vector<HeldBet> held;
};

// Settles every bet on a decided match or outright event inside the caller's transaction: each
// open leg gets its outcome and the final score, and every bet whose legs are all settled returns
// its amount through the ledger (stake out of frozen, one statement entry). Each bet is paid in a
// savepoint of its own, so a bet that cannot be paid is held back alone and the others are paid.
// In-play bets still waiting out their delay are refused. Running it again settles nothing twice
// and retries the held bets; an undecided match settles nothing.
Result<MatchSettlement> settle_match(storage::Connection& connection, market::MatchId match);

// The same in a transaction of its own: one match, one transaction.
Result<MatchSettlement> settle_match(storage::Database& db, market::MatchId match);

// What the market calls when a match finishes: settle it on `db`, while the database is open. A held
// bet is written to `log` (standard error unless given) with its account and reason, once until its
// reason changes, and makes the handler fail, so the match's notice stays queued and the held bets
// are retried on the next pass while every other bet of the match is already paid.
market::MatchFinishedHandler match_settler(std::weak_ptr<storage::Database> db);
market::MatchFinishedHandler match_settler(std::weak_ptr<storage::Database> db, std::ostream& log);

}  // namespace brindle::server::betting
