#include "core/accounts/statement_rows.h"

#include <cmath>
#include <cstdio>
#include <string_view>
#include <utility>

#include "core/accounts/query_range.h"
#include "wire/records/statement_types.h"

namespace brindle::accounts {
namespace {

constexpr int kTransferType = 8;

// Bet results whose wins and losses go to the first pair of sums.
bool is_bet_result_a(int type) { return (type >= 6 && type <= 13 && type != kTransferType) || type == 50; }

// "%.2f", except that a sum that cancels out to a trace below zero reads "0.00", not "-0.00".
std::string money(double amount) {
  char text[64];
  std::snprintf(text, sizeof text, "%.2f", amount);
  if (std::string_view(text) == "-0.00") return "0.00";
  return text;
}

std::string two_line_box(const char* first, double a, const char* second, double b) {
  return std::string(first) + money(a) + "\n" + second + money(b);
}

}  // namespace

std::string statement_type_name(int type, double amount) {
  return std::string(records::statement_type_name(type, amount >= 0));
}

bool is_statement_bet_type(int type) { return records::is_statement_bet_type(type); }

void StatementTotals::add(const protocol::StatementEntry& entry) {
  const int type = entry.transaction_type;
  const double amount = entry.amount;
  const bool gain = amount >= 0;
  if (is_statement_bet_type(type)) {
    if (is_bet_result_a(type)) {
      (gain ? a_win : a_loss) += amount;
    } else {
      (gain ? b_win : b_loss) += amount;
    }
  } else if (type == 1) {
    (gain ? buy_in : withdrawal) += amount;
  } else if (type == kTransferType) {
    (gain ? transfer_in : transfer_out) += amount;
  } else if (type == 23 || type == 24) {
    credit += amount;
  } else if (type == 3) {
    charges += amount;
  } else if (type == 5) {
    rebate += amount;
  } else {
    (amount > 0 ? rebate : charges) += amount;
  }
}

std::vector<std::string> statement_row(const protocol::StatementEntry& entry) {
  const int type = entry.transaction_type;
  std::string content;
  if (type == kTransferType) {
    content = (entry.amount > 0 ? "拨入用户：" : "拨出用户：") + entry.content;
  } else if (is_statement_bet_type(type)) {
    content = "流水号：" + entry.content;
  } else {
    content = entry.content;
  }
  return {entry.time, statement_type_name(type, entry.amount), money(entry.amount),
          money(entry.balance_before + entry.amount), std::move(content)};
}

std::vector<std::string> statement_summary(const StatementTotals& t) {
  std::vector<std::string> boxes;
  boxes.push_back(two_line_box("买彩：", t.buy_in + t.transfer_in, "提彩：", t.withdrawal + t.transfer_out));
  boxes.push_back(two_line_box("盈利：", t.a_win + t.b_win, "亏损：", t.charges + t.a_loss + t.b_loss));
  // Credit that nets out to a trace of rounding is no credit: the box would read "受信：0.00".
  if (std::llround(t.credit * 100) > 0) {
    boxes.push_back(two_line_box("受信：", t.credit, "返彩：", t.rebate));
  } else {
    boxes.push_back("返彩：" + money(t.rebate) + "\n");
  }
  return boxes;
}

std::vector<ports::ListColumn> statement_columns() {
  return {{"日期", 115}, {"交易类型", 120}, {"彩金", 100}, {"本期结存", 100}, {"内容", 220}};
}

std::string statement_title(const protocol::DateRange& range) {
  return "交易记录(" + slash_date(range.start) + " - " + slash_date(range.end) + ")";
}

ports::PrintableList statement_list(const std::vector<protocol::StatementEntry>& entries,
                                    const protocol::DateRange& range) {
  ports::PrintableList list;
  list.title = statement_title(range);
  list.columns = statement_columns();
  list.rows.reserve(entries.size());
  StatementTotals totals;
  for (const auto& entry : entries) {
    list.rows.push_back(statement_row(entry));
    totals.add(entry);
  }
  list.summary = statement_summary(totals);
  return list;
}

}  // namespace brindle::accounts
