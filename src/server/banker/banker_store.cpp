#include "server/banker/banker_store.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "server/betting/settlement.h"
#include "server/http/para_fields.h"
#include "server/market/reply_rows.h"
#include "server/storage/inserted_id.h"
#include "server/storage/money.h"
#include "server/storage/timestamp.h"
#include "wire/records/bet_records.h"
#include "wire/records/market_records.h"

namespace brindle::server::banker {
namespace {

using accounts::StatementType;
using storage::Connection;
using storage::money_text;

// Suggestions are copied from the market's lines the first time a match's offers are asked for,
// so the band a banker is held to does not move under him while the match is open.
constexpr std::string_view kSchemaV1 = R"sql(
CREATE TABLE banker_suggestions (
  option_id INTEGER PRIMARY KEY,
  match_id INTEGER NOT NULL,
  market_type INTEGER NOT NULL,
  choice INTEGER NOT NULL,
  price_milli INTEGER NOT NULL CHECK (price_milli > 0)
);
CREATE TABLE banker_markets (
  id INTEGER PRIMARY KEY,
  account_id INTEGER NOT NULL REFERENCES accounts(id),
  match_id INTEGER NOT NULL,
  market_type INTEGER NOT NULL,
  stake INTEGER NOT NULL CHECK (stake > 0),
  reserved INTEGER NOT NULL DEFAULT 0 CHECK (reserved >= 0),
  cancelled INTEGER NOT NULL DEFAULT 0 CHECK (cancelled >= 0),
  status INTEGER NOT NULL DEFAULT 0 CHECK (status IN (0, 1, 2)),
  home TEXT NOT NULL,
  away TEXT NOT NULL,
  opened_at INTEGER NOT NULL,
  settled_at INTEGER,
  final_score TEXT,
  CHECK (reserved + cancelled <= stake)
);
CREATE INDEX banker_markets_by_match ON banker_markets(match_id, status);
CREATE TABLE banker_offers (
  id INTEGER PRIMARY KEY,
  market_id INTEGER NOT NULL REFERENCES banker_markets(id),
  choice INTEGER NOT NULL,
  price_milli INTEGER NOT NULL CHECK (price_milli > 0),
  taken INTEGER NOT NULL DEFAULT 0,
  open INTEGER NOT NULL DEFAULT 1
);
CREATE TABLE banker_bets (
  id INTEGER PRIMARY KEY,
  offer_id INTEGER NOT NULL REFERENCES banker_offers(id),
  market_id INTEGER NOT NULL REFERENCES banker_markets(id),
  account_id INTEGER NOT NULL REFERENCES accounts(id),
  stake INTEGER NOT NULL CHECK (stake > 0),
  liability INTEGER NOT NULL CHECK (liability > 0),
  placed_at INTEGER NOT NULL,
  status INTEGER NOT NULL DEFAULT 0 CHECK (status IN (0, 2)),
  settled_at INTEGER,
  returned INTEGER
);
CREATE INDEX banker_bets_by_account ON banker_bets(account_id, status);
)sql";

constexpr std::array kMigrations{storage::Migration{"banker", 1, kSchemaV1}};

enum MarketStatus { kOpen = 0, kClosed = 1, kSettled = 2 };

constexpr std::int64_t kDemoMarketLead = 6 * 3600;  // how far ahead the seeded markets kick off

constexpr int kOneXTwo = 1;
constexpr int kCorrectScore = 2;
constexpr int kOverUnder = 3;
constexpr int kBasketballTotals = 6;
constexpr int kOddEven = 7;

bool is_kind(int type) {
  return type == kOneXTwo || type == kCorrectScore || type == kOverUnder || type == kBasketballTotals ||
         type == kOddEven;
}

StatementType taker_type(int type) {
  switch (type) {
    case kOneXTwo:
      return StatementType::one_x_two;
    case kCorrectScore:
      return StatementType::correct_score;
    case kOverUnder:
      return StatementType::over_under;
    case kBasketballTotals:
      return StatementType::basketball_totals;
    default:
      return StatementType::basketball_odd_even;
  }
}

StatementType banker_type(int type) {
  switch (type) {
    case kOneXTwo:
      return StatementType::one_x_two_banker;
    case kCorrectScore:
      return StatementType::correct_score_banker;
    case kOverUnder:
      return StatementType::over_under_banker;
    case kBasketballTotals:
      return StatementType::basketball_totals_banker;
    default:
      return StatementType::basketball_odd_even_banker;
  }
}

std::string serial_text(std::int64_t serial) {
  char text[24];
  std::snprintf(text, sizeof text, "%.10lld", static_cast<long long>(serial));
  return text;
}

bool all_digits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Runs a query; `bind` fills its parameters and `row` reads each result row.
Result<void> each_row(Connection& connection, std::string_view sql,
                      const std::function<void(storage::Statement&)>& bind,
                      const std::function<Result<void>(storage::Statement&)>& row) {
  auto statement = connection.prepare(sql);
  if (!statement) return Result<void>::failure(statement.error());
  bind(statement.value());
  for (;;) {
    auto stepped = statement->step();
    if (!stepped) return Result<void>::failure(stepped.error());
    if (!stepped.value()) return {};
    if (auto read = row(statement.value()); !read) return read;
  }
}

Result<void> run(Connection& connection, std::string_view sql,
                 const std::function<void(storage::Statement&)>& bind) {
  auto statement = connection.prepare(sql);
  if (!statement) return Result<void>::failure(statement.error());
  bind(statement.value());
  return statement->run();
}

// An INSERT ... RETURNING id of one row.
Result<std::int64_t> insert(Connection& connection, std::string_view sql,
                            const std::function<void(storage::Statement&)>& bind) {
  auto statement = connection.prepare(sql);
  if (!statement) return Result<std::int64_t>::failure(statement.error());
  bind(statement.value());
  return inserted_id(statement.value());
}

// Copies the match's current lines of one kind as its suggestions, once, each price rounded to the
// decimals a banker may open at (one for correct score, two for the others), so that the suggested
// odds the window fills in pass its own checks as they stand.
Result<void> ensure_suggestions(Connection& connection, std::int64_t match, int type) {
  const std::int64_t step = type == kCorrectScore ? 100 : 10;
  return run(connection,
             "INSERT INTO banker_suggestions (option_id, match_id, market_type, choice, price_milli)"
             " SELECT selection_id, match_id, market_type, line_code, (price_milli + ?3 / 2) / ?3 * ?3"
             " FROM market_lines WHERE match_id = ?1 AND market_type = ?2 AND status = 0 AND NOT EXISTS"
             " (SELECT 1 FROM banker_suggestions WHERE match_id = ?1 AND market_type = ?2)"
             " ON CONFLICT (option_id) DO NOTHING",
             [&](storage::Statement& s) { s.bind(1, match).bind(2, type).bind(3, step); });
}

struct MatchRow {
  std::string home;
  std::string away;
  bool open = false;
};

Result<MatchRow> load_match(Connection& connection, std::int64_t match) {
  MatchRow found;
  auto read = each_row(
      connection, "SELECT home, away, status FROM market_matches WHERE id = ?1",
      [&](storage::Statement& s) { s.bind(1, match); },
      [&](storage::Statement& s) -> Result<void> {
        found.home = s.column_text(0);
        found.away = s.column_text(1);
        found.open = s.column_int64(2) == 0;
        return {};
      });
  if (!read) return Result<MatchRow>::failure(read.error());
  return found;
}

Result<std::int64_t> count(Connection& connection, std::string_view sql,
                           const std::function<void(storage::Statement&)>& bind) {
  std::int64_t value = 0;
  auto read = each_row(connection, sql, bind, [&](storage::Statement& s) -> Result<void> {
    value = s.column_int64(0);
    return {};
  });
  if (!read) return Result<std::int64_t>::failure(read.error());
  return value;
}

int stake_multiple(accounts::Currency currency) { return currency == accounts::Currency::usd ? 1 : 10; }

// The checks of the open-market window, made again on integers: p is the net price in thousandths
// as sent, s the suggested net price.
std::string check_option(int type, std::int64_t p, std::int64_t s, std::int64_t stake, int k) {
  if (type == kCorrectScore) {
    if (p < 100) return std::string(kMinScoreOddsText);
    if (p % 100 != 0) return std::string(kOneDecimalText);
  } else {
    if (p < 10) return std::string(kMinOddsText);
    if (p % 10 != 0) return std::string(kTwoDecimalsText);
  }
  // 1X2's band is 20 % of the net price, the others' 20 % of the whole odds.
  const std::int64_t band_base = type == kOneXTwo ? s : 1000 + s;
  if (5 * std::llabs(p - s) > band_base) return std::string(kBandText);
  if (p * k > stake * 1000) {
    char text[128];
    std::snprintf(text, sizeof text, "开盘彩金不能低于任意一个赔率减1乘以%d！", k);
    return text;
  }
  return {};
}

// The registered nickname (member detail 1), or the user name when none was given.
std::string display_name_sql(std::string_view alias) {
  const std::string a(alias);
  return "COALESCE(NULLIF((SELECT text FROM member_details WHERE account_id = " + a +
         ".id AND slot = 1), ''), " + a + ".user_name)";
}

}  // namespace

