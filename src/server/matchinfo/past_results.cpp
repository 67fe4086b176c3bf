#include "server/matchinfo/past_results.h"

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "server/market/line_pricing.h"
#include "server/market/market_store.h"

namespace brindle::server::matchinfo {
namespace {

using storage::Connection;

constexpr int kRandomPerLeague = 24;
constexpr std::int64_t kDay = 86400;
constexpr int kHistoryDays = 60;
constexpr int kEarlierPoints = 9;
constexpr int kPriceTarget = 190;

struct Fixture {
  std::int64_t league = 0;
  int sport = 0;
  std::string home;
  std::string away;
};

class Seeder {
 public:
  Seeder(Connection& connection, std::int64_t now, std::uint64_t seed)
      : connection_(connection), now_(now), random_(seed) {}

  Result<PastResultsReport> run() {
    auto fixtures = coming_fixtures();
    if (!fixtures) return Result<PastResultsReport>::failure(fixtures.error());
    std::map<std::int64_t, std::vector<std::string>> teams;
    std::map<std::int64_t, int> sports;
    for (const auto& f : fixtures.value()) {
      for (const auto* name : {&f.home, &f.away}) {
        auto& list = teams[f.league];
        if (std::find(list.begin(), list.end(), *name) == list.end()) list.push_back(*name);
      }
      sports[f.league] = f.sport;
    }
    // Each coming pair met before, the other way round.
    for (const auto& f : fixtures.value()) {
      if (auto r = add_match(f.league, f.sport, f.away, f.home); !r)
        return Result<PastResultsReport>::failure(r.error());
    }
    for (const auto& [league, names] : teams) {
      if (names.size() < 2) continue;
      for (int n = 0; n < kRandomPerLeague; ++n) {
        const auto home = pick(names.size());
        auto away = pick(names.size() - 1);
        if (away >= home) ++away;
        if (auto r = add_match(league, sports[league], names[home], names[away]); !r)
          return Result<PastResultsReport>::failure(r.error());
      }
    }
    if (auto r = add_earlier_prices(); !r) return Result<PastResultsReport>::failure(r.error());
    if (auto r = market::bump_market_version(connection_); !r)
      return Result<PastResultsReport>::failure(r.error());
    return report_;
  }

 private:
  std::size_t pick(std::size_t count) {
    return std::uniform_int_distribution<std::size_t>(0, count - 1)(random_);
  }
  int between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

  Result<std::vector<Fixture>> coming_fixtures() {
    using R = Result<std::vector<Fixture>>;
    auto s = connection_.prepare(
        "SELECT m.league_id, l.sport, m.home, m.away FROM market_matches m JOIN market_leagues l ON l.id = "
        "m.league_id WHERE m.status < 2 ORDER BY m.kickoff, m.id");
    if (!s) return R::failure(s.error());
    std::vector<Fixture> out;
    for (;;) {
      auto row = s->step();
      if (!row) return R::failure(row.error());
      if (!row.value()) break;
      out.push_back(
          {s->column_int64(0), static_cast<int>(s->column_int64(1)), s->column_text(2), s->column_text(3)});
    }
    return out;
  }

  Result<void> run_sql(std::string_view sql, std::initializer_list<std::int64_t> values) {
    auto s = connection_.prepare(sql);
    if (!s) return Result<void>::failure(s.error());
    int index = 1;
    for (auto v : values) s->bind(index++, v);
    return s->run();
  }

