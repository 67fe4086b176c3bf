#include "server/market/demo_generator.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "market_fixture.h"
#include "server/market/line_pricing.h"
#include "wire/gbk.h"

namespace brindle::server::market {
namespace {

using testing::MarketFixture;

std::map<MatchId, std::vector<const Line*>> lines_by_match(const MarketSnapshot& s, MarketType type) {
  std::map<MatchId, std::vector<const Line*>> by;
  for (const auto& line : s.lines) {
    if (line.type == type) by[line.match_id].push_back(&line);
  }
  return by;
}

TEST(DemoGenerator, EveryLineHasAValidCodeAndAPositivePrice) {
  MarketFixture fixture;
  const auto s = fixture.snapshot();
  ASSERT_FALSE(s.lines.empty());
  for (const auto& line : s.lines) {
    SCOPED_TRACE(line.selection_id);
    const Match* m = s.find_match(line.match_id);
    ASSERT_NE(m, nullptr);
    EXPECT_GT(line.price_milli, 0);
    const int magnitude = line.line_code < 0 ? -line.line_code : line.line_code;
    switch (line.type) {
      case MarketType::asian_handicap:
        // Goal handicaps 1..41, point handicaps any odd-or-even size; away-gives adds 1000.
        EXPECT_GE(handicap_code_of(line.line_code), 1);
        if (m->sport == Sport::football) {
          EXPECT_LE(handicap_code_of(line.line_code), 41);
        }
        EXPECT_TRUE(magnitude < 1000 || magnitude > 1000);
        break;
      case MarketType::over_under:
      case MarketType::basketball_totals:
        EXPECT_GE(magnitude, 3);  // at least half a goal
        EXPECT_EQ(line.type == MarketType::basketball_totals, m->sport == Sport::basketball);
        break;
      case MarketType::one_x_two:
        EXPECT_TRUE(line.line_code >= 1 && line.line_code <= 6);
        EXPECT_EQ(m->sport, Sport::football);
        break;
      case MarketType::correct_score:
        EXPECT_TRUE(line.line_code >= 1 && line.line_code <= 26);
        break;
      case MarketType::odd_even:
        EXPECT_TRUE(line.line_code == 1 || line.line_code == 2);
        EXPECT_EQ(m->sport, Sport::basketball);
        break;
      case MarketType::in_play_handicap:
      case MarketType::in_play_over_under:
        ADD_FAILURE() << "in-play lines appear only once a match kicks off";
        break;
    }
  }
}

TEST(DemoGenerator, TwoSidedLinesPairUpAndSumToTheirTarget) {
  MarketFixture fixture;
  const auto s = fixture.snapshot();
  for (auto type : {MarketType::asian_handicap, MarketType::over_under, MarketType::basketball_totals}) {
    for (const auto& [match, lines] : lines_by_match(s, type)) {
      ASSERT_EQ(lines.size(), 2u) << match;
      EXPECT_EQ(lines[0]->price_sum_target, lines[1]->price_sum_target);
      // The client balances the pair to target / 100; a server pair already there is left alone.
      EXPECT_EQ(lines[0]->price_milli + lines[1]->price_milli, lines[0]->price_sum_target * 10);
      EXPECT_EQ(lines[0]->line_code, -lines[1]->line_code);
      if (type == MarketType::asian_handicap) {
        EXPECT_TRUE(handicap_side_is_home(lines[0]->line_code));
        EXPECT_FALSE(handicap_side_is_home(lines[1]->line_code));
      }
    }
  }
}

TEST(DemoGenerator, FootballMatchesCarryTheWholeCorrectScoreSetAndEveryOutcomeSet) {
  MarketFixture fixture;
  const auto s = fixture.snapshot();
  const auto scores = lines_by_match(s, MarketType::correct_score);
  const auto outcomes = lines_by_match(s, MarketType::one_x_two);
  int football = 0;
  for (const auto& m : s.matches) {
    if (m.sport != Sport::football) continue;
    ++football;
    std::set<int> choices;
    for (const Line* line : scores.at(m.id)) choices.insert(line->line_code);
    EXPECT_EQ(choices.size(), 26u);
    EXPECT_EQ(*choices.begin(), 1);
    EXPECT_EQ(*choices.rbegin(), 26);
    EXPECT_EQ(outcomes.at(m.id).size(), 6u);
  }
  EXPECT_EQ(football, 48);
}

TEST(DemoGenerator, ShowsEveryCaseTheHallsDraw) {
  MarketFixture fixture;
  const auto s = fixture.snapshot();
  bool away_gives[2] = {false, false}, neutral = false, in_play_offered = false, kicked_off = false;
  std::set<int> line_kinds;
  for (const auto& m : s.matches) {
    line_kinds.insert(m.line_kind());
    neutral = neutral || m.neutral_venue;
    in_play_offered = in_play_offered || m.offers_in_play;
    kicked_off = kicked_off || m.kickoff <= MarketFixture::kNow;
    EXPECT_LT(m.kickoff, MarketFixture::kNow + 4 * 86400);
    EXPECT_NE(m.home, m.away);
    EXPECT_FALSE(wire::utf8_to_gbk(m.home).empty());
    // No team is on the pitch for two matches at once.
    for (const auto& other : s.matches) {
      if (other.id == m.id || other.kickoff >= m.ends_at || m.kickoff >= other.ends_at) continue;
      for (const auto* team : {&m.home, &m.away}) {
        EXPECT_NE(*team, other.home) << m.id << " and " << other.id;
        EXPECT_NE(*team, other.away) << m.id << " and " << other.id;
      }
    }
  }
  for (const auto& line : s.lines) {
    if (line.type == MarketType::asian_handicap && line.line_code > 1000) {
      away_gives[s.find_match(line.match_id)->sport == Sport::basketball] = true;
    }
  }
  EXPECT_TRUE(away_gives[0] && away_gives[1]);
  EXPECT_TRUE(neutral);
  EXPECT_TRUE(in_play_offered);
  EXPECT_TRUE(kicked_off);
  EXPECT_EQ(line_kinds, (std::set<int>{kFootballLineKind, kBasketballLineKind}));
}

TEST(DemoGenerator, OutrightEventsHoldAtMost44SelectionsSomeClosedSomeDisabled) {
  MarketFixture fixture;
  const auto s = fixture.snapshot();
  std::map<std::pair<MatchId, MarketType>, std::set<int>> places;
  int disabled = 0;
  for (const auto& o : s.outright_selections) {
    EXPECT_TRUE((places[{o.event_id, o.type}].insert(o.place).second)) << "place twice in one market";
    EXPECT_GT(o.price_milli, 0);
    disabled += o.disabled;
  }
  std::size_t largest = 0;
  for (const auto& [event, taken] : places) {
    largest = std::max(largest, taken.size());
    EXPECT_EQ(*taken.begin(), 1);
    EXPECT_EQ(static_cast<std::size_t>(*taken.rbegin()), taken.size()) << "places run 1..n";
  }
  EXPECT_EQ(largest, 44u);
  EXPECT_GT(disabled, 0);
  int closed = 0, market_closed = 0;
  for (const auto& e : s.events) {
    closed += e.closed;
    market_closed += e.market_closed;
  }
  EXPECT_GT(closed, 0);
  EXPECT_GT(market_closed, 0);
}

TEST(DemoGenerator, BasketballEventsAlsoOfferTotalsBandsAndOddEven) {
  MarketFixture fixture;
  const auto s = fixture.snapshot();
  int basketball_events = 0;
  for (const auto& e : s.events) {
    std::map<MarketType, std::vector<int>> prices;
    for (const auto& o : s.outright_selections) {
      if (o.event_id == e.id) prices[o.type].push_back(o.price_milli);
    }
    if (e.sport != Sport::basketball) {
      EXPECT_EQ(prices.count(MarketType::basketball_totals) + prices.count(MarketType::odd_even), 0u);
      continue;
    }
    ++basketball_events;
    EXPECT_EQ(prices[MarketType::basketball_totals].size(), 3u);
    EXPECT_EQ(prices[MarketType::odd_even].size(), 2u);
    // Whole hundredths: the pairing of totals sides on the client leaves them as sent.
    for (int p : prices[MarketType::basketball_totals]) EXPECT_EQ(p % 10, 0);
  }
  EXPECT_GT(basketball_events, 0);
}

TEST(DemoGenerator, SelectionNumbersAreUniqueAcrossLinesAndOutrights) {
  MarketFixture fixture;
  const auto s = fixture.snapshot();
  std::set<SelectionId> seen;
  for (const auto& line : s.lines) EXPECT_TRUE(seen.insert(line.selection_id).second);
  for (const auto& o : s.outright_selections) EXPECT_TRUE(seen.insert(o.selection_id).second);
  std::set<MatchId> numbers;
  for (const auto& m : s.matches) EXPECT_TRUE(numbers.insert(m.id).second);
  for (const auto& e : s.events) EXPECT_TRUE(numbers.insert(e.id).second) << "events share the match numbers";
}

TEST(DemoGenerator, TheSameSeedGivesTheSameMarketAndSeedingTwiceIsRefused) {
  MarketFixture first;
  MarketFixture second;
  const auto a = first.snapshot();
  const auto b = second.snapshot();
  ASSERT_EQ(a.lines.size(), b.lines.size());
  for (std::size_t i = 0; i < a.lines.size(); ++i) {
    EXPECT_EQ(a.lines[i].line_code, b.lines[i].line_code);
    EXPECT_EQ(a.lines[i].price_milli, b.lines[i].price_milli);
  }
  ASSERT_EQ(a.matches.size(), b.matches.size());
  for (std::size_t i = 0; i < a.matches.size(); ++i) EXPECT_EQ(a.matches[i].home, b.matches[i].home);

  auto again = seed_market(first.db(), testing::at_unix(MarketFixture::kNow), 1);
  ASSERT_FALSE(again);
  EXPECT_EQ(first.snapshot().matches.size(), a.matches.size());
}

}  // namespace
}  // namespace brindle::server::market
