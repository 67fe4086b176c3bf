#include "core/notation/odds_format.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace brindle::notation {
namespace {

struct Row {
  double net;
  const char* decimal;
  const char* hong_kong;
  const char* malay;
  const char* indonesian;
};

TEST(OddsFormat, EveryFormatAtTheEdgesOfItsRules) {
  const std::vector<Row> rows = {
      {0.0, "1.000", "0.000", "0.000", "0.000"},  // Indonesian: no −1 ÷ 0
      {0.5, "1.500", "0.500", "0.500", "-2.000"},
      {1.0, "2.000", "1.000", "1.000", "1.000"},  // both rules' boundary keeps the net price
      {1.001, "2.001", "1.001", "-0.999", "1.001"},
      {2.5, "3.500", "2.500", "-0.400", "2.500"},
      {99.99, "100.990", "99.990", "-0.010", "99.990"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(odds_text(r.net, OddsFormat::kDecimal), r.decimal) << r.net;
    EXPECT_EQ(odds_text(r.net, OddsFormat::kHongKong), r.hong_kong) << r.net;
    EXPECT_EQ(odds_text(r.net, OddsFormat::kMalay), r.malay) << r.net;
    EXPECT_EQ(odds_text(r.net, OddsFormat::kIndonesian), r.indonesian) << r.net;
  }
}

TEST(OddsFormat, NegativeAndNonFinitePricesAreRefused) {
  const double refused[] = {-0.001, -1.0, std::numeric_limits<double>::quiet_NaN(),
                            std::numeric_limits<double>::infinity()};
  for (const double net : refused) {
    for (const auto format :
         {OddsFormat::kDecimal, OddsFormat::kHongKong, OddsFormat::kMalay, OddsFormat::kIndonesian}) {
      EXPECT_FALSE(convert_odds(net, format)) << net;
    }
    EXPECT_EQ(odds_text(net, OddsFormat::kMalay), "-") << net;
  }
  // The decimal display stays what it always was, even for a price it could not convert.
  EXPECT_EQ(odds_text(-0.25, OddsFormat::kDecimal), "0.750");
}

TEST(OddsFormat, NamesRoundTripAndTitlesNameTheFormat) {
  for (const auto format :
       {OddsFormat::kDecimal, OddsFormat::kHongKong, OddsFormat::kMalay, OddsFormat::kIndonesian}) {
    EXPECT_EQ(net::parse_odds_format(net::odds_format_name(format)), format);
  }
  EXPECT_FALSE(net::parse_odds_format("Decimal"));
  EXPECT_FALSE(net::parse_odds_format(""));
  EXPECT_EQ(odds_title("赔率", OddsFormat::kDecimal), "赔率");
  EXPECT_EQ(odds_title("赔率", OddsFormat::kHongKong), "赔率(香港盘)");
  EXPECT_EQ(odds_title("赔率（大）", OddsFormat::kIndonesian), "赔率（大）(印尼盘)");
}

}  // namespace
}  // namespace brindle::notation