  // A finished match some days back: a line from a made-up strength difference, a score around it.
  Result<void> add_match(std::int64_t league, int sport, const std::string& home, const std::string& away) {
    const bool basketball = sport == static_cast<int>(market::Sport::basketball);
    const double margin = basketball ? between(-12, 12) : between(-6, 8) / 4.0;
    const auto quote = market::handicap_quote(
        basketball ? market::Sport::basketball : market::Sport::football, margin, kPriceTarget);
    int home_goals = basketball ? between(80, 115) : between(0, 3);
    int away_goals = basketball ? between(80, 115) : between(0, 3);
    if (margin > 0 && home_goals < away_goals && between(0, 1) == 1) std::swap(home_goals, away_goals);
    const std::int64_t kickoff = (now_ - between(1, kHistoryDays) * kDay) / 900 * 900;
    const std::int64_t ends = kickoff + (basketball ? 150 : 115) * 60;

    auto id = market::allocate_match_id(connection_);
    if (!id) return Result<void>::failure(id.error());
    auto s = connection_.prepare(
        "INSERT INTO market_matches (id, league_id, home, away, kickoff, ends_at, neutral, offers_in_play,"
        " in_parlay, status, score_home, score_away, result_home, result_away, decided_at, notice_delivered,"
        " script, supremacy, expected_total, handicap_delay, totals_delay)"
        " VALUES (?1, ?2, ?3, ?4, ?5, ?6, 0, 0, 0, 2, ?7, ?8, ?7, ?8, ?6, 1, '', 0, 0, 0, 0)");
    if (!s) return Result<void>::failure(s.error());
    s->bind(1, id.value()).bind(2, league).bind(3, home).bind(4, away).bind(5, kickoff).bind(6, ends);
    s->bind(7, home_goals).bind(8, away_goals);
    if (auto r = s->run(); !r) return r;
    for (const auto& [slot, code, price] : {std::tuple{0, quote.first_code, quote.first_price},
                                            std::tuple{1, quote.second_code, quote.second_price}}) {
      auto selection = market::allocate_selection_id(connection_);
      if (!selection) return Result<void>::failure(selection.error());
      auto r = run_sql(
          "INSERT INTO market_lines (selection_id, match_id, market_type, slot, line_code, price_milli,"
          " price_sum_target, status) VALUES (?1, ?2, 0, ?3, ?4, ?5, ?6, 3)",
          {selection.value(), id.value(), slot, code, price, quote.target});
      if (!r) return r;
    }
    ++report_.matches;
    return {};
  }

  // The hours before `now` on each coming match's pre-match handicap: both sides drift together,
  // their prices still adding up to the line's target.
  Result<void> add_earlier_prices() {
    auto s = connection_.prepare(
        "SELECT h.match_id, h.line_code, h.price_milli, a.line_code, a.price_milli FROM market_lines h"
        " JOIN market_lines a ON a.match_id = h.match_id AND a.market_type = 0 AND a.slot = 1"
        " JOIN market_matches m ON m.id = h.match_id"
        " WHERE h.market_type = 0 AND h.slot = 0 AND m.status = 0");
    if (!s) return Result<void>::failure(s.error());
    struct Pair {
      std::int64_t match, first_code, first_price, second_code, second_price;
    };
    std::vector<Pair> pairs;
    for (;;) {
      auto row = s->step();
      if (!row) return Result<void>::failure(row.error());
      if (!row.value()) break;
      pairs.push_back({s->column_int64(0), s->column_int64(1), s->column_int64(2), s->column_int64(3),
                       s->column_int64(4)});
    }
    for (const auto& p : pairs) {
      const std::int64_t sum = p.first_price + p.second_price;
      std::int64_t price = p.first_price;
      for (int i = kEarlierPoints; i >= 1; --i) {
        price = std::clamp<std::int64_t>(price + between(-3, 3) * 5, sum / 2 - 150, sum / 2 + 150);
        const std::int64_t at = now_ - i * 2 * 3600;
        for (const auto& [slot, code, milli] :
             {std::tuple{0, p.first_code, price}, std::tuple{1, p.second_code, sum - price}}) {
          auto r = run_sql(
              "INSERT INTO matchinfo_line_history (match_id, market_type, slot, line_code, price_milli, at)"
              " VALUES (?1, 0, ?2, ?3, ?4, ?5)",
              {p.match, slot, code, milli, at});
          if (!r) return r;
          ++report_.line_points;
        }
      }
    }
    return {};
  }

  Connection& connection_;
  std::int64_t now_;
  std::mt19937_64 random_;
  PastResultsReport report_;
};

}  // namespace

Result<PastResultsReport> seed_past_results(storage::Database& db, std::int64_t now, std::uint64_t seed) {
  return db.transaction([&](Connection& connection) { return Seeder(connection, now, seed).run(); });
}

}  // namespace brindle::server::matchinfo