std::int64_t openable_number(std::int64_t match, int list_code) { return match * 10 + list_code; }

std::span<const storage::Migration> banker_migrations() { return kMigrations; }

Result<OfferForm> parse_offer_form(std::string_view para) {
  using R = Result<OfferForm>;
  const auto fail = [] { return R::failure(std::string(kMalformedText)); };
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  for (;;) {
    const auto bar = para.find('|', start);
    fields.push_back(
        para.substr(start, bar == std::string_view::npos ? std::string_view::npos : bar - start));
    if (bar == std::string_view::npos) break;
    start = bar + 1;
  }
  if (fields.size() != 5) return fail();
  OfferForm form;
  int n = 0;
  if (!parse_int(fields[0], form.openable) || !parse_int(fields[1], n) || !parse_int(fields[2], form.stake))
    return fail();
  if (n < 1 || n > 26 || form.stake < 0 || form.stake > storage::kMaxAmount / 100) return fail();
  const auto ids = fields[3];
  const auto prices = fields[4];
  if (ids.size() != static_cast<std::size_t>(n) * 10 || prices.size() != static_cast<std::size_t>(n) * 7 ||
      !all_digits(ids) || !all_digits(prices)) {
    return fail();
  }
  for (int i = 0; i < n; ++i) {
    std::int64_t id = 0;
    int price = 0;
    parse_int(ids.substr(static_cast<std::size_t>(i) * 10, 10), id);
    parse_int(prices.substr(static_cast<std::size_t>(i) * 7, 7), price);
    form.options.push_back(id);
    form.prices.push_back(price);
  }
  return form;
}

