#include "server/market/market_clock.h"

#include <optional>
#include <string>
#include <utility>

#include "server/market/market_store.h"
#include "server/market/match_script.h"

namespace brindle::server::market {
namespace {

using storage::Connection;

struct OpenMatch {
  MatchId id = 0;
  Sport sport = Sport::football;
  std::int64_t kickoff = 0;
  MatchStatus status = MatchStatus::scheduled;
  int minute = 0;
  Score score;
  std::string script;
  double margin = 0;
  double total = 0;
  bool offers_in_play = false;
};

Result<std::vector<OpenMatch>> open_matches(Connection& connection, std::int64_t now) {
  using R = Result<std::vector<OpenMatch>>;
  auto statement = connection.prepare(
      "SELECT m.id, l.sport, m.kickoff, m.status, m.minute, m.score_home, m.score_away, m.script, "
      "m.supremacy,"
      " m.expected_total, m.offers_in_play FROM market_matches m JOIN market_leagues l ON l.id = m.league_id"
      " WHERE m.status < 2 AND m.kickoff <= ?1 ORDER BY m.kickoff, m.id");
  if (!statement) return R::failure(statement.error());
  statement->bind(1, now);
  std::vector<OpenMatch> matches;
  for (;;) {
    auto row = statement->step();
    if (!row) return R::failure(row.error());
    if (!row.value()) return matches;
    auto& s = statement.value();
    OpenMatch m;
    m.id = static_cast<MatchId>(s.column_int64(0));
    m.sport = static_cast<Sport>(s.column_int64(1));
    m.kickoff = s.column_int64(2);
    m.status = static_cast<MatchStatus>(s.column_int64(3));
    m.minute = static_cast<int>(s.column_int64(4));
    m.score = Score{static_cast<int>(s.column_int64(5)), static_cast<int>(s.column_int64(6))};
    m.script = s.column_text(7);
    m.margin = static_cast<double>(s.column_int64(8)) / 100.0;
    m.total = static_cast<double>(s.column_int64(9)) / 100.0;
    m.offers_in_play = s.column_int64(10) != 0;
    matches.push_back(std::move(m));
  }
}

Result<void> run_sql(Connection& connection, std::string_view sql,
                     std::initializer_list<std::int64_t> values) {
  auto statement = connection.prepare(sql);
  if (!statement) return Result<void>::failure(statement.error());
  int index = 1;
  for (auto value : values) statement->bind(index++, value);
  return statement->run();
}

// Brings one in-play side to its computed code, price and status. A new line code takes a new
// selection number, so a bet made against the old line can never land on the new one.
Result<bool> settle_side(Connection& connection, MatchId match, MarketType type, int slot, int code,
                         int price, int target, LineStatus status) {
  auto statement = connection.prepare(
      "SELECT selection_id, line_code, price_milli, price_sum_target, status FROM market_lines"
      " WHERE match_id = ?1 AND market_type = ?2 AND slot = ?3");
  if (!statement) return Result<bool>::failure(statement.error());
  statement->bind(1, match).bind(2, static_cast<int>(type)).bind(3, slot);
  auto row = statement->step();
  if (!row) return Result<bool>::failure(row.error());
  const bool exists = row.value();
  std::int64_t old_id = 0;
  if (exists) {
    const auto& s = statement.value();
    old_id = s.column_int64(0);
    if (s.column_int64(1) == code && s.column_int64(2) == price && s.column_int64(3) == target &&
        s.column_int64(4) == static_cast<int>(status)) {
      return false;
    }
    if (s.column_int64(1) == code) {
      auto updated = run_sql(connection,
                             "UPDATE market_lines SET price_milli = ?2, price_sum_target = ?3, status = ?4"
                             " WHERE selection_id = ?1",
                             {old_id, price, target, static_cast<int>(status)});
      if (!updated) return Result<bool>::failure(updated.error());
      return true;
    }
  }
  auto id = allocate_selection_id(connection);
  if (!id) return Result<bool>::failure(id.error());
  if (exists) {
    auto removed = run_sql(connection, "DELETE FROM market_lines WHERE selection_id = ?1", {old_id});
    if (!removed) return Result<bool>::failure(removed.error());
  }
  auto inserted = run_sql(
      connection,
      "INSERT INTO market_lines (selection_id, match_id, market_type, slot, line_code, price_milli,"
      " price_sum_target, status) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)",
      {id.value(), match, static_cast<int>(type), slot, code, price, target, static_cast<int>(status)});
  if (!inserted) return Result<bool>::failure(inserted.error());
  return true;
}

Result<int> move_in_play_lines(Connection& connection, const OpenMatch& match, const MatchState& state) {
  const LineStatus status = state.suspended ? LineStatus::suspended : LineStatus::open;
  const TwoSidedQuote handicap = in_play_handicap(match.sport, match.margin, state);
  const TwoSidedQuote totals = in_play_totals(match.sport, match.total, state);
  struct Side {
    MarketType type;
    int slot;
    int code;
    int price;
    int target;
  };
  const Side sides[] = {
      {MarketType::in_play_handicap, 0, handicap.first_code, handicap.first_price, handicap.target},
      {MarketType::in_play_handicap, 1, handicap.second_code, handicap.second_price, handicap.target},
      {MarketType::in_play_over_under, 0, totals.first_code, totals.first_price, totals.target},
      {MarketType::in_play_over_under, 1, totals.second_code, totals.second_price, totals.target},
  };
  int changes = 0;
  for (const auto& side : sides) {
    auto changed =
        settle_side(connection, match.id, side.type, side.slot, side.code, side.price, side.target, status);
    if (!changed) return Result<int>::failure(changed.error());
    if (changed.value()) ++changes;
  }
  return changes;
}

Result<bool> play_match(Connection& connection, const OpenMatch& match, std::int64_t now,
                        FeedReport& report) {
  auto script = parse_script(match.script, match.sport);
  if (!script) return Result<bool>::failure("match " + std::to_string(match.id) + " has a broken script");
  const MatchState state = state_at(match.sport, *script, match.kickoff, now);

  if (state.status == MatchStatus::finished) {
    auto finished =
        run_sql(connection,
                "UPDATE market_matches SET status = 2, minute = ?2, score_home = ?3, score_away = ?4,"
                " result_home = ?3, result_away = ?4, decided_at = ?5 WHERE id = ?1",
                {match.id, state.minute, state.score.home, state.score.away, now});
    if (!finished) return Result<bool>::failure(finished.error());
    auto closed = run_sql(connection, "UPDATE market_lines SET status = 3 WHERE match_id = ?1", {match.id});
    if (!closed) return Result<bool>::failure(closed.error());
    report.finished.push_back(match.id);
    return true;
  }

  bool changed = false;
  if (match.status == MatchStatus::scheduled) {
    auto closed = run_sql(
        connection, "UPDATE market_lines SET status = 3 WHERE match_id = ?1 AND market_type NOT IN (8, 9)",
        {match.id});
    if (!closed) return Result<bool>::failure(closed.error());
    report.started.push_back(match.id);
    changed = true;
  }
  if (changed || state.minute != match.minute || !(state.score == match.score)) {
    auto moved = run_sql(connection,
                         "UPDATE market_matches SET status = 1, minute = ?2, score_home = ?3, score_away = ?4"
                         " WHERE id = ?1",
                         {match.id, state.minute, state.score.home, state.score.away});
    if (!moved) return Result<bool>::failure(moved.error());
    changed = true;
  }
  if (match.offers_in_play) {
    auto lines = move_in_play_lines(connection, match, state);
    if (!lines) return Result<bool>::failure(lines.error());
    report.line_changes += lines.value();
    changed = changed || lines.value() > 0;
  }
  return changed;
}

Result<bool> decide_events(Connection& connection, std::int64_t now, FeedReport& report) {
  auto statement =
      connection.prepare("SELECT id FROM market_events WHERE status = 0 AND decided_at <= ?1 ORDER BY id");
  if (!statement) return Result<bool>::failure(statement.error());
  statement->bind(1, now);
  std::vector<MatchId> due;
  for (;;) {
    auto row = statement->step();
    if (!row) return Result<bool>::failure(row.error());
    if (!row.value()) break;
    due.push_back(static_cast<MatchId>(statement->column_int64(0)));
  }
  for (MatchId id : due) {
    auto decided =
        run_sql(connection,
                "UPDATE market_events SET status = 2, winning_place = planned_place, result_at = ?2"
                " WHERE id = ?1",
                {id, now});
    if (!decided) return Result<bool>::failure(decided.error());
    report.finished.push_back(id);
  }
  return !due.empty();
}

Result<FeedReport> feed_step(Connection& connection) {
  using R = Result<FeedReport>;
  auto now = read_market_now(connection);
  if (!now) return R::failure(now.error());
  FeedReport report;
  report.now = now.value();
  auto matches = open_matches(connection, report.now);
  if (!matches) return R::failure(matches.error());
  bool changed = false;
  for (const auto& match : matches.value()) {
    auto played = play_match(connection, match, report.now, report);
    if (!played) return R::failure(played.error());
    changed = changed || played.value();
  }
  auto events = decide_events(connection, report.now, report);
  if (!events) return R::failure(events.error());
  if (changed || events.value()) {
    if (auto bumped = bump_market_version(connection); !bumped) return R::failure(bumped.error());
  }
  return report;
}

}  // namespace

Result<FeedReport> run_feed(storage::Database& db) {
  return db.transaction([](Connection& connection) { return feed_step(connection); });
}

Result<FeedReport> advance_clock(storage::Database& db, std::chrono::minutes minutes) {
  if (minutes.count() < 0) return Result<FeedReport>::failure("the market clock cannot go back");
  if (minutes.count() > kMaxAdvanceMinutes) {
    return Result<FeedReport>::failure("at most " + std::to_string(kMaxAdvanceMinutes) + " minutes at once");
  }
  return db.transaction([&](Connection& connection) -> Result<FeedReport> {
    auto moved = run_sql(connection, "UPDATE market_meta SET value = value + ?1 WHERE key = 'clock_offset'",
                         {static_cast<std::int64_t>(minutes.count()) * 60});
    if (!moved) return Result<FeedReport>::failure(moved.error());
    if (auto bumped = bump_market_version(connection); !bumped)
      return Result<FeedReport>::failure(bumped.error());
    return feed_step(connection);
  });
}

Result<int> deliver_finished_matches(storage::Database& db, const MatchFinishedHandler& handler) {
  auto pending = db.read([](Connection& connection) -> Result<std::vector<MatchId>> {
    auto statement = connection.prepare(
        "SELECT id, decided_at FROM market_matches WHERE status = 2 AND notice_delivered = 0"
        " UNION ALL SELECT id, result_at FROM market_events WHERE status = 2 AND notice_delivered = 0"
        " ORDER BY 2, 1");
    if (!statement) return Result<std::vector<MatchId>>::failure(statement.error());
    std::vector<MatchId> ids;
    for (;;) {
      auto row = statement->step();
      if (!row) return Result<std::vector<MatchId>>::failure(row.error());
      if (!row.value()) return ids;
      ids.push_back(static_cast<MatchId>(statement->column_int64(0)));
    }
  });
  if (!pending) return Result<int>::failure(pending.error());
  if (!handler) return 0;
  int delivered = 0;
  std::optional<std::string> first_failure;
  for (MatchId id : pending.value()) {
    // One match that cannot be handled must not hold back the ones decided after it.
    if (auto handled = handler(id); !handled) {
      if (!first_failure) first_failure = handled.error();
      continue;
    }
    auto marked = db.transaction([id](Connection& connection) -> Result<void> {
      auto m = run_sql(connection, "UPDATE market_matches SET notice_delivered = 1 WHERE id = ?1", {id});
      if (!m) return m;
      return run_sql(connection, "UPDATE market_events SET notice_delivered = 1 WHERE id = ?1", {id});
    });
    if (!marked) return Result<int>::failure(marked.error());
    ++delivered;
  }
  if (first_failure) return Result<int>::failure(*first_failure);
  return delivered;
}

}  // namespace brindle::server::market
