#include "server/market/market_store.h"

#include <array>
#include <limits>
#include <string>
#include <utility>

#include "server/storage/timestamp.h"

namespace brindle::server::market {
namespace {

using storage::Connection;

constexpr std::string_view kSchemaV1 = R"sql(
CREATE TABLE market_meta (
  key TEXT PRIMARY KEY,
  value INTEGER NOT NULL
);
INSERT INTO market_meta (key, value) VALUES ('version', 1), ('clock_offset', 0),
  ('next_selection', 100001), ('next_match', 20001);

CREATE TABLE market_leagues (
  id INTEGER PRIMARY KEY,
  name TEXT NOT NULL UNIQUE,
  sport INTEGER NOT NULL CHECK (sport IN (0, 1))
);

CREATE TABLE market_matches (
  id INTEGER PRIMARY KEY,
  league_id INTEGER NOT NULL REFERENCES market_leagues(id),
  home TEXT NOT NULL,
  away TEXT NOT NULL,
  kickoff INTEGER NOT NULL,
  ends_at INTEGER NOT NULL,
  neutral INTEGER NOT NULL,
  offers_in_play INTEGER NOT NULL,
  in_parlay INTEGER NOT NULL,
  status INTEGER NOT NULL DEFAULT 0 CHECK (status IN (0, 1, 2)),
  minute INTEGER NOT NULL DEFAULT 0,
  score_home INTEGER NOT NULL DEFAULT 0,
  score_away INTEGER NOT NULL DEFAULT 0,
  result_home INTEGER,
  result_away INTEGER,
  decided_at INTEGER,
  notice_delivered INTEGER NOT NULL DEFAULT 0,
  script TEXT NOT NULL,
  supremacy INTEGER NOT NULL,
  expected_total INTEGER NOT NULL,
  handicap_delay INTEGER NOT NULL,
  totals_delay INTEGER NOT NULL
);
CREATE INDEX market_matches_open ON market_matches(status, kickoff);

CREATE TABLE market_lines (
  selection_id INTEGER PRIMARY KEY,
  match_id INTEGER NOT NULL REFERENCES market_matches(id),
  market_type INTEGER NOT NULL,
  slot INTEGER NOT NULL,
  line_code INTEGER NOT NULL,
  price_milli INTEGER NOT NULL CHECK (price_milli > 0),
  price_sum_target INTEGER NOT NULL,
  status INTEGER NOT NULL DEFAULT 0,
  UNIQUE (match_id, market_type, slot)
);

CREATE TABLE market_events (
  id INTEGER PRIMARY KEY,
  competition TEXT NOT NULL,
  name TEXT NOT NULL,
  sport INTEGER NOT NULL CHECK (sport IN (0, 1)),
  decided_at INTEGER NOT NULL,
  closed INTEGER NOT NULL,
  market_closed INTEGER NOT NULL,
  status INTEGER NOT NULL DEFAULT 0 CHECK (status IN (0, 2)),
  planned_place INTEGER NOT NULL,
  winning_place INTEGER,
  result_at INTEGER,
  notice_delivered INTEGER NOT NULL DEFAULT 0
);

CREATE TABLE market_outright_selections (
  selection_id INTEGER PRIMARY KEY,
  event_id INTEGER NOT NULL REFERENCES market_events(id),
  market_type INTEGER NOT NULL,
  place INTEGER NOT NULL CHECK (place BETWEEN 1 AND 44),
  name TEXT NOT NULL,
  price_milli INTEGER NOT NULL CHECK (price_milli > 0),
  disabled INTEGER NOT NULL,
  UNIQUE (event_id, market_type, place)
);
)sql";

// Who moves the market clock when several servers share the database (market/clock_holder.h).
constexpr std::string_view kSchemaV2 = R"sql(
CREATE TABLE market_clock_holder (
  role TEXT PRIMARY KEY,
  node TEXT NOT NULL,
  since_ms INTEGER NOT NULL,
  beat_ms INTEGER NOT NULL,
  beats INTEGER NOT NULL
);
)sql";

constexpr std::array kMigrations{storage::Migration{"market", 1, kSchemaV1},
                                 storage::Migration{"market", 2, kSchemaV2}};

