#include "server/matchinfo/match_records.h"

#include <array>

#include "server/betting/settlement.h"
#include "server/market/line_pricing.h"

namespace brindle::server::matchinfo {
namespace {

using storage::Connection;

// Market types 0 (pre-match) and 8 (in play) are the handicap lines a trend follows.
constexpr std::string_view kSchemaV1 = R"sql(
CREATE TABLE matchinfo_line_history (
  id INTEGER PRIMARY KEY,
  match_id INTEGER NOT NULL,
  market_type INTEGER NOT NULL,
  slot INTEGER NOT NULL,
  line_code INTEGER NOT NULL,
  price_milli INTEGER NOT NULL,
  at INTEGER NOT NULL
);
CREATE INDEX matchinfo_line_history_match ON matchinfo_line_history(match_id, id);

CREATE TRIGGER matchinfo_line_inserted AFTER INSERT ON market_lines
WHEN NEW.market_type IN (0, 8)
BEGIN
  INSERT INTO matchinfo_line_history (match_id, market_type, slot, line_code, price_milli, at)
  VALUES (NEW.match_id, NEW.market_type, NEW.slot, NEW.line_code, NEW.price_milli,
          CAST(strftime('%s', 'now') AS INTEGER) +
              COALESCE((SELECT value FROM market_meta WHERE key = 'clock_offset'), 0));
END;

CREATE TRIGGER matchinfo_line_moved AFTER UPDATE OF line_code, price_milli ON market_lines
WHEN NEW.market_type IN (0, 8) AND (NEW.line_code != OLD.line_code OR NEW.price_milli != OLD.price_milli)
BEGIN
  INSERT INTO matchinfo_line_history (match_id, market_type, slot, line_code, price_milli, at)
  VALUES (NEW.match_id, NEW.market_type, NEW.slot, NEW.line_code, NEW.price_milli,
          CAST(strftime('%s', 'now') AS INTEGER) +
              COALESCE((SELECT value FROM market_meta WHERE key = 'clock_offset'), 0));
END;

-- Keeps the latest 64 points of a side (kLineHistoryCap).
CREATE TRIGGER matchinfo_line_history_cap AFTER INSERT ON matchinfo_line_history
BEGIN
  DELETE FROM matchinfo_line_history
  WHERE match_id = NEW.match_id AND market_type = NEW.market_type AND slot = NEW.slot
    AND id <= (SELECT id FROM matchinfo_line_history
               WHERE match_id = NEW.match_id AND market_type = NEW.market_type AND slot = NEW.slot
               ORDER BY id DESC LIMIT 1 OFFSET 64);
END;
)sql";

// The same on PostgreSQL, whose triggers call a function.
constexpr std::string_view kSchemaV1PostgreSql = R"sql(
CREATE TABLE matchinfo_line_history (
  id INTEGER PRIMARY KEY,
  match_id INTEGER NOT NULL,
  market_type INTEGER NOT NULL,
  slot INTEGER NOT NULL,
  line_code INTEGER NOT NULL,
  price_milli INTEGER NOT NULL,
  at INTEGER NOT NULL
);
CREATE INDEX matchinfo_line_history_match ON matchinfo_line_history(match_id, id);

CREATE FUNCTION matchinfo_line_record() RETURNS trigger LANGUAGE plpgsql AS $body$
BEGIN
  INSERT INTO matchinfo_line_history (match_id, market_type, slot, line_code, price_milli, at)
  VALUES (NEW.match_id, NEW.market_type, NEW.slot, NEW.line_code, NEW.price_milli,
          CAST(EXTRACT(EPOCH FROM CURRENT_TIMESTAMP) AS BIGINT) +
              COALESCE((SELECT value FROM market_meta WHERE key = 'clock_offset'), 0));
  RETURN NULL;
END
$body$;
CREATE TRIGGER matchinfo_line_inserted AFTER INSERT ON market_lines FOR EACH ROW
WHEN (NEW.market_type IN (0, 8)) EXECUTE FUNCTION matchinfo_line_record();
CREATE TRIGGER matchinfo_line_moved AFTER UPDATE OF line_code, price_milli ON market_lines FOR EACH ROW
WHEN (NEW.market_type IN (0, 8) AND (NEW.line_code <> OLD.line_code OR NEW.price_milli <> OLD.price_milli))
EXECUTE FUNCTION matchinfo_line_record();

CREATE FUNCTION matchinfo_line_history_trim() RETURNS trigger LANGUAGE plpgsql AS $body$
BEGIN
  DELETE FROM matchinfo_line_history
  WHERE match_id = NEW.match_id AND market_type = NEW.market_type AND slot = NEW.slot
    AND id <= (SELECT id FROM matchinfo_line_history
               WHERE match_id = NEW.match_id AND market_type = NEW.market_type AND slot = NEW.slot
               ORDER BY id DESC LIMIT 1 OFFSET 64);
  RETURN NULL;
END
$body$;
CREATE TRIGGER matchinfo_line_history_cap AFTER INSERT ON matchinfo_line_history FOR EACH ROW
EXECUTE FUNCTION matchinfo_line_history_trim();
)sql";

constexpr std::array kMigrations{storage::Migration{"matchinfo", 1, kSchemaV1, kSchemaV1PostgreSql}};

