#include "wire/records/market_records.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "round_trip.h"

namespace brindle::records {
namespace {

using testing::kEdgeText;
using testing::kEdgeTextBack;
using testing::kFarOle;
using testing::round_trip;

// 億 ends in the byte of "|" and 乛 in that of "^": neither may be taken for the framing.
const std::string kTrailText = "億乛萬";
constexpr double kEpoch = 0.0;

TEST(MarketRecords, MatchLinesKeepEveryFieldWhateverTheirTexts) {
  const MatchLine edges{INT_MAX, -1, kEdgeText, kEpoch, kFarOle, kTrailText, "", 1, 0};
  MatchLine expected = edges;
  expected.league = kEdgeTextBack;
  EXPECT_EQ(round_trip(edges), expected);
  const MatchLine plain{INT_MIN, 9, "英超", 45352.75, 45352.8125, "曼联", "null", 0, 1};
  MatchLine plain_back = plain;
  plain_back.away_team = "";  // a text that is "null" travels as the empty text
  EXPECT_EQ(round_trip(plain), plain_back);
}

TEST(MarketRecords, PricesTravelInThousandthsAndNumbersWhole) {
  const OddsLine line{7, 8, -3, INT_MAX, -1004, 0.925, 190, INT_MIN, 2, 89};
  std::string gbk;
  EXPECT_EQ(round_trip(line, &gbk), line);
  EXPECT_EQ(gbk, "7|8|-3|2147483647|-1004|0.925|190|-2147483648|2|89");
  // A price beyond three places is rounded as the server rounds it, never cut.
  EXPECT_DOUBLE_EQ(round_trip(OddsLine{.price = 1.9996}).price, 2.0);
  EXPECT_DOUBLE_EQ(round_trip(OddsLine{.price = -0.5}).price, -0.5);
}

TEST(MarketRecords, EveryOtherKindComesBackFieldForField) {
  const OutrightEntryLine entry{1, 2, 1, 44, 12.5, 1250, kTrailText, INT_MAX, 1};
  EXPECT_EQ(round_trip(entry), entry);
  const ParlayPriceLine parlay{INT_MIN, 0, 3, -2, 0.0, INT_MAX};
  EXPECT_EQ(round_trip(parlay), parlay);
  const OpenableMatchLine openable{12345670, kTrailText, kFarOle, kEpoch, "", "客队", 1};
  EXPECT_EQ(round_trip(openable), openable);
  const SuggestedPriceLine suggested{-1, 2, 3.954};
  EXPECT_EQ(round_trip(suggested), suggested);
  const BankerMatchLine banker_match{5, kEpoch, kFarOle, "", kTrailText, "乙"};
  EXPECT_EQ(round_trip(banker_match), banker_match);
  const BankerOfferLine offer{5, 3, 77, 901, 2, 99999999.99, 0.875, 1234.567891, "庄家^", 1};
  EXPECT_EQ(round_trip(offer), offer);
  const InPlayLineRecord live{1, 11, 1, 0.95, 12, -1, 0.9, 190, 99, 0};
  EXPECT_EQ(round_trip(live), live);
}

TEST(MarketRecords, AShortLineReadsItsMissingFieldsAsEmpty) {
  const std::string gbk = "3|4|1|0|0.500|100|";
  wire::FieldReader reader(gbk);
  const auto entry = read<OutrightEntryLine>(reader);
  EXPECT_EQ(entry, (OutrightEntryLine{3, 4, 1, 0, 0.5, 100, "", 0, 0}));
}

TEST(MarketRecords, DeclarationsNameTheirFieldsOnce) {
  const auto fields = describe<OddsLine>();
  ASSERT_EQ(fields.size(), 10u);
  EXPECT_EQ(fields[5].name, "price");
  EXPECT_EQ(fields[5].type, FieldType::decimal);
  EXPECT_EQ(describe<MatchLine>()[3].type, FieldType::ole_date);
}

}  // namespace
}  // namespace brindle::records
