#pragma once

#include <optional>
#include <string_view>

#include "server/market/market_model.h"
#include "server/storage/database.h"
#include "wire/result.h"

namespace brindle::server::market {

// The most goals or points a posted score may name; anything larger is a typing error.
inline constexpr int kMaxPostedGoals = 99;
inline constexpr int kMaxPostedPoints = 400;

// What settlement reads once a match or event is decided.
struct MatchOutcome {
  MatchId id = 0;
  bool outright = false;
  Score result;                      // final score of a match
  std::optional<int> winning_place;  // line code of an outright event's winning selection
};

// Records the final score of a match and finishes it (its lines close), or, for an outright
// event, the winning selection's place given as `home` with `away` 0. Posting the same result
// again succeeds and changes nothing; a different result for a decided match is refused, because
// its bets may already be settled. The finished-match notice is queued for delivery
// (deliver_finished_matches in market/market_clock.h).
Result<void> post_result(storage::Database& db, MatchId id, int home, int away);

// The result of a decided match or event; nothing while it is undecided or unknown.
Result<std::optional<MatchOutcome>> read_outcome(storage::Connection& connection, MatchId id);

}  // namespace brindle::server::market