Result<Opened> open_market(Connection& connection, const accounts::AuthenticatedAccount& banker,
                           const OfferForm& form, std::int64_t now) {
  using R = Result<Opened>;
  const std::int64_t match = form.openable / 10;
  const int type = static_cast<int>(form.openable % 10);
  if (form.openable <= 0 || !is_kind(type)) return R::failure(std::string(kNoSuchMatchText));
  auto found = load_match(connection, match);
  if (!found) return R::failure(found.error());
  if (!found->open) return R::failure(std::string(kNoSuchMatchText));
  if (banker.frozen) return R::failure(std::string(accounts::kAccountFrozenText));
  if (banker.currency == accounts::Currency::none) return R::failure(std::string(accounts::kNoCurrencyText));
  auto opened =
      count(connection,
            "SELECT COUNT(*) FROM banker_markets WHERE account_id = ?1 AND match_id = ?2 AND market_type = ?3"
            " AND status != 1",
            [&](storage::Statement& s) { s.bind(1, banker.id).bind(2, match).bind(3, type); });
  if (!opened) return R::failure(opened.error());
  if (opened.value() >= kMaxMarketsPerMatch) return R::failure(std::string(kTooManyMarketsText));
  if (auto made = ensure_suggestions(connection, match, type); !made) return R::failure(made.error());

  const int k = stake_multiple(banker.currency);
  std::vector<int> choices;
  for (std::size_t i = 0; i < form.options.size(); ++i) {
    int choice = 0;
    std::int64_t suggested = 0;
    bool known = false;
    auto read = each_row(
        connection,
        "SELECT choice, price_milli FROM banker_suggestions WHERE option_id = ?1 AND match_id = ?2 AND"
        " market_type = ?3",
        [&](storage::Statement& s) { s.bind(1, form.options[i]).bind(2, match).bind(3, type); },
        [&](storage::Statement& s) -> Result<void> {
          choice = static_cast<int>(s.column_int64(0));
          suggested = s.column_int64(1);
          known = true;
          return {};
        });
    if (!read) return R::failure(read.error());
    if (!known) return R::failure(std::string(kNoSuchOptionText));
    for (const int earlier : choices) {
      const bool clash = type == kOneXTwo ? (earlier & choice) != 0 : earlier == choice;
      if (clash) return R::failure(std::string(kConflictText));
    }
    choices.push_back(choice);
    if (auto refused = check_option(type, form.prices[i], suggested, form.stake, k); !refused.empty())
      return R::failure(refused);
  }
  if (form.stake < 1) return R::failure(std::string(kStakeZeroText));

  const Cents stake = form.stake * 100;
  auto frozen = accounts::freeze_stake(connection, banker.id, stake);
  if (!frozen) return R::failure(frozen.error());
  auto inserted =
      insert(connection,
             "INSERT INTO banker_markets (account_id, match_id, market_type, stake, home, away, opened_at)"
             " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7) RETURNING id",
             [&](storage::Statement& s) {
               s.bind(1, banker.id).bind(2, match).bind(3, type).bind(4, stake);
               s.bind(5, found->home).bind(6, found->away).bind(7, now);
             });
  if (!inserted) return R::failure(inserted.error());
  const std::int64_t market = inserted.value();
  for (std::size_t i = 0; i < choices.size(); ++i) {
    auto offer =
        run(connection, "INSERT INTO banker_offers (market_id, choice, price_milli) VALUES (?1, ?2, ?3)",
            [&](storage::Statement& s) {
              s.bind(1, market).bind(2, choices[i]).bind(3, static_cast<std::int64_t>(form.prices[i]));
            });
    if (!offer) return R::failure(offer.error());
  }
  return Opened{market, frozen.value()};
}

