// The records menu's seven-column list (4037): a row per local day of the last week, newest first,
// with the bets placed and settled that day.

#include "server/betting/daily_activity.h"

#include <gtest/gtest.h>

#include <array>
#include <ctime>
#include <string>

#include "bet_fixture.h"

namespace {

using brindle::testing::bet_form;
using brindle::testing::BetFixture;
using brindle::testing::fields_of;

class DailyActivity : public BetFixture {
 protected:
  void SetUp() override {
    BetFixture::SetUp();
    add_account("rich", 1'000'000);
  }

  // Local midnight of today and the YYYYMMDD of a day `back` days ago.
  static std::int64_t midnight() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    local.tm_hour = local.tm_min = local.tm_sec = 0;
    local.tm_isdst = -1;
    return std::mktime(&local);
  }
  static std::string date(int back) {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    local.tm_mday -= back;
    local.tm_hour = 12;
    local.tm_isdst = -1;
    std::mktime(&local);
    char text[16];
    std::strftime(text, sizeof text, "%Y%m%d", &local);
    return text;
  }
};

TEST_F(DailyActivity, SevenDaysNewestFirstCountingPlacedAndSettledBetsOfTheirDays) {
  // Today: a single of 10.50 that wins at 0.9, two singles and a double of 20 each of which only
  // one single wins, and a bet of 30 still open.
  const int win_match = add_match(), lose_match = add_match(), open_match = add_match();
  const int home = add_line(win_match, 1, 1, 900);
  const int other = add_line(lose_match, 1, 1, 900);
  const int open = add_line(open_match, 1, 1, 900);
  ASSERT_TRUE(single(3010, "rich", bet_form({home}, {900}, 1, 10)).success());
  sql("UPDATE bets SET stake = 1050, unit_stake = 1050 WHERE id = (SELECT max(id) FROM bets)");
  sql("UPDATE accounts SET balance = balance - 50, frozen_amount = frozen_amount + 50");
  ASSERT_TRUE(
      single(3010, "rich", bet_form({home, other}, {900, 900}, 3, 20)).success());  // 2 singles + 1 double
  ASSERT_TRUE(single(3010, "rich", bet_form({open}, {900}, 1, 30)).success());
  EXPECT_EQ(finish(win_match, 1, 0), 1);
  EXPECT_EQ(finish(lose_match, 0, 1), 1);
  // A bet placed a second before midnight three days ago, settled yesterday at midnight.
  ASSERT_TRUE(single(3010, "rich", bet_form({add_line(add_match(), 1, 1, 900)}, {900}, 1, 5)).success());
  const auto day = 24 * 3600;
  sql("UPDATE bets SET placed_at = " + std::to_string(midnight() - 2 * day - 1) +
      ", status = 4, settled_at = " + std::to_string(midnight() - day) +
      ", returned = 0 WHERE id = (SELECT max(id) FROM bets)");

  auto reply = list(4037, "rich", "");
  ASSERT_TRUE(reply.success()) << reply.message();
  ASSERT_EQ(reply.row_count(), 7U);
  const std::array<std::array<std::string, 7>, 4> expected = {{
      // date, placed, staked, settled, won, lost, net
      {date(0), "3", "100", "2", "1", "1", "-12"},  // 10.50 + 60 + 30; +9.45 + (38 − 60) → −12.55
      {date(1), "0", "0", "1", "0", "1", "-5"},
      {date(2), "0", "0", "0", "0", "0", "0"},
      {date(3), "1", "5", "0", "0", "0", "0"},
  }};
  for (std::size_t i = 0; i < 7; ++i) {
    const auto f = fields_of(reply, i, 7);
    if (i < expected.size()) {
      for (std::size_t c = 0; c < 7; ++c) EXPECT_EQ(f[c], expected[i][c]) << "row " << i << " column " << c;
    } else {
      EXPECT_EQ(f[0], date(static_cast<int>(i)));
    }
  }
  EXPECT_FALSE(list(4037, "nobody", "").success());
}

}  // namespace
