#include "server/betting/daily_activity.h"

#include <algorithm>
#include <climits>
#include <ctime>

namespace brindle::server::betting {
namespace {

using storage::Connection;

int clamp_int(std::int64_t value) {
  return static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX));
}

// Local midnight `back` days before the day of `now`, and that day as YYYYMMDD.
std::pair<std::int64_t, int> day_start(std::int64_t now, int back) {
  const auto seconds = static_cast<std::time_t>(now);
  std::tm local{};
  localtime_r(&seconds, &local);
  local.tm_mday -= back;
  local.tm_hour = local.tm_min = local.tm_sec = 0;
  local.tm_isdst = -1;
  const std::time_t start = std::mktime(&local);  // normalises the date too
  return {static_cast<std::int64_t>(start),
          (local.tm_year + 1900) * 10000 + (local.tm_mon + 1) * 100 + local.tm_mday};
}

// Both bet tables read alike: bets (refused = 1, settled = 4) and banker_bets (settled = 2). The
// sums are cast back to whole numbers, which a sum of 64-bit integers is not on every engine.
constexpr const char* kPlacedSql =
    "SELECT COUNT(*), CAST(COALESCE(SUM(stake), 0) AS BIGINT) FROM ("
    " SELECT stake FROM bets WHERE account_id = ?1 AND status <> 1 AND placed_at >= ?2 AND placed_at < ?3"
    " UNION ALL"
    " SELECT stake FROM banker_bets WHERE account_id = ?1 AND placed_at >= ?2 AND placed_at < ?3) AS placed";
constexpr const char* kSettledSql =
    "SELECT COUNT(*), COALESCE(SUM(CASE WHEN returned > stake THEN 1 ELSE 0 END), 0),"
    " COALESCE(SUM(CASE WHEN returned < stake THEN 1 ELSE 0 END), 0),"
    " CAST(COALESCE(SUM(returned - stake), 0) AS BIGINT) FROM ("
    " SELECT stake, returned FROM bets WHERE account_id = ?1 AND status = 4 AND settled_at >= ?2"
    " AND settled_at < ?3"
    " UNION ALL"
    " SELECT stake, returned FROM banker_bets WHERE account_id = ?1 AND status = 2 AND settled_at >= ?2"
    " AND settled_at < ?3) AS settled";

}  // namespace

Result<std::vector<DayActivity>> daily_activity(Connection& connection, accounts::AccountId account,
                                                std::int64_t now, int days) {
  using R = Result<std::vector<DayActivity>>;
  auto placed = connection.prepare(kPlacedSql);
  if (!placed) return R::failure(placed.error());
  auto settled = connection.prepare(kSettledSql);
  if (!settled) return R::failure(settled.error());
  std::vector<DayActivity> rows;
  for (int back = 0; back < days; ++back) {
    const auto [from, date] = day_start(now, back);
    const std::int64_t to = day_start(now, back - 1).first;
    DayActivity day;
    day.date = date;
    placed->reset();
    placed->bind(1, account).bind(2, from).bind(3, to);
    auto row = placed->step();
    if (!row) return R::failure(row.error());
    day.placed = clamp_int(placed->column_int64(0));
    day.staked = clamp_int(placed->column_int64(1) / 100);
    settled->reset();
    settled->bind(1, account).bind(2, from).bind(3, to);
    row = settled->step();
    if (!row) return R::failure(row.error());
    day.settled = clamp_int(settled->column_int64(0));
    day.won = clamp_int(settled->column_int64(1));
    day.lost = clamp_int(settled->column_int64(2));
    day.net = clamp_int(settled->column_int64(3) / 100);
    rows.push_back(day);
  }
  return rows;
}

}  // namespace brindle::server::betting
