#include "server/market/demo_generator.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <set>
#include <string>
#include <vector>

#include "server/market/demo_names.h"
#include "server/market/line_pricing.h"
#include "server/market/market_store.h"
#include "server/market/match_script.h"

namespace brindle::server::market {
namespace {

using storage::Connection;

// A small generator of our own, so that a seed gives the same market on every standard library.
class DemoRandom {
 public:
  explicit DemoRandom(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
  double between(double low, double high) { return low + (high - low) * unit(); }
  int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
  bool chance(double p) { return unit() < p; }
  int poisson(double lambda) {
    const double limit = std::exp(-lambda);
    int k = 0;
    for (double p = unit(); p > limit; p *= unit()) ++k;
    return k;
  }

 private:
  std::uint64_t state_;
};

constexpr int kTeamsPerLeague = 10;
// Draws for a pairing whose teams are both free; past them the last draw stands.
constexpr int kDrawAttempts = 64;
constexpr std::array kTargets{188, 190, 192};

struct PlannedLine {
  MarketType type;
  int slot;
  int code;
  int price;
  int target;
};

MatchScript football_script(DemoRandom& random, double margin, double total) {
  const double home_rate = std::max(0.2, (total + margin) / 2);
  const double away_rate = std::max(0.2, (total - margin) / 2);
  std::array<ScoringMinute, 91> minutes{};
  const auto add = [&](int goals, bool home) {
    for (int i = 0; i < goals; ++i) {
      auto& at = minutes[static_cast<std::size_t>(1 + random.below(90))];
      (home ? at.home : at.away) += 1;
    }
  };
  add(random.poisson(home_rate), true);
  add(random.poisson(away_rate), false);
  MatchScript script;
  for (int m = 1; m <= 90; ++m) {
    const auto& at = minutes[static_cast<std::size_t>(m)];
    if (at.home + at.away > 0) script.push_back({m, at.home, at.away});
  }
  return script;
}

MatchScript basketball_script(DemoRandom& random, double margin, double total) {
  int home = static_cast<int>(std::lround((total + margin) / 2 + random.between(-12, 12)));
  int away = static_cast<int>(std::lround((total - margin) / 2 + random.between(-12, 12)));
  if (home == away) ++home;  // overtime decides a level game
  const int minutes = shape_of(Sport::basketball).playing_minutes();
  MatchScript script;
  int had_home = 0, had_away = 0;
  for (int m = 1; m <= minutes; ++m) {
    const double share = static_cast<double>(m) / minutes;
    const int jitter = m == minutes ? 0 : random.below(5) - 2;
    const int want_home = std::clamp(static_cast<int>(std::lround(home * share)) + jitter, had_home, home);
    const int want_away = std::clamp(static_cast<int>(std::lround(away * share)) - jitter, had_away, away);
    if (want_home > had_home || want_away > had_away) {
      script.push_back({m, want_home - had_home, want_away - had_away});
    }
    had_home = want_home;
    had_away = want_away;
  }
  return script;
}

std::vector<PlannedLine> pre_match_lines(DemoRandom& random, Sport sport, double margin, double total) {
  std::vector<PlannedLine> lines;
  const auto pair = [&](MarketType type, const TwoSidedQuote& q) {
    lines.push_back({type, 0, q.first_code, q.first_price, q.target});
    lines.push_back({type, 1, q.second_code, q.second_price, q.target});
  };
  const int target = kTargets[static_cast<std::size_t>(random.below(static_cast<int>(kTargets.size())))];
  pair(MarketType::asian_handicap, handicap_quote(sport, margin, target));
  if (sport == Sport::football) {
    pair(MarketType::over_under, totals_quote(sport, total, target));
    const auto outcomes = one_x_two_prices(margin, total);
    for (int set = 1; set <= 6; ++set) {
      lines.push_back({MarketType::one_x_two, set, set, outcomes[static_cast<std::size_t>(set - 1)], 0});
    }
    const auto scores = correct_score_prices(margin, total);
    for (int choice = 1; choice <= 26; ++choice) {
      lines.push_back(
          {MarketType::correct_score, choice, choice, scores[static_cast<std::size_t>(choice - 1)], 0});
    }
  } else {
    pair(MarketType::basketball_totals, totals_quote(sport, total, target));
    const int odd = 880 + random.below(41);
    lines.push_back({MarketType::odd_even, 1, 1, odd, 0});
    lines.push_back({MarketType::odd_even, 2, 2, 1800 - odd, 0});
  }
  return lines;
}

Result<void> run(Connection& connection, std::string_view sql, std::initializer_list<std::int64_t> values) {
  auto statement = connection.prepare(sql);
  if (!statement) return Result<void>::failure(statement.error());
  int index = 1;
  for (auto value : values) statement->bind(index++, value);
  return statement->run();
}

class Seeder {
 public:
  Seeder(Connection& connection, std::int64_t now, std::uint64_t seed, const DemoOptions& options)
      : connection_(connection), now_(now), random_(seed), options_(options) {}