Result<std::int64_t> read_meta(Connection& connection, std::string_view key) {
  auto statement = connection.prepare("SELECT value FROM market_meta WHERE key = ?1");
  if (!statement) return Result<std::int64_t>::failure(statement.error());
  statement->bind(1, key);
  auto row = statement->step();
  if (!row) return Result<std::int64_t>::failure(row.error());
  if (!row.value()) return Result<std::int64_t>::failure("market table has no " + std::string(key));
  return statement->column_int64(0);
}

template <typename T>
Result<void> read_all(Connection& connection, std::string_view sql, std::vector<T>& out,
                      T (*read)(storage::Statement&)) {
  auto statement = connection.prepare(sql);
  if (!statement) return Result<void>::failure(statement.error());
  for (;;) {
    auto row = statement->step();
    if (!row) return Result<void>::failure(row.error());
    if (!row.value()) return {};
    out.push_back(read(statement.value()));
  }
}

int as_int(const storage::Statement& s, int column) { return static_cast<int>(s.column_int64(column)); }

League read_league(storage::Statement& s) {
  return League{as_int(s, 0), s.column_text(1), static_cast<Sport>(as_int(s, 2))};
}

constexpr std::string_view kMatchColumns =
    "m.id, m.league_id, l.name, l.sport, m.home, m.away, m.kickoff, m.ends_at, m.neutral, m.offers_in_play, "
    "m.in_parlay, m.status, m.minute, m.score_home, m.score_away, m.result_home, m.result_away, "
    "m.handicap_delay, m.totals_delay";

Match read_match(storage::Statement& s) {
  Match m;
  m.id = as_int(s, 0);
  m.league_id = as_int(s, 1);
  m.league_name = s.column_text(2);
  m.sport = static_cast<Sport>(as_int(s, 3));
  m.home = s.column_text(4);
  m.away = s.column_text(5);
  m.kickoff = s.column_int64(6);
  m.ends_at = s.column_int64(7);
  m.neutral_venue = s.column_int64(8) != 0;
  m.offers_in_play = s.column_int64(9) != 0;
  m.in_parlay_list = s.column_int64(10) != 0;
  m.status = static_cast<MatchStatus>(as_int(s, 11));
  m.minute = as_int(s, 12);
  m.score = Score{as_int(s, 13), as_int(s, 14)};
  if (!s.column_is_null(15) && !s.column_is_null(16)) m.result = Score{as_int(s, 15), as_int(s, 16)};
  m.handicap_delay_seconds = as_int(s, 17);
  m.totals_delay_seconds = as_int(s, 18);
  return m;
}

constexpr std::string_view kLineColumns =
    "selection_id, match_id, market_type, line_code, price_milli, price_sum_target, status";

Line read_line(storage::Statement& s) {
  Line line;
  line.selection_id = as_int(s, 0);
  line.match_id = as_int(s, 1);
  line.type = static_cast<MarketType>(as_int(s, 2));
  line.line_code = as_int(s, 3);
  line.price_milli = as_int(s, 4);
  line.price_sum_target = as_int(s, 5);
  line.status = static_cast<LineStatus>(as_int(s, 6));
  return line;
}

constexpr std::string_view kEventColumns =
    "id, competition, name, sport, decided_at, closed, market_closed, status, winning_place";

OutrightEvent read_event(storage::Statement& s) {
  OutrightEvent e;
  e.id = as_int(s, 0);
  e.competition = s.column_text(1);
  e.name = s.column_text(2);
  e.sport = static_cast<Sport>(as_int(s, 3));
  e.decided_at = s.column_int64(4);
  e.closed = s.column_int64(5) != 0;
  e.market_closed = s.column_int64(6) != 0;
  e.status = static_cast<MatchStatus>(as_int(s, 7));
  if (!s.column_is_null(8)) e.winning_place = as_int(s, 8);
  return e;
}

constexpr std::string_view kOutrightColumns =
    "selection_id, event_id, market_type, place, name, price_milli, disabled";

