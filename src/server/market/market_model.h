#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace brindle::server::market {

// Matches and outright events share one number space, so a finished-match notice or a bet leg
// names either without ambiguity. Selection numbers likewise cover every line and every outright
// selection.
using MatchId = std::int32_t;
using SelectionId = std::int32_t;
using LeagueId = std::int32_t;

enum class Sport : int { football = 0, basketball = 1 };

// The match line's second field: 9 marks basketball (point handicaps), anything else football.
inline constexpr int kFootballLineKind = 1;
inline constexpr int kBasketballLineKind = 9;
inline constexpr int line_kind_of(Sport sport) {
  return sport == Sport::basketball ? kBasketballLineKind : kFootballLineKind;
}

// The server's number for a market kind, as every Odds line and market-data request carries it.
enum class MarketType : int {
  asian_handicap = 0,     // 让球(分)盘: goal lines for football, point lines for basketball
  one_x_two = 1,          // 胜平负盘: line code = outcome set 1..6
  correct_score = 2,      // 比分盘: line code = choice 1..26; outright selections use it too
  over_under = 3,         // 大小球盘: totals code, positive = over
  basketball_totals = 6,  // 篮球大小分
  odd_even = 7,           // 篮球单双数: line code 1 odd, 2 even
  in_play_handicap = 8,   // 走地亚洲盘
  in_play_over_under = 9  // 走地大小球
};

// The market-type field of 4027 that asks for the parlay list.
inline constexpr int kParlayListCode = -1;

// True for the kinds whose two sides are priced as a pair against a price-sum target.
inline constexpr bool is_two_sided(MarketType type) {
  return type == MarketType::asian_handicap || type == MarketType::over_under ||
         type == MarketType::basketball_totals || type == MarketType::in_play_handicap ||
         type == MarketType::in_play_over_under;
}
inline constexpr bool is_in_play(MarketType type) {
  return type == MarketType::in_play_handicap || type == MarketType::in_play_over_under;
}

enum class MatchStatus : int { scheduled = 0, in_play = 1, finished = 2 };

// The Odds line's third field. The in-play hall hides lines at 2 or above.
enum class LineStatus : int { open = 0, suspended = 2, closed = 3 };

struct Score {
  int home = 0;
  int away = 0;
  friend bool operator==(const Score&, const Score&) = default;
};

struct League {
  LeagueId id = 0;
  std::string name;
  Sport sport = Sport::football;
};

struct Match {
  MatchId id = 0;
  LeagueId league_id = 0;
  std::string league_name;
  Sport sport = Sport::football;
  std::string home;
  std::string away;
  std::int64_t kickoff = 0;  // Unix seconds
  std::int64_t ends_at = 0;  // Unix seconds: kick-off plus the whole match with its breaks
  bool neutral_venue = false;
  bool offers_in_play = false;  // the halls mark such a match "(走地)"
  bool in_parlay_list = false;
  MatchStatus status = MatchStatus::scheduled;
  int minute = 0;                  // playing minute while in play
  Score score;                     // the running score; 0:0 before kick-off
  std::optional<Score> result;     // the final score once finished
  int handicap_delay_seconds = 0;  // acceptance delay of in-play handicap bets
  int totals_delay_seconds = 0;    // acceptance delay of in-play over/under bets

  int line_kind() const { return line_kind_of(sport); }
};

// One priced side of a line: what the wire calls an Odds line.
//
// Line codes: Asian handicap sides carry the handicap code (goals: 4·v + 1, points: 2·p + 1),
// positive for the side that gives, negative for the side that receives, with 1000 added to the
// magnitude when the away team gives. Totals carry 4·t + 1, positive over, negative under.
// 1X2 carries the outcome set, correct score the choice, odd/even 1 or 2.
struct Line {
  SelectionId selection_id = 0;
  MatchId match_id = 0;
  MarketType type = MarketType::asian_handicap;
  int line_code = 0;
  int price_milli = 0;       // net price in thousandths (0.925 is 925)
  int price_sum_target = 0;  // hundredths; both sides of a two-sided line carry the same target
  LineStatus status = LineStatus::open;
};

struct OutrightEvent {
  MatchId id = 0;
  std::string competition;  // shown where a match shows its league
  std::string name;         // shown where a match shows its home team
  Sport sport = Sport::football;
  std::int64_t decided_at = 0;  // Unix seconds: betting closes and the winner is known
  bool closed = false;          // the event takes no bets at all
  bool market_closed = false;   // its selections' market is closed (the entries' third integer)
  MatchStatus status = MatchStatus::scheduled;
  std::optional<int> winning_place;  // line code of the winning selection once decided

  int line_kind() const { return line_kind_of(sport); }
};

struct OutrightSelection {
  SelectionId selection_id = 0;
  MatchId event_id = 0;
  MarketType type = MarketType::correct_score;  // 2 on the 总冠军/指数 page, 7 for odd/even indices
  int place = 0;                                // the entry's line code, 1..44
  std::string name;
  int price_milli = 0;
  bool disabled = false;
};

}  // namespace brindle::server::market
