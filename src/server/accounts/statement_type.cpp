#include "server/accounts/statement_type.h"

namespace brindle::server::accounts {
namespace {

struct TypeNames {
  int type;
  std::string_view gain;  // amount >= 0
  std::string_view loss;  // amount < 0
};

constexpr TypeNames kNames[] = {
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

}  // namespace

std::string_view statement_type_name(int type, storage::Cents amount) {
  for (const auto& names : kNames) {
    if (names.type == type) return amount >= 0 ? names.gain : names.loss;
  }
  return {};
}

bool is_bet_type(int type) {
  return type == 2 || (type >= 6 && type <= 19 && type != 8) || type == 25 || type == 26 || type == 50;
}

}  // namespace brindle::server::accounts