OutrightSelection read_outright(storage::Statement& s) {
  OutrightSelection o;
  o.selection_id = as_int(s, 0);
  o.event_id = as_int(s, 1);
  o.type = static_cast<MarketType>(as_int(s, 2));
  o.place = as_int(s, 3);
  o.name = s.column_text(4);
  o.price_milli = as_int(s, 5);
  o.disabled = s.column_int64(6) != 0;
  return o;
}

Quote closed(Quote quote, std::string_view why) {
  quote.open = false;
  quote.closed_text = std::string(why);
  return quote;
}

}  // namespace

std::span<const storage::Migration> market_migrations() { return kMigrations; }

Result<void> bump_market_version(Connection& connection) {
  auto statement = connection.prepare("UPDATE market_meta SET value = value + 1 WHERE key = 'version'");
  if (!statement) return Result<void>::failure(statement.error());
  return statement->run();
}

Result<std::int64_t> read_market_version(Connection& connection) { return read_meta(connection, "version"); }

Result<std::int64_t> read_clock_offset(Connection& connection) {
  return read_meta(connection, "clock_offset");
}

Result<std::int64_t> read_market_now(Connection& connection) {
  auto offset = read_clock_offset(connection);
  if (!offset) return offset;
  return storage::now_unix_seconds() + offset.value();
}

namespace {

// Takes the counter's number and moves it on in one statement, so no other writer can come between
// the read and the write. A counter at the end of the 32-bit numbers the wire carries stays there.
Result<std::int32_t> allocate(Connection& connection, std::string_view key) {
  using R = Result<std::int32_t>;
  auto statement = connection.prepare(
      "UPDATE market_meta SET value = value + 1 WHERE key = ?1 AND value < ?2 RETURNING value - 1");
  if (!statement) return R::failure(statement.error());
  statement->bind(1, key).bind(2, static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::max()));
  auto row = statement->step();
  if (!row) return R::failure(row.error());
  if (row.value()) {
    const auto taken = static_cast<std::int32_t>(statement->column_int64(0));
    if (auto rest = statement->run(); !rest) return R::failure(rest.error());
    return taken;
  }
  // Nothing taken: the counter is missing, or it has run out.
  if (auto value = read_meta(connection, key); !value) return R::failure(value.error());
  return R::failure("market numbers exhausted: " + std::string(key));
}

}  // namespace

Result<SelectionId> allocate_selection_id(Connection& connection) {
  return allocate(connection, "next_selection");
}
Result<MatchId> allocate_match_id(Connection& connection) { return allocate(connection, "next_match"); }

Result<MarketSnapshot> load_snapshot(Connection& connection) {
  using Failure = Result<MarketSnapshot>;
  MarketSnapshot snapshot;
  auto version = read_market_version(connection);
  if (!version) return Failure::failure(version.error());
  auto offset = read_clock_offset(connection);
  if (!offset) return Failure::failure(offset.error());
  snapshot.version = version.value();
  snapshot.clock_offset = offset.value();

  if (auto r = read_all(connection, "SELECT id, name, sport FROM market_leagues ORDER BY id",
                        snapshot.leagues, &read_league);
      !r) {
    return Failure::failure(r.error());
  }
  const std::string match_sql = "SELECT " + std::string(kMatchColumns) +
                                " FROM market_matches m JOIN market_leagues l ON l.id = m.league_id"
                                " ORDER BY m.kickoff, m.id";
  if (auto r = read_all(connection, match_sql, snapshot.matches, &read_match); !r)
    return Failure::failure(r.error());
  const std::string line_sql =
      "SELECT " + std::string(kLineColumns) + " FROM market_lines ORDER BY match_id, market_type, slot";
  if (auto r = read_all(connection, line_sql, snapshot.lines, &read_line); !r)
    return Failure::failure(r.error());
  const std::string event_sql =
      "SELECT " + std::string(kEventColumns) + " FROM market_events ORDER BY decided_at, id";
  if (auto r = read_all(connection, event_sql, snapshot.events, &read_event); !r)
    return Failure::failure(r.error());
  const std::string outright_sql = "SELECT " + std::string(kOutrightColumns) +
                                   " FROM market_outright_selections ORDER BY event_id, market_type, place";
  if (auto r = read_all(connection, outright_sql, snapshot.outright_selections, &read_outright); !r) {
    return Failure::failure(r.error());
  }
  return snapshot;
}

