#pragma once

#include <string>

#include "core/ports/trend_point.h"

namespace brindle::protocol {

// The records of the match analysis, odds trend and results requests.

// A past match of one team.
struct HistoryItem {
  std::string time_text1;  // shown joined with time_text2 by one blank
  std::string time_text2;
  std::string opponent;
  int home_flag = 0;  // the team played at home when >= 1
  int team_goals = 0;
  int opponent_goals = 0;  // -1: the match did not count
  int handicap_code = 0;
  int received_flag = 0;
  int result_code = 0;
  double odds = 0.0;  // below 0.5: none

  bool operator==(const HistoryItem&) const = default;
};

struct HeadToHeadItem {
  std::string date_time;  // "%Y-%m-%d %H:%M:%S"
  std::string home_team;
  std::string away_team;
  int home_goals = 0;
  int away_goals = 0;
  int handicap_code = 0;
  int received_flag = 0;
  int result_code = 0;
  double odds = 0.0;

  bool operator==(const HeadToHeadItem&) const = default;
};

// A point of the odds trend; defined with the ports because the trend window's port takes it.
using ports::TrendPoint;

struct ResultItem {
  std::string league;  // or the event's name
  std::string home_team;
  std::string away_team;
  int home_goals = 0;
  int away_goals = 0;  // -1: the match did not count
  std::string date_time;
  int handicap_code = 0;
  int receive_flag = 0;
  int market_kind = 0;
  std::string result_text;

  bool operator==(const ResultItem&) const = default;
};

}  // namespace brindle::protocol
