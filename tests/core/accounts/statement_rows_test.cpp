#include "core/accounts/statement_rows.h"

#include <gtest/gtest.h>

namespace brindle::accounts {
namespace {

using protocol::StatementEntry;

StatementEntry entry(int type, double amount, std::string content = "x", double balance_before = 0.0) {
  return {"2026-12-01 10:00:00", type, amount, std::move(content), balance_before};
}

TEST(StatementRows, NamesByTypeAndSign) {
  struct Case {
    int type;
    double amount;
    const char* name;
  } cases[] = {
      {1, 100, "买彩"},
      {1, -100, "提彩"},
      {2, -3, "投注盈利"},
      {5, 2, " 星级会员佣金"},
      {8, 0, "星级会员拨入"},
      {8, -1, "星级会员拨出"},
      {13, 1, "投注盈利"},
      {50, -10, "投注亏损"},
      {16, 1, "大小球盘开盘盈利"},
      {16, -1, "大小球开盘亏损"},
      {19, -1, "篮球单双数开盘亏损"},
      {23, 1, "增加受信"},
      {24, -1, "还款"},
      {26, -1, "走地投注亏损"},
      {4, 5, ""},
      {27, 1, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(statement_type_name(c.type, c.amount), c.name) << c.type << " " << c.amount;
  }
}

TEST(StatementRows, CellsOfOneEntry) {
  struct Case {
    StatementEntry entry;
    std::vector<std::string> cells;
  } cases[] = {
      {entry(8, 0, "bob", 10), {"2026-12-01 10:00:00", "星级会员拨入", "0.00", "10.00", "拨出用户：bob"}},
      {entry(8, 30, "bob", 10), {"2026-12-01 10:00:00", "星级会员拨入", "30.00", "40.00", "拨入用户：bob"}},
      {entry(8, -30, "bob", 40), {"2026-12-01 10:00:00", "星级会员拨出", "-30.00", "10.00", "拨出用户：bob"}},
      {entry(50, -10, "0000001234", 100),
       {"2026-12-01 10:00:00", "投注亏损", "-10.00", "90.00", "流水号：0000001234"}},
      {entry(2, 5, "77", 0), {"2026-12-01 10:00:00", "投注盈利", "5.00", "5.00", "流水号：77"}},
      {entry(1, -20, "网银", 100), {"2026-12-01 10:00:00", "提彩", "-20.00", "80.00", "网银"}},
      {entry(4, -5, "手续费", 5), {"2026-12-01 10:00:00", "", "-5.00", "0.00", "手续费"}},
      // An amount of "-0" written as the server may send it.
      {entry(3, -0.0, "", -0.0), {"2026-12-01 10:00:00", "提彩手续费", "0.00", "0.00", ""}},
  };
  for (const auto& c : cases) EXPECT_EQ(statement_row(c.entry), c.cells) << c.entry.transaction_type;
}

std::vector<std::string> summary_of(const std::vector<StatementEntry>& entries) {
  return statement_list(entries, {}).summary;
}

TEST(StatementRows, BucketsIntoTheThreeBoxes) {
  struct Case {
    const char* what;
    std::vector<StatementEntry> entries;
    std::vector<std::string> boxes;
  } cases[] = {
      {"nothing", {}, {"买彩：0.00\n提彩：0.00", "盈利：0.00\n亏损：0.00", "返彩：0.00\n"}},
      {"a transfer of 0 counts in",
       {entry(8, 0), entry(8, 7), entry(8, -2), entry(1, 100), entry(1, -50)},
       {"买彩：107.00\n提彩：-52.00", "盈利：0.00\n亏损：0.00", "返彩：0.00\n"}},
      {"type 4 by sign",
       {entry(4, -5), entry(4, 5)},
       {"买彩：0.00\n提彩：0.00", "盈利：0.00\n亏损：-5.00", "返彩：5.00\n"}},
      {"bet results A and B, charges in the loss",
       {entry(50, -10), entry(6, 4), entry(14, 3), entry(25, -1), entry(3, -2), entry(3, 1), entry(20, 0)},
       {"买彩：0.00\n提彩：0.00", "盈利：7.00\n亏损：-12.00", "返彩：0.00\n"}},
      {"credit above 0 shows both lines",
       {entry(23, 100), entry(24, -40), entry(5, 3), entry(5, -1)},
       {"买彩：0.00\n提彩：0.00", "盈利：0.00\n亏损：0.00", "受信：60.00\n返彩：2.00"}},
      {"credit paid back in full",
       {entry(24, 100), entry(24, -100)},
       {"买彩：0.00\n提彩：0.00", "盈利：0.00\n亏损：0.00", "返彩：0.00\n"}},
      // 0.1 + 0.2 − 0.3 in doubles is a trace above zero, 0.3 − 0.1 − 0.2 a trace below.
      {"sums that cancel out",
       {entry(23, 0.1), entry(23, 0.2), entry(24, -0.3), entry(5, 0.3), entry(5, -0.1), entry(5, -0.2)},
       {"买彩：0.00\n提彩：0.00", "盈利：0.00\n亏损：0.00", "返彩：0.00\n"}},
  };
  for (const auto& c : cases) EXPECT_EQ(summary_of(c.entries), c.boxes) << c.what;
}

}  // namespace
}  // namespace brindle::accounts
