// What settling each kind of bet writes to the account statement (4011): the type by kind, the
// bet's serial number as the records show it, and a balance before that chains from entry to entry
// up to the holding that 4012 reports.

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "bet_fixture.h"
#include "server/market/match_result.h"

namespace {

using brindle::testing::bet_form;
using brindle::testing::BetFixture;
using brindle::testing::fields_of;

class StatementEntries : public BetFixture {
 protected:
  void SetUp() override {
    BetFixture::SetUp();
    account_ = add_account("rich", 1'000'000);
  }

  // The statement of today as the client reads it: type, amount, content, balance before.
  struct Entry {
    int type;
    double amount;
    std::string content;
    double balance_before;
  };
  std::vector<Entry> statement() {
    auto reply = list(4011, "rich", range_today() + "|0");
    EXPECT_TRUE(reply.success()) << reply.message();
    std::vector<Entry> entries;
    for (std::size_t i = 0; i < reply.row_count(); ++i) {
      const auto f = fields_of(reply, i, 5);
      entries.push_back({std::stoi(f[1]), std::stod(f[2]), f[3], std::stod(f[4])});
    }
    return entries;
  }

  std::int64_t account_ = 0;
};

TEST_F(StatementEntries, EachKindOfBetSettlesUnderItsTypeWithItsSerialNumber) {
  const struct {
    const char* kind;
    int market_type;
    int line_code;
    bool basketball;
    int home, away;
    int expected_type;
  } cases[] = {
      {"Asian handicap", 0, 3, false, 2, 0, 13},        {"1X2", 1, 1, false, 2, 0, 6},
      {"correct score", 2, 3, false, 2, 0, 7},          {"over/under", 3, 9, false, 2, 1, 9},
      {"basketball totals", 6, 401, true, 110, 95, 11}, {"basketball odd/even", 7, 1, true, 101, 100, 12},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kind);
    const int match = add_match(true, false, c.basketball);
    const int line = add_line(match, c.market_type, c.line_code, 900);
    auto placed = single(3010, "rich", bet_form({line}, {900}, 1, 10));
    ASSERT_TRUE(placed.success()) << placed.message();
    auto open = list(4054, "rich", "");
    ASSERT_EQ(open.row_count(), 1U);
    const std::string serial = brindle::testing::ten(std::stoll(fields_of(open, 0, 17)[0]));
    EXPECT_EQ(finish(match, c.home, c.away), 1);
    const auto entries = statement();
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(entries.back().type, c.expected_type);
    EXPECT_EQ(entries.back().content, serial);
  }

  // In-play bets, taken at once (no delay) at 1:0.
  for (const auto& [market_type, line_code, expected_type] : {std::tuple{8, 1, 25}, std::tuple{9, 9, 26}}) {
    SCOPED_TRACE(market_type);
    const int match = add_match(false, true);
    set_score(match, 1, 0);
    const int line = add_line(match, market_type, line_code, 900);
    auto placed = single(3020, "rich", std::to_string(line) + "|0.900000|10.000000|0");
    ASSERT_TRUE(placed.success()) << placed.message();
    EXPECT_EQ(finish(match, 2, 1), 1);
    EXPECT_EQ(statement().back().type, expected_type);
  }

  // A parlay of two legs and an outright bet.
  const int first = add_match(), second = add_match();
  const int a = add_line(first, 1, 1, 1000), b = add_line(second, 1, 1, 1000);
  ASSERT_TRUE(single(3010, "rich", bet_form({a, b}, {1000, 1000}, 2, 10)).success());
  EXPECT_EQ(finish(first, 1, 0), 0) << "the parlay waits for its second match";
  EXPECT_EQ(finish(second, 1, 0), 1);
  EXPECT_EQ(statement().back().type, 50);
  EXPECT_DOUBLE_EQ(statement().back().amount, 30.0);  // 10 at 2.0 × 2.0
  const int event = add_event();
  const int place = add_outright_selection(event, 1, 3000);
  add_outright_selection(event, 2, 5000);  // the winner
  ASSERT_TRUE(single(3050, "rich", bet_form({place}, {3000}, 1, 10)).success());
  EXPECT_EQ(finish(event, 2, 0), 1);
  EXPECT_EQ(statement().back().type, 13);
  EXPECT_DOUBLE_EQ(statement().back().amount, -10.0);

  // With one bet still open the chain holds and ends at the whole holding of 4012: a frozen stake
  // is still the account's money.
  ASSERT_TRUE(single(3010, "rich", bet_form({add_line(add_match(), 1, 1, 900)}, {900}, 1, 25)).success());
  const auto entries = statement();
  double running = entries.front().balance_before;
  EXPECT_DOUBLE_EQ(running, 0.0);
  for (const auto& e : entries) {
    EXPECT_NEAR(e.balance_before, running, 0.001) << e.content;
    running += e.amount;
  }
  brindle::wire::SingleRecordReply balance(send("DATA_QUERY", 4012, "rich", ""));
  ASSERT_TRUE(balance.success());
  const double amount = balance.fields().decimal();
  EXPECT_NEAR(running, amount, 0.001);
  const auto held = balances_of(account_);
  EXPECT_NEAR(amount * 100, static_cast<double>(held.available + held.frozen), 0.1);
  EXPECT_EQ(held.frozen, 2'500);
}

}  // namespace