  Result<SeedReport> seed() {
    auto count = connection_.prepare("SELECT COUNT(*) FROM market_matches");
    if (!count) return Result<SeedReport>::failure(count.error());
    auto row = count->step();
    if (!row) return Result<SeedReport>::failure(row.error());
    if (count->column_int64(0) > 0) return Result<SeedReport>::failure("the market already holds matches");

    if (auto r = add_leagues(); !r) return Result<SeedReport>::failure(r.error());
    if (auto r = add_matches(Sport::football, options_.football_matches); !r)
      return Result<SeedReport>::failure(r.error());
    if (auto r = add_matches(Sport::basketball, options_.basketball_matches); !r) {
      return Result<SeedReport>::failure(r.error());
    }
    if (auto r = add_events(); !r) return Result<SeedReport>::failure(r.error());
    if (auto r = bump_market_version(connection_); !r) return Result<SeedReport>::failure(r.error());
    return report_;
  }

 private:
  Result<void> add_leagues() {
    const auto leagues = demo_leagues();
    for (std::size_t i = 0; i < leagues.size(); ++i) {
      auto statement =
          connection_.prepare("INSERT INTO market_leagues (id, name, sport) VALUES (?1, ?2, ?3)");
      if (!statement) return Result<void>::failure(statement.error());
      statement->bind(1, static_cast<std::int64_t>(i + 1))
          .bind(2, leagues[i].name)
          .bind(3, static_cast<int>(leagues[i].sport));
      if (auto r = statement->run(); !r) return r;
      ++report_.leagues;
    }
    return {};
  }

  std::vector<std::size_t> leagues_of(Sport sport) const {
    std::vector<std::size_t> found;
    const auto leagues = demo_leagues();
    for (std::size_t i = 0; i < leagues.size(); ++i) {
      if (leagues[i].sport == sport) found.push_back(i);
    }
    return found;
  }

  Result<void> add_matches(Sport sport, int count) {
    const auto leagues = leagues_of(sport);
    if (leagues.empty()) return {};
    const auto demo = demo_leagues();
    for (int n = 0; n < count; ++n) {
      const std::size_t league = leagues[static_cast<std::size_t>(n) % leagues.size()];
      const auto teams = demo_team_names(league, kTeamsPerLeague);
      const std::int64_t length = std::int64_t{shape_of(sport).wall_minutes()} * 60;
      // The first matches of each sport make sure the demo shows every case at once: one under
      // way, one where the away side gives, one at a neutral ground. No team plays twice at once:
      // a pairing that would is drawn again, with its kick-off.
      int home_at = 0, away_at = 0;
      std::int64_t kickoff = 0;
      for (int attempt = 0; attempt < kDrawAttempts; ++attempt) {
        home_at = random_.below(kTeamsPerLeague);
        away_at = (home_at + 1 + random_.below(kTeamsPerLeague - 1)) % kTeamsPerLeague;
        if (n == 0) {
          kickoff = now_ - 20 * 60;
        } else {
          const int spread = std::max(1, options_.days * 24 * 4);
          kickoff = (now_ / 900 + 2 + random_.below(spread)) * 900;
        }
        if (!busy(league, home_at, kickoff, length) && !busy(league, away_at, kickoff, length)) break;
      }
      playing_.push_back({league, home_at, kickoff, kickoff + length});
      playing_.push_back({league, away_at, kickoff, kickoff + length});

      const bool football = sport == Sport::football;
      double margin = football ? random_.between(-1.6, 2.0) : random_.between(-14, 14);
      const double total = football ? random_.between(2.0, 3.4) : random_.between(150, 215);
      if (n == 1) margin = -std::abs(margin) - (football ? 0.5 : 3.0);
      const bool neutral = demo[league].neutral_venues || n == 2 || random_.chance(0.06);
      const bool in_play = n == 0 || random_.chance(0.7);
      const bool parlay = random_.chance(0.85);
      const int delays[] = {0, 3, 5, 8};
      const int handicap_delay = delays[random_.below(4)];
      const int totals_delay = delays[random_.below(4)];
      const MatchScript script =
          football ? football_script(random_, margin, total) : basketball_script(random_, margin, total);

      auto id = allocate_match_id(connection_);
      if (!id) return Result<void>::failure(id.error());
      auto statement = connection_.prepare(
          "INSERT INTO market_matches (id, league_id, home, away, kickoff, ends_at, neutral, offers_in_play,"
          " in_parlay, script, supremacy, expected_total, handicap_delay, totals_delay)"
          " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14)");
      if (!statement) return Result<void>::failure(statement.error());
      statement->bind(1, id.value())
          .bind(2, static_cast<std::int64_t>(league + 1))
          .bind(3, teams[static_cast<std::size_t>(home_at)])
          .bind(4, teams[static_cast<std::size_t>(away_at)])
          .bind(5, kickoff)
          .bind(6, kickoff + length)
          .bind(7, neutral ? 1 : 0)
          .bind(8, in_play ? 1 : 0)
          .bind(9, parlay ? 1 : 0)
          .bind(10, script_text(script))
          .bind(11, static_cast<std::int64_t>(std::lround(margin * 100)))
          .bind(12, static_cast<std::int64_t>(std::lround(total * 100)))
          .bind(13, handicap_delay)
          .bind(14, totals_delay);
      if (auto r = statement->run(); !r) return r;
      ++report_.matches;

      for (const auto& line : pre_match_lines(random_, sport, margin, total)) {
        auto selection = allocate_selection_id(connection_);
        if (!selection) return Result<void>::failure(selection.error());
        auto inserted = run(connection_,
                            "INSERT INTO market_lines (selection_id, match_id, market_type, slot, line_code,"
                            " price_milli, price_sum_target) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)",
                            {selection.value(), id.value(), static_cast<int>(line.type), line.slot, line.code,
                             line.price, line.target});
        if (!inserted) return inserted;
        ++report_.lines;
      }
    }
    return {};
  }

