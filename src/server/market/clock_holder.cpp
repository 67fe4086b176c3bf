#include "server/market/clock_holder.h"

namespace brindle::server::market {

Result<void> record_clock_beat(storage::Database& db, std::string_view node, std::int64_t now_ms) {
  return db.transaction([&](storage::Connection& connection) -> Result<void> {
    auto statement = connection.prepare(
        "INSERT INTO market_clock_holder (role, node, since_ms, beat_ms, beats) VALUES ('clock', ?1, ?2, ?2, "
        "1)"
        " ON CONFLICT (role) DO UPDATE SET node = excluded.node, beat_ms = excluded.beat_ms,"
        " beats = market_clock_holder.beats + 1,"
        " since_ms = CASE WHEN market_clock_holder.node = excluded.node THEN market_clock_holder.since_ms"
        " ELSE excluded.since_ms END");
    if (!statement) return Result<void>::failure(statement.error());
    statement->bind(1, node).bind(2, now_ms);
    return statement->run();
  });
}

Result<std::optional<ClockHolder>> read_clock_holder(storage::Connection& connection) {
  using R = Result<std::optional<ClockHolder>>;
  auto statement = connection.prepare(
      "SELECT node, since_ms, beat_ms, beats FROM market_clock_holder WHERE role = 'clock'");
  if (!statement) return R::failure(statement.error());
  auto row = statement->step();
  if (!row) return R::failure(row.error());
  if (!row.value()) return std::optional<ClockHolder>{};
  return std::optional<ClockHolder>(ClockHolder{statement->column_text(0), statement->column_int64(1),
                                                statement->column_int64(2), statement->column_int64(3)});
}

}  // namespace brindle::server::market
