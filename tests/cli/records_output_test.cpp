#include "cli/records_output.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "wire/gbk.h"

namespace brindle::cli {
namespace {

std::vector<std::string> gbk(const std::vector<std::string>& utf8) {
  std::vector<std::string> out;
  for (const auto& line : utf8) out.push_back(wire::utf8_to_gbk(line));
  return out;
}

TEST(RecordsOutput, AMarketListReadsAsMatchLinesEachFollowedByItsOddsLines) {
  const auto json = records_json(
      4027, gbk({"1|null|1", "7|0|英超|45352.75|45352.8125|曼联|利物浦|0|1", "7|0|0|11|1|0.925|190|0|0|0",
                 "7|0|0|12|-1|0.975|190|0|0|0", "8|9|NBA|45353|45353.1|湖人|null|1|0"}));
  EXPECT_EQ(json["result_code"], 1);
  EXPECT_EQ(json["header"]["peak_period_flag"], 1);
  const auto& rows = json["records"];
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0]["record"], "match_line");
  EXPECT_EQ(rows[0]["home_team"], "曼联");
  EXPECT_EQ(rows[1]["record"], "odds_line");
  EXPECT_DOUBLE_EQ(rows[2]["price"].get<double>(), 0.975);
  EXPECT_EQ(rows[3]["record"], "match_line");
  EXPECT_EQ(rows[3]["away_team"], "");
  // Declared order, not alphabetical: scripts may read the fields by position.
  EXPECT_EQ(rows[1].begin().key(), "record");
  EXPECT_EQ((++rows[1].begin()).key(), "match_number");
}

TEST(RecordsOutput, ARefusalOrAnUndeclaredSubjectCarriesOnlyItsCodeAndMessage) {
  const auto refused = records_json(4027, gbk({"4|用户名或密码错误！"}));
  EXPECT_EQ(refused["message"], "用户名或密码错误！");
  EXPECT_FALSE(refused.contains("records"));
  const auto plain = records_json(2009, gbk({"1|兑现成功！"}));
  EXPECT_EQ(plain["result_code"], 1);
  EXPECT_FALSE(plain.contains("records"));
  const auto single = records_json(4012, gbk({"1|null|10000.00|0.00|10000.00|1|0"}));
  ASSERT_EQ(single["records"].size(), 1u);
  EXPECT_EQ(single["records"][0]["record"], "account_balance");
}

}  // namespace
}  // namespace brindle::cli
