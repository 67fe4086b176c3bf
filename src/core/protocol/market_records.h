#pragma once

#include <string>
#include <vector>

namespace brindle::protocol {

// The records that market-data replies become. Plain data: the halls and tickets own the lists.

struct MatchRecord {
  int match_number = 0;
  int line_kind = 0;  // 9 = basketball
  bool neutral_venue = false;
  bool in_play = false;
  std::string league;
  std::string kick_off_date;  // "%Y-%m-%d"
  std::string kick_off_time;  // "%H:%M"
  std::string second_date;
  std::string second_time;
  std::string home_team;
  std::string away_team;
  int spare = 0;  // no reply fills it
  // The venue field as sent: the outright list sends the event's closed value there (1 = closed).
  int closed_value = 0;

  bool operator==(const MatchRecord&) const = default;
};

struct OddsLine {
  int match_number = 0;
  int market_type = 0;
  int third = 0;
  int selection_number = 0;
  int line_code = 0;
  int price_sum_target = 0;  // hundredths
  int extra1 = 0;
  int extra2 = 0;
  int extra3 = 0;
  double price = 0.0;  // net

  bool operator==(const OddsLine&) const = default;
};

// One completed home/away pair of the Asian handicap hall.
struct AsianHandicapRow {
  int home_selection = 0;
  int away_selection = 0;
  int match_number = 0;
  int neutral_venue = 0;
  int line_kind = 0;
  int constant_one = 1;
  int price_sum_target = 0;
  int in_play = 0;
  bool away_gives = false;  // the away team gives the handicap
  std::string kick_off_date;
  std::string kick_off_time;
  std::string league;
  std::string home_team;
  std::string away_team;
  int size_code = 0;  // handicap size with the 1000 offset removed
  double home_price = 0.0;
  double away_price = 0.0;

  bool operator==(const AsianHandicapRow&) const = default;
};

struct OutrightEntry {
  int event_number = 0;
  int market_type = 0;
  int third = 0;
  int line_code = 0;
  double price = 0.0;
  int price_sum_target = 0;
  std::string selection_name;
  int extra1 = 0;  // first sides only
  int extra2 = 0;

  bool operator==(const OutrightEntry&) const = default;
};

struct BankerMarketRow {
  int match_number = 0;
  int offer_group_key = 0;
  int unused = 0;
  int offer_id = 0;  // what a bet against the banker names
  int choice_code = 0;
  double banker_stake = 0.0;
  double price = 0.0;  // net
  double amount_taken = 0.0;
  std::string banker_nickname;
  int currency_code = 0;
  // Copied from the match so that a row alone can be shown.
  std::string home_team;
  std::string away_team;
  std::string kick_off_date;
  std::string kick_off_time;

  bool operator==(const BankerMarketRow&) const = default;
};

// The rows of one (offer-group key, choice code) of one match.
struct BankerMarketGroup {
  int match_number = 0;
  int offer_group_key = 0;
  std::string league;
  std::string kick_off_date;
  std::string kick_off_time;
  std::string second_date;
  std::string second_time;
  std::string home_team;
  std::string away_team;
  int choice_code = 0;
  std::vector<BankerMarketRow> rows;

  bool operator==(const BankerMarketGroup&) const = default;
};

struct SuggestedPriceRow {
  int option_code = 0;
  int second = 0;
  double price = 0.0;

  bool operator==(const SuggestedPriceRow&) const = default;
};

// The fresh in-play line that the in-play ticket compares with its hall row before betting.
struct InPlayLine {
  int closed = 0;  // non-zero: closed to betting right now
  int first_selection = 0;
  int first_line_code = 0;
  double first_price = 0.0;
  int second_selection = 0;
  int second_line_code = 0;
  double second_price = 0.0;
  int price_sum_target = 0;
  int home_score = 0;
  int away_score = 0;

  bool operator==(const InPlayLine&) const = default;
};

}  // namespace brindle::protocol