Result<Taken> take_offer(Connection& connection, const accounts::AuthenticatedAccount& taker,
                         std::int64_t offer, std::int64_t stake_units, std::int64_t now) {
  using R = Result<Taken>;
  struct OfferRow {
    std::int64_t market = 0;
    accounts::AccountId banker = 0;
    std::int64_t price = 0;
    Cents stake = 0, reserved = 0, cancelled = 0;
    int currency = 0;
    bool found = false;
  } o;
  auto read = each_row(
      connection,
      "SELECT m.id, m.account_id, f.price_milli, m.stake, m.reserved, m.cancelled, a.currency"
      " FROM banker_offers f JOIN banker_markets m ON m.id = f.market_id JOIN accounts a ON a.id = "
      "m.account_id"
      " JOIN market_matches x ON x.id = m.match_id"
      " WHERE f.id = ?1 AND f.open = 1 AND m.status = 0 AND x.status = 0",
      [&](storage::Statement& s) { s.bind(1, offer); },
      [&](storage::Statement& s) -> Result<void> {
        o = {s.column_int64(0),
             s.column_int64(1),
             s.column_int64(2),
             s.column_int64(3),
             s.column_int64(4),
             s.column_int64(5),
             static_cast<int>(s.column_int64(6)),
             true};
        return {};
      });
  if (!read) return R::failure(read.error());
  if (!o.found) return R::failure(std::string(kNoOfferText));
  if (o.banker == taker.id) return R::failure(std::string(kOwnMarketText));
  if (taker.frozen) return R::failure(std::string(accounts::kAccountFrozenText));
  if (taker.currency == accounts::Currency::none) return R::failure(std::string(accounts::kNoCurrencyText));
  if (static_cast<int>(taker.currency) != o.currency) return R::failure(std::string(kCurrencyText));
  if (stake_units <= 0) return R::failure(std::string(kBetZeroText));
  if (stake_units > storage::kMaxAmount / 100) return R::failure(std::string(kOverAcceptableText));
  const Cents stake = stake_units * 100;
  // Rounded up, so the banker's stake always covers what he may have to pay.
  const Cents liability = (stake * o.price + 999) / 1000;
  if (liability > o.stake - o.cancelled - o.reserved) return R::failure(std::string(kOverAcceptableText));
  auto frozen = accounts::freeze_stake(connection, taker.id, stake);
  if (!frozen) return R::failure(frozen.error());
  auto reserved = run(connection, "UPDATE banker_markets SET reserved = reserved + ?2 WHERE id = ?1",
                      [&](storage::Statement& s) { s.bind(1, o.market).bind(2, liability); });
  if (!reserved) return R::failure(reserved.error());
  auto taken = run(connection, "UPDATE banker_offers SET taken = taken + ?2 WHERE id = ?1",
                   [&](storage::Statement& s) { s.bind(1, offer).bind(2, stake); });
  if (!taken) return R::failure(taken.error());
  auto bet = insert(
      connection,
      "INSERT INTO banker_bets (offer_id, market_id, account_id, stake, liability, placed_at)"
      " VALUES (?1, ?2, ?3, ?4, ?5, ?6) RETURNING id",
      [&](storage::Statement& s) {
        s.bind(1, offer).bind(2, o.market).bind(3, taker.id).bind(4, stake).bind(5, liability).bind(6, now);
      });
  if (!bet) return R::failure(bet.error());
  return Taken{bet.value(), frozen.value()};
}

