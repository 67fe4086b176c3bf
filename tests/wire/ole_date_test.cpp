#include "wire/ole_date.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace brindle::wire {
namespace {

TEST(OleDate, Texts) {
  struct Case {
    double ole;
    std::string date_time;
    std::string date;
    std::string time;
  };
  const Case cases[] = {
      {0.0, "1899-12-30 00:00:00", "1899-12-30", "00:00"},
      {2.5, "1900-01-01 12:00:00", "1900-01-01", "12:00"},
      {-1.25, "1899-12-29 06:00:00", "1899-12-29", "06:00"},  // the fraction counts forward
      {-0.5, "1899-12-30 12:00:00", "1899-12-30", "12:00"},
      {60.0, "1900-02-28 00:00:00", "1900-02-28", "00:00"},  // no phantom 1900-02-29
      {61.0, "1900-03-01 00:00:00", "1900-03-01", "00:00"},
      {45352.75, "2024-03-01 18:00:00", "2024-03-01", "18:00"},
      {45351.0, "2024-02-29 00:00:00", "2024-02-29", "00:00"},
      {45000.0 + 86399.6 / 86400, "2023-03-16 00:00:00", "2023-03-16", "00:00"},  // rounds into the next day
      {-2.0 - 86399.6 / 86400, "1899-12-29 00:00:00", "1899-12-29", "00:00"},
      {2958465.0 + 86399.0 / 86400, "9999-12-31 23:59:59", "9999-12-31", "23:59"},
      {-657434.0, "0100-01-01 00:00:00", "0100-01-01", "00:00"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ole_date_time_text(c.ole), c.date_time) << c.ole;
    EXPECT_EQ(ole_date_text(c.ole), c.date) << c.ole;
    EXPECT_EQ(ole_time_text(c.ole), c.time) << c.ole;
  }
}

TEST(OleDate, OutOfRangeGivesNoText) {
  for (double ole : {std::nan(""), std::numeric_limits<double>::infinity(), 2958466.0, -657435.0, 1e300}) {
    EXPECT_FALSE(ole_to_civil(ole).has_value()) << ole;
    EXPECT_EQ(ole_date_time_text(ole), "") << ole;
  }
}

TEST(OleDate, CivilRoundTrip) {
  const CivilDateTime samples[] = {
      {1899, 12, 30, 0, 0, 0},  {1899, 12, 29, 6, 0, 0}, {1800, 2, 28, 23, 59, 59},
      {2024, 2, 29, 13, 45, 7}, {2038, 1, 19, 3, 14, 8}, {9999, 12, 31, 23, 59, 59},
  };
  for (const auto& c : samples) {
    const auto ole = civil_to_ole(c);
    ASSERT_TRUE(ole.has_value());
    EXPECT_EQ(ole_to_civil(*ole), c) << *ole;
  }
  EXPECT_DOUBLE_EQ(*civil_to_ole({1899, 12, 29, 6, 0, 0}), -1.25);
  EXPECT_DOUBLE_EQ(*civil_to_ole({1900, 1, 1, 12, 0, 0}), 2.5);
  EXPECT_FALSE(civil_to_ole({2023, 2, 29, 0, 0, 0}).has_value());
  EXPECT_FALSE(civil_to_ole({2024, 1, 1, 24, 0, 0}).has_value());
}

TEST(OleDate, DateRangeText) { EXPECT_EQ(date_range_text({2024, 3, 1, 9, 5, 0}), "20240301090500"); }

}  // namespace
}  // namespace brindle::wire
