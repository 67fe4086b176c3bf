#include "server/storage/money.h"

#include <gtest/gtest.h>

#include <string>

namespace brindle::server::storage {
namespace {

TEST(Money, TextHasTwoDecimalsAndASign) {
  const struct {
    Cents cents;
    std::string_view text;
  } cases[] = {{0, "0.00"},
               {5, "0.05"},
               {-5, "-0.05"},
               {123450, "1234.50"},
               {-100, "-1.00"},
               {kMaxAmount, "10000000000.00"},
               {INT64_MIN, "-92233720368547758.08"}};
  for (const auto& c : cases) EXPECT_EQ(money_text(c.cents), c.text) << c.cents;
}

TEST(Money, ReadsTheClientsDecimalForms) {
  const struct {
    std::string_view text;
    Cents cents;
  } cases[] = {{"100", 10000},
               {"100.5", 10050},
               {"100.50", 10050},
               {"100.500000", 10050},
               {"0.010000", 1},
               {"000012.30", 1230},
               {"-7.25", -725},
               {"10000000000", kMaxAmount},
               {"0000000000000000000001", 100}};
  for (const auto& c : cases) {
    auto parsed = parse_signed_amount(c.text);
    ASSERT_TRUE(parsed.ok()) << c.text << ": " << parsed.error();
    EXPECT_EQ(parsed.value(), c.cents) << c.text;
  }
}

TEST(Money, RefusesJunkFractionsOfACentAndAbsurdAmounts) {
  const struct {
    std::string_view text;
    std::string_view error;
  } cases[] = {
      {"", kAmountNotNumberText},
      {"abc", kAmountNotNumberText},
      {"1e5", kAmountNotNumberText},
      {"12.", kAmountNotNumberText},
      {".5", kAmountNotNumberText},
      {" 12", kAmountNotNumberText},
      {"+12", kAmountNotNumberText},
      {"--1", kAmountNotNumberText},
      {"nan", kAmountNotNumberText},
      {"1.2.3", kAmountNotNumberText},
      {"0x10", kAmountNotNumberText},
      {"12.001", kAmountSubCentText},
      {"0.000001", kAmountSubCentText},
      {"10000000000.01", kAmountTooLargeText},
      {"99999999999999999999999", kAmountTooLargeText},
  };
  for (const auto& c : cases) {
    auto parsed = parse_signed_amount(c.text);
    ASSERT_FALSE(parsed.ok()) << c.text;
    EXPECT_EQ(parsed.error(), c.error) << c.text;
  }
  EXPECT_EQ(parse_amount("-1").error(), kAmountNegativeText);
  EXPECT_EQ(parse_amount("-0.00").value(), 0);
}

}  // namespace
}  // namespace brindle::server::storage