Result<Cents> cancel_market(Connection& connection, accounts::AccountId banker, std::int64_t market) {
  using R = Result<Cents>;
  Cents stake = 0, reserved = 0, cancelled = 0;
  bool found = false;
  auto read = each_row(
      connection,
      "SELECT stake, reserved, cancelled FROM banker_markets m WHERE id = ?1 AND account_id = ?2 AND status "
      "= 0"
      " AND EXISTS (SELECT 1 FROM banker_offers WHERE market_id = m.id AND open = 1)",
      [&](storage::Statement& s) { s.bind(1, market).bind(2, banker); },
      [&](storage::Statement& s) -> Result<void> {
        stake = s.column_int64(0);
        reserved = s.column_int64(1);
        cancelled = s.column_int64(2);
        found = true;
        return {};
      });
  if (!read) return R::failure(read.error());
  if (!found) return R::failure(std::string(kNoMarketText));
  const Cents refund = stake - cancelled - reserved;
  if (auto released = accounts::release_stake(connection, banker, refund); !released)
    return R::failure(released.error());
  // The market's row before its offers', the order a take changes them in: in the other order a
  // take and the cancellation could each hold one and wait for the other (a deadlock on PostgreSQL).
  // A market that no bet took has nothing left to settle.
  auto updated = run(connection,
                     "UPDATE banker_markets SET cancelled = cancelled + ?2,"
                     " status = CASE WHEN reserved = 0 THEN 1 ELSE status END WHERE id = ?1",
                     [&](storage::Statement& s) { s.bind(1, market).bind(2, refund); });
  if (!updated) return R::failure(updated.error());
  auto closed = run(connection, "UPDATE banker_offers SET open = 0 WHERE market_id = ?1",
                    [&](storage::Statement& s) { s.bind(1, market); });
  if (!closed) return R::failure(closed.error());
  return refund;
}

Result<int> settle_markets(Connection& connection, std::int64_t match, int home, int away, std::int64_t now) {
  using R = Result<int>;
  struct MarketRow {
    std::int64_t id = 0;
    accounts::AccountId banker = 0;
    int type = 0;
    Cents backing = 0;
  };
  std::vector<MarketRow> markets;
  auto read = each_row(
      connection,
      "SELECT id, account_id, market_type, stake - cancelled FROM banker_markets"
      " WHERE match_id = ?1 AND status = 0 ORDER BY id",
      [&](storage::Statement& s) { s.bind(1, match); },
      [&](storage::Statement& s) -> Result<void> {
        markets.push_back(
            {s.column_int64(0), s.column_int64(1), static_cast<int>(s.column_int64(2)), s.column_int64(3)});
        return {};
      });
  if (!read) return R::failure(read.error());
  const std::string score = std::to_string(home) + ":" + std::to_string(away);
  int settled = 0;
  for (const auto& m : markets) {
    struct BetRow {
      std::int64_t id = 0;
      accounts::AccountId taker = 0;
      Cents stake = 0, liability = 0;
      int choice = 0;
    };
    std::vector<BetRow> bets;
    auto bets_read = each_row(
        connection,
        "SELECT b.id, b.account_id, b.stake, b.liability, f.choice FROM banker_bets b"
        " JOIN banker_offers f ON f.id = b.offer_id WHERE b.market_id = ?1 AND b.status = 0 ORDER BY b.id",
        [&](storage::Statement& s) { s.bind(1, m.id); },
        [&](storage::Statement& s) -> Result<void> {
          bets.push_back({s.column_int64(0), s.column_int64(1), s.column_int64(2), s.column_int64(3),
                          static_cast<int>(s.column_int64(4))});
          return {};
        });
    if (!bets_read) return R::failure(bets_read.error());
    Cents banker_returned = m.backing;
    for (const auto& b : bets) {
      betting::LegTerms terms;
      terms.market_type = m.type;
      terms.line_code = b.choice;
      terms.choice = b.choice;
      auto outcome = betting::settle_leg(terms, betting::Score{home, away});
      if (!outcome) return R::failure(outcome.error());
      Cents returned = b.stake;
      switch (outcome.value()) {
        case betting::Outcome::kWin:
          returned = b.stake + b.liability;
          break;
        case betting::Outcome::kHalfWin:
          returned = b.stake + b.liability / 2;
          break;
        case betting::Outcome::kHalfLose:
          returned = b.stake / 2;
          break;
        case betting::Outcome::kLose:
          returned = 0;
          break;
        case betting::Outcome::kPush:
        case betting::Outcome::kCancelled:
          break;
      }
      auto paid = accounts::settle_stake(connection, b.taker, b.stake, returned, taker_type(m.type),
                                         serial_text(b.id));
      if (!paid) return R::failure(paid.error());
      banker_returned += b.stake - returned;
      auto done =
          run(connection, "UPDATE banker_bets SET status = 2, settled_at = ?2, returned = ?3 WHERE id = ?1",
              [&](storage::Statement& s) { s.bind(1, b.id).bind(2, now).bind(3, returned); });
      if (!done) return R::failure(done.error());
    }
    if (m.backing > 0) {
      auto paid = accounts::settle_stake(connection, m.banker, m.backing, banker_returned,
                                         banker_type(m.type), serial_text(m.id));
      if (!paid) return R::failure(paid.error());
    }
    auto done = run(connection,
                    "UPDATE banker_markets SET status = 2, settled_at = ?2, final_score = ?3 WHERE id = ?1",
                    [&](storage::Statement& s) { s.bind(1, m.id).bind(2, now).bind(3, score); });
    if (!done) return R::failure(done.error());
    auto closed = run(connection, "UPDATE banker_offers SET open = 0 WHERE market_id = ?1",
                      [&](storage::Statement& s) { s.bind(1, m.id); });
    if (!closed) return R::failure(closed.error());
    ++settled;
  }
  return settled;
}

