#pragma once

#include <string>
#include <vector>

#include "core/ports/list_output_port.h"
#include "core/protocol/bet_records.h"
#include "core/protocol/records_queries.h"

namespace brindle::accounts {

// What the statement window makes of the statement entries: one row per entry and three summary
// boxes. The same list is printed, exported and written by `brindle-cli export statement`.

// The transaction's name; it depends on the sign (0 counts as positive). Unknown types have none.
std::string statement_type_name(int type, double amount);

// Bet results (2, 6–19 except 8, 25, 26, 50); every other type is an account movement.
bool is_statement_bet_type(int type);

// The eleven running sums behind the summary boxes.
struct StatementTotals {
  double buy_in = 0.0;
  double withdrawal = 0.0;
  double transfer_in = 0.0;
  double transfer_out = 0.0;
  double a_win = 0.0;  // types 6–13 and 50
  double a_loss = 0.0;
  double b_win = 0.0;  // the other bet types
  double b_loss = 0.0;
  double charges = 0.0;
  double rebate = 0.0;
  double credit = 0.0;

  void add(const protocol::StatementEntry& entry);
};

// The row's cells: 日期, 交易类型, 彩金, 本期结存, 内容.
std::vector<std::string> statement_row(const protocol::StatementEntry& entry);

// The three summary boxes, line breaks kept.
std::vector<std::string> statement_summary(const StatementTotals& totals);

std::vector<ports::ListColumn> statement_columns();

// "交易记录(YYYY/MM/DD - YYYY/MM/DD)".
std::string statement_title(const protocol::DateRange& range);

// The whole list of one query: title, columns, rows in reply order and the three boxes.
ports::PrintableList statement_list(const std::vector<protocol::StatementEntry>& entries,
                                    const protocol::DateRange& range);

}  // namespace brindle::accounts
