#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "server/accounts/account.h"
#include "server/storage/database.h"
#include "wire/result.h"

namespace brindle::server::betting {

// One local day of an account's betting, the row of the records menu's seven-column list (4037).
// Bets are the account's own: singles, parlays and outright bets, and bets against bankers'
// markets; an in-play bet refused after its delay never took money and is not counted.
struct DayActivity {
  int date = 0;     // YYYYMMDD, local time
  int placed = 0;   // bets placed that day
  int staked = 0;   // their stakes, whole units (cents dropped)
  int settled = 0;  // bets settled that day, whenever placed
  int won = 0;      // of those, returned more than the stake
  int lost = 0;     // of those, returned less than the stake
  int net = 0;      // returned − stake over those, whole units (toward zero)
  std::array<int, 7> columns() const { return {date, placed, staked, settled, won, lost, net}; }
};

// The `days` local days ending with the one holding `now` (Unix seconds), newest first; a day
// without activity is a row of zeros.
Result<std::vector<DayActivity>> daily_activity(storage::Connection& connection, accounts::AccountId account,
                                                std::int64_t now, int days);

}  // namespace brindle::server::betting