  // A team's match from its kick-off to its end, with an hour's rest after it.
  struct Playing {
    std::size_t league;
    int team;
    std::int64_t from, to;
  };

  bool busy(std::size_t league, int team, std::int64_t kickoff, std::int64_t length) const {
    constexpr std::int64_t kRest = 3600;
    return std::any_of(playing_.begin(), playing_.end(), [&](const Playing& p) {
      return p.league == league && p.team == team && kickoff < p.to + kRest &&
             p.from < kickoff + length + kRest;
    });
  }

  struct PlannedEvent {
    std::string competition;
    std::string name;
    Sport sport;
    std::vector<std::string> selections;
    std::int64_t decided_at;
    bool closed = false;
    bool market_closed = false;
  };

  std::vector<PlannedEvent> plan_events() {
    std::vector<PlannedEvent> events;
    const auto leagues = demo_leagues();
    for (std::size_t i = 0; i < leagues.size(); ++i) {
      if (!leagues[i].has_champion_event) continue;
      const bool cup = leagues[i].name == std::string_view("亚陆冠军杯");
      // The cup offers the most a ticket can show: 44 selections.
      const std::size_t size = cup ? 44 : kTeamsPerLeague;
      const std::string name = leagues[i].sport == Sport::basketball ? "本赛季总冠军" : "本赛季冠军";
      events.push_back({std::string(leagues[i].name), name, leagues[i].sport, demo_team_names(i, size),
                        now_ + (10 + random_.below(20)) * 86400});
    }
    // Bands of an index, decided within a day so the demo can settle an outright soon.
    events.push_back({"华夏足球超级联赛",
                      "本轮总进球数指数",
                      Sport::football,
                      {"0至15球", "16至20球", "21至25球", "26至30球", "31球或以上"},
                      now_ + 86400});
    if (events.size() > 2) events[2].market_closed = true;
    if (events.size() > 1) events[1].closed = true;
    return events;
  }