Quote quote_line(const Line& line, const Match& match, std::int64_t now) {
  Quote quote;
  quote.selection_id = line.selection_id;
  quote.match_id = match.id;
  quote.type = line.type;
  quote.line_code = line.line_code;
  quote.price_milli = line.price_milli;
  quote.price_sum_target = line.price_sum_target;
  quote.line_kind = match.line_kind();
  quote.score = match.score;
  if (match.status == MatchStatus::finished || now >= match.ends_at) return closed(quote, kMatchFinishedText);
  if (is_in_play(line.type)) {
    if (match.status != MatchStatus::in_play) return closed(quote, kNotInPlayText);
  } else if (match.status != MatchStatus::scheduled || now >= match.kickoff) {
    // The clock may not have run yet at the kick-off second; the time decides.
    return closed(quote, kMatchStartedText);
  }
  if (line.status == LineStatus::closed) return closed(quote, kLineClosedText);
  if (line.status != LineStatus::open) return closed(quote, kLineSuspendedText);
  quote.open = true;
  return quote;
}

Quote quote_outright(const OutrightSelection& selection, const OutrightEvent& event, std::int64_t now) {
  Quote quote;
  quote.selection_id = selection.selection_id;
  quote.match_id = event.id;
  quote.outright = true;
  quote.type = selection.type;
  quote.line_code = selection.place;
  quote.price_milli = selection.price_milli;
  quote.line_kind = event.line_kind();
  if (event.closed || event.status == MatchStatus::finished || now >= event.decided_at) {
    return closed(quote, kEventClosedText);
  }
  if (event.market_closed) return closed(quote, kLineClosedText);
  if (selection.disabled) return closed(quote, kSelectionDisabledText);
  quote.open = true;
  return quote;
}

Result<std::optional<Quote>> read_quote(Connection& connection, SelectionId id) {
  using R = Result<std::optional<Quote>>;
  auto now = read_market_now(connection);
  if (!now) return R::failure(now.error());

  auto line_statement = connection.prepare("SELECT " + std::string(kLineColumns) +
                                           " FROM market_lines WHERE selection_id = ?1");
  if (!line_statement) return R::failure(line_statement.error());
  line_statement->bind(1, id);
  auto line_row = line_statement->step();
  if (!line_row) return R::failure(line_row.error());
  if (line_row.value()) {
    Line line = read_line(line_statement.value());
    auto match_statement =
        connection.prepare("SELECT " + std::string(kMatchColumns) +
                           " FROM market_matches m JOIN market_leagues l ON l.id = m.league_id"
                           " WHERE m.id = ?1");
    if (!match_statement) return R::failure(match_statement.error());
    match_statement->bind(1, line.match_id);
    auto match_row = match_statement->step();
    if (!match_row) return R::failure(match_row.error());
    if (!match_row.value()) return R::failure("market line without its match");
    return std::optional<Quote>(quote_line(line, read_match(match_statement.value()), now.value()));
  }

  auto outright_statement = connection.prepare("SELECT " + std::string(kOutrightColumns) +
                                               " FROM market_outright_selections WHERE selection_id = ?1");
  if (!outright_statement) return R::failure(outright_statement.error());
  outright_statement->bind(1, id);
  auto outright_row = outright_statement->step();
  if (!outright_row) return R::failure(outright_row.error());
  if (!outright_row.value()) return std::optional<Quote>();
  OutrightSelection selection = read_outright(outright_statement.value());
  auto event_statement =
      connection.prepare("SELECT " + std::string(kEventColumns) + " FROM market_events WHERE id = ?1");
  if (!event_statement) return R::failure(event_statement.error());
  event_statement->bind(1, selection.event_id);
  auto event_row = event_statement->step();
  if (!event_row) return R::failure(event_row.error());
  if (!event_row.value()) return R::failure("outright selection without its event");
  return std::optional<Quote>(quote_outright(selection, read_event(event_statement.value()), now.value()));
}

}  // namespace brindle::server::market
