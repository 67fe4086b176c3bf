#pragma once

#include <string>
#include <string_view>
#include <tuple>

#include "wire/records/record.h"

namespace brindle::records {

// The match information replies' lines: a team's past matches, the meetings of two teams, the odds
// trend and the results.

// A past match of one team (4023, 4024): the kick-off as a date text and a time text, then the
// team's goals before the opponent's.
struct HistoryLine {
  std::string time_text1;
  std::string time_text2;
  std::string opponent;
  int home_flag = 0;
  int team_goals = 0;
  int opponent_goals = 0;
  int handicap_code = 0;
  int received_flag = 0;
  int result_code = 0;
  double odds = 0.0;

  bool operator==(const HistoryLine&) const = default;
};

// A meeting of the two teams (4026).
struct HeadToHeadLine {
  double date_time = 0.0;
  std::string home_team;
  std::string away_team;
  int home_goals = 0;
  int away_goals = 0;
  int handicap_code = 0;
  int received_flag = 0;
  int result_code = 0;
  double odds = 0.0;

  bool operator==(const HeadToHeadLine&) const = default;
};

// A point of the odds trend (4022).
struct TrendPointLine {
  double time = 0.0;
  int handicap_code = 0;
  double price = 0.0;
  int away_gives = 0;

  bool operator==(const TrendPointLine&) const = default;
};

// A match result or fixture (4025), or a decided outright event (4040): the event's competition
// and name stand for league and home team, its winner for the result text.
struct ResultLine {
  std::string league;
  std::string home_team;
  std::string away_team;
  int home_goals = 0;  // -1: none
  int away_goals = 0;
  double date_time = 0.0;
  int handicap_code = 0;
  int receive_flag = 0;
  int market_kind = 0;
  std::string result_text;

  bool operator==(const ResultLine&) const = default;
};

template <>
struct Schema<HistoryLine> {
  using R = HistoryLine;
  static constexpr std::string_view name = "history";
  static constexpr auto fields = std::make_tuple(
      text("time_text1", &R::time_text1), text("time_text2", &R::time_text2), text("opponent", &R::opponent),
      integer("home_flag", &R::home_flag), integer("team_goals", &R::team_goals),
      integer("opponent_goals", &R::opponent_goals), integer("handicap_code", &R::handicap_code),
      integer("received_flag", &R::received_flag), integer("result_code", &R::result_code),
      decimal("odds", &R::odds, 3));
};

template <>
struct Schema<HeadToHeadLine> {
  using R = HeadToHeadLine;
  static constexpr std::string_view name = "head_to_head";
  static constexpr auto fields =
      std::make_tuple(ole_date("date_time", &R::date_time), text("home_team", &R::home_team),
                      text("away_team", &R::away_team), integer("home_goals", &R::home_goals),
                      integer("away_goals", &R::away_goals), integer("handicap_code", &R::handicap_code),
                      integer("received_flag", &R::received_flag), integer("result_code", &R::result_code),
                      decimal("odds", &R::odds, 3));
};

template <>
struct Schema<TrendPointLine> {
  using R = TrendPointLine;
  static constexpr std::string_view name = "trend_point";
  static constexpr auto fields =
      std::make_tuple(ole_date("time", &R::time), integer("handicap_code", &R::handicap_code),
                      decimal("price", &R::price, 3), integer("away_gives", &R::away_gives));
};

template <>
struct Schema<ResultLine> {
  using R = ResultLine;
  static constexpr std::string_view name = "result";
  static constexpr auto fields =
      std::make_tuple(text("league", &R::league), text("home_team", &R::home_team),
                      text("away_team", &R::away_team), integer("home_goals", &R::home_goals),
                      integer("away_goals", &R::away_goals), ole_date("date_time", &R::date_time),
                      integer("handicap_code", &R::handicap_code), integer("receive_flag", &R::receive_flag),
                      integer("market_kind", &R::market_kind), text("result_text", &R::result_text));
};

}  // namespace brindle::records
