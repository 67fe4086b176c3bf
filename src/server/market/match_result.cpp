#include "server/market/match_result.h"

#include <string>

#include "server/market/market_store.h"

namespace brindle::server::market {
namespace {

using storage::Connection;

std::string score_text(int home, int away) { return std::to_string(home) + ":" + std::to_string(away); }

Result<void> post_match_result(Connection& connection, MatchId id, Sport sport, int home, int away) {
  const int limit = sport == Sport::basketball ? kMaxPostedPoints : kMaxPostedGoals;
  if (home > limit || away > limit) {
    return Result<void>::failure("a score above " + std::to_string(limit) + " is not plausible");
  }
  auto now = read_market_now(connection);
  if (!now) return Result<void>::failure(now.error());
  auto finish = connection.prepare(
      "UPDATE market_matches SET status = 2, score_home = ?2, score_away = ?3, result_home = ?2,"
      " result_away = ?3, decided_at = ?4, notice_delivered = 0 WHERE id = ?1");
  if (!finish) return Result<void>::failure(finish.error());
  finish->bind(1, id).bind(2, home).bind(3, away).bind(4, now.value());
  if (auto ran = finish->run(); !ran) return ran;
  auto close = connection.prepare("UPDATE market_lines SET status = 3 WHERE match_id = ?1");
  if (!close) return Result<void>::failure(close.error());
  close->bind(1, id);
  if (auto ran = close->run(); !ran) return ran;
  return bump_market_version(connection);
}

Result<void> post_event_result(Connection& connection, MatchId id, int place, int away) {
  if (away != 0) return Result<void>::failure("an outright event takes the winning place and 0");
  auto selection = connection.prepare(
      "SELECT 1 FROM market_outright_selections WHERE event_id = ?1 AND market_type = 2 AND place = ?2");
  if (!selection) return Result<void>::failure(selection.error());
  selection->bind(1, id).bind(2, place);
  auto found = selection->step();
  if (!found) return Result<void>::failure(found.error());
  if (!found.value()) {
    return Result<void>::failure("event " + std::to_string(id) + " has no selection in place " +
                                 std::to_string(place));
  }
  auto now = read_market_now(connection);
  if (!now) return Result<void>::failure(now.error());
  auto decide = connection.prepare(
      "UPDATE market_events SET status = 2, winning_place = ?2, result_at = ?3, notice_delivered = 0 WHERE "
      "id = ?1");
  if (!decide) return Result<void>::failure(decide.error());
  decide->bind(1, id).bind(2, place).bind(3, now.value());
  if (auto ran = decide->run(); !ran) return ran;
  return bump_market_version(connection);
}

}  // namespace

Result<void> post_result(storage::Database& db, MatchId id, int home, int away) {
  if (home < 0 || away < 0) return Result<void>::failure("a score cannot be negative");
  return db.transaction([&](Connection& connection) -> Result<void> {
    auto match = connection.prepare(
        "SELECT l.sport, m.status, m.result_home, m.result_away FROM market_matches m"
        " JOIN market_leagues l ON l.id = m.league_id WHERE m.id = ?1");
    if (!match) return Result<void>::failure(match.error());
    match->bind(1, id);
    auto row = match->step();
    if (!row) return Result<void>::failure(row.error());
    if (row.value()) {
      const auto sport = static_cast<Sport>(match->column_int64(0));
      if (!match->column_is_null(2)) {
        const int had_home = static_cast<int>(match->column_int64(2));
        const int had_away = static_cast<int>(match->column_int64(3));
        if (had_home == home && had_away == away) return {};
        // Its bets may be settled on the first result already.
        return Result<void>::failure("match " + std::to_string(id) + " already has the result " +
                                     score_text(had_home, had_away));
      }
      return post_match_result(connection, id, sport, home, away);
    }

    auto event = connection.prepare("SELECT winning_place FROM market_events WHERE id = ?1");
    if (!event) return Result<void>::failure(event.error());
    event->bind(1, id);
    auto event_row = event->step();
    if (!event_row) return Result<void>::failure(event_row.error());
    if (!event_row.value()) return Result<void>::failure("no match or event numbered " + std::to_string(id));
    if (!event->column_is_null(0)) {
      const int had = static_cast<int>(event->column_int64(0));
      if (had == home && away == 0) return {};
      return Result<void>::failure("event " + std::to_string(id) + " was already won by place " +
                                   std::to_string(had));
    }
    return post_event_result(connection, id, home, away);
  });
}

Result<std::optional<MatchOutcome>> read_outcome(Connection& connection, MatchId id) {
  using R = Result<std::optional<MatchOutcome>>;
  auto match =
      connection.prepare("SELECT result_home, result_away FROM market_matches WHERE id = ?1 AND status = 2");
  if (!match) return R::failure(match.error());
  match->bind(1, id);
  auto row = match->step();
  if (!row) return R::failure(row.error());
  if (row.value() && !match->column_is_null(0) && !match->column_is_null(1)) {
    MatchOutcome outcome;
    outcome.id = id;
    outcome.result =
        Score{static_cast<int>(match->column_int64(0)), static_cast<int>(match->column_int64(1))};
    return std::optional<MatchOutcome>(outcome);
  }
  auto event = connection.prepare("SELECT winning_place FROM market_events WHERE id = ?1 AND status = 2");
  if (!event) return R::failure(event.error());
  event->bind(1, id);
  auto event_row = event->step();
  if (!event_row) return R::failure(event_row.error());
  if (!event_row.value() || event->column_is_null(0)) return std::optional<MatchOutcome>();
  MatchOutcome outcome;
  outcome.id = id;
  outcome.outright = true;
  outcome.winning_place = static_cast<int>(event->column_int64(0));
  return std::optional<MatchOutcome>(outcome);
}

}  // namespace brindle::server::market