// The finished match with its home and away pre-match handicap sides, whichever slot holds which.
constexpr std::string_view kPastMatchSelect =
    "SELECT m.id, l.sport, m.home, m.away, m.kickoff, m.result_home, m.result_away,"
    " h.line_code, h.price_milli, a.price_milli"
    " FROM market_matches m JOIN market_leagues l ON l.id = m.league_id"
    " LEFT JOIN market_lines h ON h.match_id = m.id AND h.market_type = 0"
    "  AND ((h.line_code > 0 AND h.line_code < 1000) OR h.line_code < -1000)"
    " LEFT JOIN market_lines a ON a.match_id = m.id AND a.market_type = 0 AND a.selection_id != "
    "h.selection_id"
    " WHERE m.status = 2 AND m.result_home IS NOT NULL AND m.kickoff < ?1 AND ";

Result<std::vector<PastMatch>> read_past(Connection& connection, std::string_view where,
                                         std::initializer_list<std::string_view> texts, std::int64_t before,
                                         int limit) {
  using R = Result<std::vector<PastMatch>>;
  std::string sql(kPastMatchSelect);
  sql += where;
  sql += " ORDER BY m.kickoff DESC, m.id DESC LIMIT ?2";
  auto statement = connection.prepare(sql);
  if (!statement) return R::failure(statement.error());
  statement->bind(1, before).bind(2, limit);
  int index = 3;
  for (auto text : texts) statement->bind(index++, text);
  std::vector<PastMatch> out;
  for (;;) {
    auto row = statement->step();
    if (!row) return R::failure(row.error());
    if (!row.value()) break;
    const auto& s = statement.value();
    PastMatch m;
    m.id = static_cast<market::MatchId>(s.column_int64(0));
    m.sport = static_cast<market::Sport>(s.column_int64(1));
    m.home = s.column_text(2);
    m.away = s.column_text(3);
    m.kickoff = s.column_int64(4);
    m.result = {static_cast<int>(s.column_int64(5)), static_cast<int>(s.column_int64(6))};
    m.has_line = !s.column_is_null(7) && !s.column_is_null(9);
    if (m.has_line) {
      m.home_code = static_cast<int>(s.column_int64(7));
      m.home_price_milli = static_cast<int>(s.column_int64(8));
      m.away_price_milli = static_cast<int>(s.column_int64(9));
    }
    out.push_back(std::move(m));
  }
  return out;
}

int result_code_of(betting::Outcome outcome) {
  switch (outcome) {
    case betting::Outcome::kWin:
      return 1;
    case betting::Outcome::kHalfWin:
      return 2;
    case betting::Outcome::kLose:
      return 3;
    case betting::Outcome::kHalfLose:
      return 4;
    default:
      return 0;
  }
}

}  // namespace

std::span<const storage::Migration> matchinfo_migrations() { return kMigrations; }

PastLine past_line(const PastMatch& match) {
  PastLine line;
  if (!match.has_line) return line;
  line.code = market::handicap_code_of(match.home_code);
  line.home_received = match.home_code < 0;
  const int home_margin = match.result.home - match.result.away;
  const int giving_margin = line.home_received ? -home_margin : home_margin;
  const auto outcome =
      match.sport == market::Sport::basketball
          ? betting::settle_point_handicap(line.code, betting::LineSide::kGiving, giving_margin)
          : betting::settle_goal_handicap(line.code, betting::LineSide::kGiving, giving_margin);
  line.result_code = result_code_of(outcome);
  line.odds = (line.home_received ? match.away_price_milli : match.home_price_milli) / 1000.0;
  return line;
}

Result<std::vector<PastMatch>> team_matches(Connection& connection, const std::string& team, Venue venue,
                                            std::int64_t before, int limit) {
  switch (venue) {
    case Venue::home_only:
      return read_past(connection, "m.home = ?3", {team}, before, limit);
    case Venue::away_only:
      return read_past(connection, "m.away = ?3", {team}, before, limit);
    case Venue::any:
      break;
  }
  return read_past(connection, "(m.home = ?3 OR m.away = ?3)", {team}, before, limit);
}

Result<std::vector<PastMatch>> meetings(Connection& connection, const std::string& first,
                                        const std::string& second, std::int64_t before, int limit) {
  return read_past(connection, "((m.home = ?3 AND m.away = ?4) OR (m.home = ?4 AND m.away = ?3))",
                   {first, second}, before, limit);
}

Result<std::vector<LinePoint>> line_history(Connection& connection, market::MatchId match, bool home_side) {
  using R = Result<std::vector<LinePoint>>;
  auto statement = connection.prepare(
      "SELECT at, line_code, price_milli FROM matchinfo_line_history WHERE match_id = ?1 ORDER BY at, id");
  if (!statement) return R::failure(statement.error());
  statement->bind(1, match);
  std::vector<LinePoint> out;
  for (;;) {
    auto row = statement->step();
    if (!row) return R::failure(row.error());
    if (!row.value()) break;
    const auto& s = statement.value();
    LinePoint p{s.column_int64(0), static_cast<int>(s.column_int64(1)), static_cast<int>(s.column_int64(2))};
    if (market::handicap_side_is_home(p.line_code) == home_side) out.push_back(p);
  }
  return out;
}

}  // namespace brindle::server::matchinfo
