#include "wire/number_format.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>

namespace brindle::wire {
namespace {

TEST(NumberFormat, ZeroPaddedFollowsPrintfPrecision) {
  EXPECT_EQ(number_field(123), "0000000123");
  EXPECT_EQ(number_field(12345678901), "12345678901");  // wider numbers keep every digit
  EXPECT_EQ(stake_field(500), "000500");
  EXPECT_EQ(stake_field(-42), "-000042");
  EXPECT_EQ(zero_padded(0, 7), "0000000");
  EXPECT_EQ(zero_padded(-1, 10), "-0000000001");
}

TEST(NumberFormat, Prices) {
  struct Case {
    double price;
    int thousandths;
    std::string field8;
    std::string field7;
  };
  const Case cases[] = {
      {0.93, 930, "00000930", "0000930"},
      {0.8756, 876, "00000876", "0000876"},
      {0.8754, 875, "00000875", "0000875"},
      {12.5, 12500, "00012500", "0012500"},
      {0.0, 0, "00000000", "0000000"},
      {-0.25, -249, "-00000249", "-0000249"},  // + 0.5 then truncation toward zero
  };
  for (const auto& c : cases) {
    EXPECT_EQ(price_thousandths(c.price), c.thousandths) << c.price;
    EXPECT_EQ(price_field8(c.price), c.field8) << c.price;
    EXPECT_EQ(price_field7(c.price), c.field7) << c.price;
  }
  EXPECT_EQ(price_thousandths(1e12), INT_MAX);
  EXPECT_EQ(price_thousandths(std::nan("")), 0);
}

}  // namespace
}  // namespace brindle::wire