Result<Rows> openable_matches(Connection& connection, int list_code) {
  Rows rows;
  if (!is_kind(list_code)) return rows;
  auto read = each_row(
      connection,
      "SELECT m.id, l.name, m.kickoff, m.ends_at, m.home, m.away, m.neutral FROM market_matches m"
      " JOIN market_leagues l ON l.id = m.league_id WHERE m.status = 0 AND EXISTS (SELECT 1 FROM market_lines"
      " WHERE match_id = m.id AND market_type = ?1 AND status = 0) ORDER BY m.kickoff, m.id",
      [&](storage::Statement& s) { s.bind(1, list_code); },
      [&](storage::Statement& s) -> Result<void> {
        rows.push_back(records::to_fields(records::OpenableMatchLine{
            static_cast<int>(openable_number(s.column_int64(0), list_code)), s.column_text(1),
            storage::ole_from_unix(s.column_int64(2)), storage::ole_from_unix(s.column_int64(3)),
            s.column_text(4), s.column_text(5), static_cast<int>(s.column_int64(6))}));
        return {};
      });
  if (!read) return Result<Rows>::failure(read.error());
  return rows;
}

Result<Rows> suggested_prices(Connection& connection, std::int64_t openable) {
  Rows rows;
  const std::int64_t match = openable / 10;
  const int type = static_cast<int>(openable % 10);
  if (openable <= 0 || !is_kind(type)) return rows;
  auto found = load_match(connection, match);
  if (!found) return Result<Rows>::failure(found.error());
  if (!found->open) return rows;
  if (auto made = ensure_suggestions(connection, match, type); !made)
    return Result<Rows>::failure(made.error());
  auto read = each_row(
      connection,
      "SELECT option_id, choice, price_milli FROM banker_suggestions WHERE match_id = ?1 AND market_type = ?2"
      " ORDER BY option_id",
      [&](storage::Statement& s) { s.bind(1, match).bind(2, type); },
      [&](storage::Statement& s) -> Result<void> {
        rows.push_back(records::to_fields(records::SuggestedPriceLine{
            static_cast<int>(s.column_int64(0)), static_cast<int>(s.column_int64(1)),
            static_cast<double>(s.column_int64(2)) / 1000.0}));
        return {};
      });
  if (!read) return Result<Rows>::failure(read.error());
  return rows;
}

