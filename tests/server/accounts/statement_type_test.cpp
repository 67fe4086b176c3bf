#include "server/accounts/statement_type.h"

#include <gtest/gtest.h>

namespace brindle::server::accounts {
namespace {

TEST(StatementType, NamesDependOnTheSignWithZeroCountingAsAGain) {
  const struct {
    int type;
    storage::Cents amount;
    std::string_view name;
  } cases[] = {
      {1, 100, "买彩"},           {1, -100, "提彩"},       {8, 0, "星级会员拨入"},  {8, -1, "星级会员拨出"},
      {16, -1, "大小球开盘亏损"}, {5, 1, " 星级会员佣金"}, {50, -1000, "投注亏损"}, {13, 0, "投注盈利"},
      {26, -1, "走地投注亏损"},   {23, -1, "减少受信"},    {4, -500, ""},           {99, 5, ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(statement_type_name(c.type, c.amount), c.name) << c.type << " " << c.amount;
}

TEST(StatementType, TransfersAndAccountMovementsAreNoBets) {
  for (int type : {2, 6, 7, 9, 10, 11, 12, 13, 14, 19, 25, 26, 50}) EXPECT_TRUE(is_bet_type(type)) << type;
  for (int type : {0, 1, 3, 4, 5, 8, 20, 21, 22, 23, 24, 27, 49, 51}) EXPECT_FALSE(is_bet_type(type)) << type;
}

}  // namespace
}  // namespace brindle::server::accounts