  Result<void> add_events() {
    for (auto& planned : plan_events()) {
      const std::size_t n = planned.selections.size();
      std::vector<double> weights(n);
      for (auto& w : weights) w = random_.between(0.3, 3.0);
      const double sum = std::accumulate(weights.begin(), weights.end(), 0.0);
      double pick = random_.unit() * sum;
      int planned_place = static_cast<int>(n);
      for (std::size_t i = 0; i < n; ++i) {
        pick -= weights[i];
        if (pick <= 0) {
          planned_place = static_cast<int>(i + 1);
          break;
        }
      }

      auto id = allocate_match_id(connection_);
      if (!id) return Result<void>::failure(id.error());
      auto statement = connection_.prepare(
          "INSERT INTO market_events (id, competition, name, sport, decided_at, closed, market_closed, "
          "planned_place)"
          " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
      if (!statement) return Result<void>::failure(statement.error());
      statement->bind(1, id.value())
          .bind(2, planned.competition)
          .bind(3, planned.name)
          .bind(4, static_cast<int>(planned.sport))
          .bind(5, planned.decided_at)
          .bind(6, planned.closed ? 1 : 0)
          .bind(7, planned.market_closed ? 1 : 0)
          .bind(8, planned_place);
      if (auto r = statement->run(); !r) return r;
      ++report_.events;

      for (std::size_t i = 0; i < n; ++i) {
        const double probability = weights[i] / sum;
        const int price =
            std::clamp(static_cast<int>(std::lround(1000.0 / (probability * 1.25) - 1000.0)), 50, 500'000);
        // A few selections are shown but take no bets (an injured favourite, a withdrawn team).
        const bool disabled = n > 3 && i % 7 == 3 && static_cast<int>(i + 1) != planned_place;
        if (auto r = insert_selection(id.value(), MarketType::correct_score, static_cast<int>(i + 1),
                                      planned.selections[i], price, disabled);
            !r) {
          return r;
        }
      }
      if (planned.sport == Sport::basketball) {
        if (auto r = add_basketball_side_markets(id.value()); !r) return r;
      }
    }
    return {};
  }

  Result<void> insert_selection(MatchId event, MarketType type, int place, const std::string& name, int price,
                                bool disabled) {
    auto selection = allocate_selection_id(connection_);
    if (!selection) return Result<void>::failure(selection.error());
    auto inserted = connection_.prepare(
        "INSERT INTO market_outright_selections (selection_id, event_id, market_type, place, name, "
        "price_milli, disabled) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)");
    if (!inserted) return Result<void>::failure(inserted.error());
    inserted->bind(1, selection.value())
        .bind(2, event)
        .bind(3, static_cast<int>(type))
        .bind(4, place)
        .bind(5, name)
        .bind(6, price)
        .bind(7, disabled ? 1 : 0);
    if (auto r = inserted->run(); !r) return r;
    ++report_.outright_selections;
    return {};
  }

  // A basketball season also offers bands of the final's total points and their odd/even. Band
  // prices are whole hundredths so that the client's pairing of totals sides leaves them as sent
  // (reply_rows).
  Result<void> add_basketball_side_markets(MatchId event) {
    static constexpr const char* kBands[] = {"总决赛总分199分或以下", "总决赛总分200至219分",
                                             "总决赛总分220分或以上"};
    // Fixed prices: the demo's random sequence stays what the rest of the market was built from.
    static constexpr int kBandPrices[] = {2400, 1350, 1900};
    for (int place = 1; place <= 3; ++place) {
      if (auto r = insert_selection(event, MarketType::basketball_totals, place, kBands[place - 1],
                                    kBandPrices[place - 1], false);
          !r) {
        return r;
      }
    }
    if (auto r = insert_selection(event, MarketType::odd_even, 1, "总决赛总分单数", 900, false); !r) return r;
    return insert_selection(event, MarketType::odd_even, 2, "总决赛总分双数", 900, false);
  }

  Connection& connection_;
  std::int64_t now_;
  DemoRandom random_;
  DemoOptions options_;
  std::vector<Playing> playing_;
  SeedReport report_;
};

}  // namespace

Result<SeedReport> seed_market(storage::Database& db, std::chrono::system_clock::time_point now,
                               std::uint64_t seed) {
  return seed_market(db, now, seed, DemoOptions{});
}

Result<SeedReport> seed_market(storage::Database& db, std::chrono::system_clock::time_point now,
                               std::uint64_t seed, const DemoOptions& options) {
  if (options.football_matches < 0 || options.basketball_matches < 0 || options.days < 1) {
    return Result<SeedReport>::failure("demo options out of range");
  }
  const std::int64_t unix_now =
      std::chrono::duration_cast<std::chrono::seconds>(now.time_since_epoch()).count();
  return db.transaction([&](Connection& connection) -> Result<SeedReport> {
    // The demo's times are on the market clock, which may already run ahead of real time.
    auto offset = read_clock_offset(connection);
    if (!offset) return Result<SeedReport>::failure(offset.error());
    return Seeder(connection, unix_now + offset.value(), seed, options).seed();
  });
}

std::string seed_report_text(const SeedReport& report) {
  return "market: " + std::to_string(report.leagues) + " leagues, " + std::to_string(report.matches) +
         " matches, " + std::to_string(report.lines) + " lines, " + std::to_string(report.events) +
         " outright events with " + std::to_string(report.outright_selections) + " selections";
}

}  // namespace brindle::server::market