Result<Rows> open_offers(Connection& connection, int list_code) {
  Rows rows;
  if (!is_kind(list_code)) return rows;
  std::int64_t current = -1;
  // One group per choice of a match (the key is the list code), offers best price first; offers
  // with less than one unit left to take are not shown.
  auto read = each_row(
      connection,
      "SELECT m.match_id, x.kickoff, x.ends_at, l.name, x.home, x.away, m.id, f.id, f.choice, m.stake,"
      " f.price_milli, m.reserved, " +
          display_name_sql("a") +
          ", a.currency FROM banker_offers f JOIN banker_markets m ON m.id = f.market_id"
          " JOIN market_matches x ON x.id = m.match_id JOIN market_leagues l ON l.id = x.league_id"
          " JOIN accounts a ON a.id = m.account_id"
          " WHERE m.market_type = ?1 AND m.status = 0 AND f.open = 1 AND x.status = 0"
          " AND (m.stake - m.cancelled - m.reserved) * 10 >= f.price_milli"
          " ORDER BY x.kickoff, x.id, f.choice, f.price_milli DESC, f.id",
      [&](storage::Statement& s) { s.bind(1, list_code); },
      [&](storage::Statement& s) -> Result<void> {
        const std::int64_t match = s.column_int64(0);
        if (match != current) {
          current = match;
          rows.push_back(records::to_fields(
              records::BankerMatchLine{static_cast<int>(match), storage::ole_from_unix(s.column_int64(1)),
                                       storage::ole_from_unix(s.column_int64(2)), s.column_text(3),
                                       s.column_text(4), s.column_text(5)}));
        }
        const double price = static_cast<double>(s.column_int64(10)) / 1000.0;
        // What the hall turns back into the acceptable stake: taken × price = the reserved liability.
        const double taken = static_cast<double>(s.column_int64(11)) / 100.0 / price;
        rows.push_back(records::to_fields(
            records::BankerOfferLine{static_cast<int>(match), list_code, static_cast<int>(s.column_int64(6)),
                                     static_cast<int>(s.column_int64(7)), static_cast<int>(s.column_int64(8)),
                                     static_cast<double>(s.column_int64(9)) / 100.0, price, taken,
                                     s.column_text(12), static_cast<int>(s.column_int64(13))}));
        return {};
      });
  if (!read) return Result<Rows>::failure(read.error());
  return rows;
}

namespace {

// The records' numbers as their lines carry them: money in cents and prices in thousandths are
// written with two and three places, as money_text writes them and the price lists do.
double cents_value(Cents amount) { return static_cast<double>(amount) / 100.0; }
double price_value(std::int64_t milli) { return static_cast<double>(milli) / 1000.0; }
int whole(std::int64_t value) { return static_cast<int>(value); }

}  // namespace

Result<Rows> taker_records(Connection& connection, accounts::AccountId account, bool settled,
                           std::int64_t from, std::int64_t to) {
  Rows rows;
  auto read = each_row(
      connection,
      "SELECT m.market_type, m.home, m.away, f.choice, f.price_milli, b.stake, b.placed_at, " +
          display_name_sql("a") +
          ", b.id, COALESCE(m.final_score, ''), COALESCE(b.settled_at, b.placed_at), COALESCE(b.returned, 0)"
          " FROM banker_bets b JOIN banker_offers f ON f.id = b.offer_id JOIN banker_markets m ON m.id = "
          "b.market_id"
          " JOIN accounts a ON a.id = m.account_id WHERE b.account_id = ?1 AND b.status = ?2"
          " AND (?2 = 0 OR b.settled_at BETWEEN ?3 AND ?4) ORDER BY b.id",
      [&](storage::Statement& s) { s.bind(1, account).bind(2, settled ? 2 : 0).bind(3, from).bind(4, to); },
      [&](storage::Statement& s) -> Result<void> {
        const int type = whole(s.column_int64(0));
        if (!settled) {
          rows.push_back(records::to_fields(records::UnsettledBankerBetLine{
              type, "0", s.column_text(1), s.column_text(2), whole(s.column_int64(3)),
              price_value(s.column_int64(4)), cents_value(s.column_int64(5)),
              storage::ole_from_unix(s.column_int64(6)), s.column_text(7), serial_text(s.column_int64(8))}));
        } else {
          rows.push_back(records::to_fields(records::SettledBankerBetLine{
              type, "0", s.column_text(1), s.column_text(2), s.column_text(9), whole(s.column_int64(3)),
              price_value(s.column_int64(4)), cents_value(s.column_int64(5)),
              storage::ole_from_unix(s.column_int64(6)), s.column_text(7),
              storage::ole_from_unix(s.column_int64(10)), cents_value(s.column_int64(11) - s.column_int64(5)),
              serial_text(s.column_int64(8)), 0}));
        }
        return {};
      });
  if (!read) return Result<Rows>::failure(read.error());
  return rows;
}

