#include "core/accounts/query_range.h"

#include <gtest/gtest.h>

namespace brindle::accounts {
namespace {

using wire::CivilDateTime;

TEST(QueryRange, OrderAndStatementLimit) {
  const CivilDateTime start{2026, 12, 1, 0, 0, 0};
  struct Case {
    CivilDateTime end;
    std::optional<int> limit;
    const char* refusal;  // nullptr = accepted
  } cases[] = {
      {{2026, 12, 1, 0, 0, 0}, std::nullopt, nullptr},                      // same instant
      {{2026, 11, 30, 23, 59, 59}, std::nullopt, kEndBeforeStartText},      // one second early
      {{2026, 12, 8, 0, 59, 0}, kStatementHourLimit, nullptr},              // 168 h 59 min
      {{2026, 12, 8, 0, 59, 59}, kStatementHourLimit, nullptr},             // still 168 whole hours
      {{2026, 12, 8, 1, 0, 0}, kStatementHourLimit, kRangeTooLongText},     // 169 h
      {{2026, 12, 30, 0, 0, 0}, std::nullopt, nullptr},                     // records have no limit
      {{2026, 11, 20, 0, 0, 0}, kStatementHourLimit, kEndBeforeStartText},  // order checked first
      {{2026, 2, 30, 0, 0, 0}, std::nullopt, kEndBeforeStartText},          // no such day
  };
  for (const auto& c : cases) {
    const auto refusal = range_refusal({start, c.end}, c.limit);
    if (c.refusal) {
      ASSERT_TRUE(refusal) << c.end.month << "-" << c.end.day << " " << c.end.hour;
      EXPECT_EQ(*refusal, c.refusal);
    } else {
      EXPECT_FALSE(refusal) << *refusal;
    }
  }
}

TEST(QueryRange, SlashDate) { EXPECT_EQ(slash_date({2026, 3, 7, 23, 0, 0}), "2026/03/07"); }

}  // namespace
}  // namespace brindle::accounts
