#pragma once

#include <string>

namespace brindle::protocol {

// The records of the records and statement windows. Time stamps arrive as OLE dates and are kept
// as "%Y-%m-%d %H:%M:%S" texts; prices are net.

// Kinds 0 and 1: a single bet, unsettled (4054) or settled (4015).
struct SingleBetRecord {
  int serial_number = 0;
  int leg_count = 0;  // the window shows only records with 1
  double stake = 0.0;
  int fourth = 0;
  std::string bet_time;
  std::string bet_place;
  std::string text;
  int choice = 0;
  std::string league;
  std::string home_team;
  std::string away_team;
  int home_score = 0;
  int away_score = 0;
  int market_type = 0;
  int line_code = 0;
  double price = 0.0;
  int status = 0;
  // Settled form only
  std::string settlement_time;
  double win_loss = 0.0;  // positive = won
  std::string final_score;
  // Built while parsing
  std::string market_name;
  std::string selection_text;

  bool operator==(const SingleBetRecord&) const = default;
};

// Kinds 2 and 3: a bet against a banker's market, unsettled (4018) or settled (4019).
struct BankerBetRecord {
  int market_type = 0;
  std::string home_team;
  std::string away_team;
  std::string final_score;  // settled
  int line_code = 0;
  double price = 0.0;
  double stake = 0.0;
  std::string bet_time;
  std::string banker_name;
  std::string settlement_time;  // settled
  double win_loss = 0.0;        // settled
  std::string serial_number;
  int status = 0;  // settled
  std::string market_name;
  std::string choice_text;

  bool operator==(const BankerBetRecord&) const = default;
};

// Kinds 4 and 5: one bet that another user placed on a market the user opened, with its market.
struct OpenedMarketRecord {
  int open_market_number = 0;
  int market_type = 0;
  std::string home_team;
  std::string away_team;
  std::string final_score;  // settled
  double banker_stake = 0.0;
  std::string open_time;
  double cancelled_amount = 0.0;
  int line_code = 0;
  double amount1 = 0.0;
  double amount2 = 0.0;
  std::string bet_time;          // settled
  double banker_win_loss = 0.0;  // settled
  double amount3 = 0.0;          // settled
  std::string market_name;
  std::string choice_text;

  bool operator==(const OpenedMarketRecord&) const = default;
};

// Kinds 6 to 9: one leg of a parlay (4029, 4030) or an outright bet (4050, 4051) with its group.
struct GroupedBetRecord {
  int group_number = 0;  // the bet's serial number
  int leg_count = 0;
  double stake = 0.0;  // per combination
  int combination_mask = 0;
  std::string bet_time;
  std::string bet_place;
  std::string settlement_time;  // settled
  double win_loss = 0.0;        // settled
  int status = 0;               // settled
  std::string leg_text;
  int choice = 0;
  std::string league;
  std::string home_team;  // the event's name in the outright kinds
  std::string away_team;  // the selection's name in the outright kinds
  int home_score = 0;
  int away_score = 0;
  int market_type = 0;
  int line_code = 0;
  double price = 0.0;
  std::string extra_text1;  // settled
  std::string extra_text2;  // settled outright
  std::string leg_result;   // settled: the last text of the leg line
  std::string market_name;
  std::string selection_text;

  bool operator==(const GroupedBetRecord&) const = default;
};

struct StatementEntry {
  std::string time;
  int transaction_type = 0;
  double amount = 0.0;
  std::string content;  // counterpart for transfers, serial number for bets
  double balance_before = 0.0;

  bool operator==(const StatementEntry&) const = default;
};

// Status texts chosen at display time.
std::string unsettled_status_text(int status);  // "成功", "取消", "待定"
std::string settled_status_text(int status);    // "取消", "有效"

}  // namespace brindle::protocol
