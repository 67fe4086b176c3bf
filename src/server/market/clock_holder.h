#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "server/storage/database.h"
#include "wire/result.h"

namespace brindle::server::market {

// Servers sharing one database contend for this advisory lock; its holder alone moves the market
// clock (the feed, in-play lines, results) and settles finished matches.
inline constexpr std::int64_t kMarketClockLock = 7262350003;

// Which server moves the market clock, and when it last did, as the holder itself records it after
// each feed step: an operator (or a test) reads here whether the clock is moving and where.
struct ClockHolder {
  std::string node;
  std::int64_t since_ms = 0;  // when this node took over, Unix milliseconds
  std::int64_t beat_ms = 0;   // its last feed step
  std::int64_t beats = 0;     // feed steps recorded since the table was made, by every holder
};

// Records a feed step of `node` at now_ms; a change of node restarts `since_ms`.
Result<void> record_clock_beat(storage::Database& db, std::string_view node, std::int64_t now_ms);
Result<std::optional<ClockHolder>> read_clock_holder(storage::Connection& connection);

}  // namespace brindle::server::market
