#pragma once

#include <string_view>

namespace brindle::records {

// The transaction types of the account statement and the names the statement shows for them: one
// for a gain (an amount of 0 counts as one) and one for a loss.
struct StatementTypeNames {
  int type;
  std::string_view gain;
  std::string_view loss;
};

// The leading space of " 星级会员佣金" and the missing 盘 of "大小球开盘亏损" are the names as users
// know them.
inline constexpr StatementTypeNames kStatementTypeNames[] = {
    {1, "买彩", "提彩"},
    {2, "投注盈利", "投注盈利"},
    {3, "提彩手续费", "提彩手续费"},
    {5, " 星级会员佣金", " 星级会员佣金"},
    {6, "胜平负盘投注盈利", "胜平负盘投注亏损"},
    {7, "比分盘投注盈利", "比分盘投注亏损"},
    {8, "星级会员拨入", "星级会员拨出"},
    {9, "大小球盘投注盈利", "大小球盘投注亏损"},
    {10, "大小牌投注盈利", "大小牌投注亏损"},
    {11, "篮球大小分投注盈利", "篮球大小分投注亏损"},
    {12, "篮球单双数投注盈利", "篮球单双数投注亏损"},
    {13, "投注盈利", "投注亏损"},
    {14, "胜平负盘开盘盈利", "胜平负盘开盘亏损"},
    {15, "比分盘开盘盈利", "比分盘开盘亏损"},
    {16, "大小球盘开盘盈利", "大小球开盘亏损"},
    {17, "大小牌开盘盈利", "大小牌开盘亏损"},
    {18, "篮球大小分开盘盈利", "篮球大小分开盘亏损"},
    {19, "篮球单双数开盘盈利", "篮球单双数开盘亏损"},
    {20, "活动彩金", "活动彩金"},
    {21, "提彩驳回", "提彩驳回"},
    {22, "娱乐场-转入或转出", "娱乐场-转入或转出"},
    {23, "增加受信", "减少受信"},
    {24, "借款", "还款"},
    {25, "走地投注盈利", "走地投注亏损"},
    {26, "走地投注盈利", "走地投注亏损"},
    {50, "投注盈利", "投注亏损"},
};

// Empty for a number that names no type.
constexpr std::string_view statement_type_name(int type, bool gain) {
  for (const auto& names : kStatementTypeNames) {
    if (names.type == type) return gain ? names.gain : names.loss;
  }
  return {};
}

// Bet results: 2, 6–19 except 8 (a transfer), 25, 26 and 50. Every other type moves the account.
constexpr bool is_statement_bet_type(int type) {
  return type == 2 || (type >= 6 && type <= 19 && type != 8) || type == 25 || type == 26 || type == 50;
}

}  // namespace brindle::records