Result<Rows> banker_records(Connection& connection, accounts::AccountId account, bool settled,
                            std::int64_t from, std::int64_t to) {
  Rows rows;
  std::int64_t current = -1;
  // A market line for each market, then the lines under it: while it is open one per offer (what
  // bets took of it and the liability they reserved), so a market nobody took can still be found and
  // cancelled; once settled one per bet with the banker's result on it.
  const std::string bets_sql =
      "SELECT m.id, m.market_type, m.home, m.away, m.stake, m.opened_at, m.cancelled, "
      "COALESCE(m.final_score, ''),"
      " b.id, f.choice, b.stake, b.liability, b.placed_at, COALESCE(b.returned, 0)"
      " FROM banker_markets m LEFT JOIN banker_bets b ON b.market_id = m.id"
      " LEFT JOIN banker_offers f ON f.id = b.offer_id"
      " WHERE m.account_id = ?1 AND m.status IN (?2, ?3) AND (?2 = 0 OR m.settled_at BETWEEN ?4 AND ?5)"
      " ORDER BY m.id, b.id";
  const std::string offers_sql =
      "SELECT m.id, m.market_type, m.home, m.away, m.stake, m.opened_at, m.cancelled, '',"
      " f.id, f.choice, f.taken,"
      " (SELECT CAST(COALESCE(SUM(liability), 0) AS BIGINT) FROM banker_bets WHERE offer_id = f.id),"
      " 0, 0 FROM banker_markets m JOIN banker_offers f ON f.market_id = m.id"
      " WHERE m.account_id = ?1 AND m.status IN (?2, ?3) AND CAST(?4 AS BIGINT) <= CAST(?5 AS BIGINT)"
      " ORDER BY m.id, f.id";
  auto read = each_row(
      connection, settled ? bets_sql : offers_sql,
      [&](storage::Statement& s) {
        s.bind(1, account).bind(2, settled ? 2 : 0).bind(3, settled ? 2 : 0).bind(4, from).bind(5, to);
      },
      [&](storage::Statement& s) -> Result<void> {
        const std::int64_t market = s.column_int64(0);
        const int id = whole(market);
        if (market != current) {
          current = market;
          if (!settled) {
            rows.push_back(records::to_fields(records::OpenedMarketLine{
                id, whole(s.column_int64(1)), "0", s.column_text(2), s.column_text(3),
                cents_value(s.column_int64(4)), storage::ole_from_unix(s.column_int64(5)),
                cents_value(s.column_int64(6))}));
          } else {
            rows.push_back(records::to_fields(records::SettledOpenedMarketLine{
                id, whole(s.column_int64(1)), "0", s.column_text(2), s.column_text(3), s.column_text(7),
                cents_value(s.column_int64(4)), storage::ole_from_unix(s.column_int64(5)),
                cents_value(s.column_int64(6))}));
          }
        }
        if (s.column_is_null(8)) return {};
        const int choice = whole(s.column_int64(9));
        if (!settled) {
          rows.push_back(records::to_fields(records::OpenedMarketBetLine{
              id, choice, cents_value(s.column_int64(10)), cents_value(s.column_int64(11))}));
        } else {
          rows.push_back(records::to_fields(records::SettledOpenedMarketBetLine{
              id, choice, cents_value(s.column_int64(10)), cents_value(s.column_int64(11)),
              storage::ole_from_unix(s.column_int64(12)),
              cents_value(s.column_int64(10) - s.column_int64(13)), cents_value(s.column_int64(13))}));
        }
        return {};
      });
  if (!read) return Result<Rows>::failure(read.error());
  return rows;
}

Result<int> seed_demo_markets(Connection& connection, const accounts::AuthenticatedAccount& banker,
                              std::int64_t now) {
  int opened = 0;
  // Matches some hours off, so that the bankers' hall still has them when the demo has run a while.
  const double later = storage::ole_from_unix(now + kDemoMarketLead);
  for (const int type : {kOneXTwo, kOverUnder, kCorrectScore, kBasketballTotals, kOddEven}) {
    auto matches = openable_matches(connection, type);
    if (!matches) return Result<int>::failure(matches.error());
    const auto& rows = matches.value();
    std::size_t from = 0;
    while (from < rows.size() && std::stod(rows[from][2]) < later) ++from;
    from = std::min(from, rows.size() - std::min<std::size_t>(rows.size(), 2));  // else the last two
    const std::size_t end = std::min<std::size_t>(rows.size(), from + 2);
    for (std::size_t i = from; i < end; ++i) {
      const std::int64_t openable = std::stoll(rows[i][0]);
      auto prices = suggested_prices(connection, openable);
      if (!prices) return Result<int>::failure(prices.error());
      if (prices->empty()) continue;
      // The first suggestion at its own price, which comes at the decimals the kind allows.
      const auto& first = prices->front();
      const int step = type == kCorrectScore ? 100 : 10;
      const int price = std::max(step, static_cast<int>(std::lround(std::stod(first[2]) * 1000.0)));
      OfferForm form{openable, {std::stoll(first[0])}, {price}, 1000};
      auto made = open_market(connection, banker, form, now);
      if (!made) return Result<int>::failure(made.error());
      ++opened;
    }
  }
  return opened;
}

}  // namespace brindle::server::banker
