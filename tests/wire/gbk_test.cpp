#include "wire/gbk.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace brindle::wire {
namespace {

constexpr std::string_view kYiGbk = "\x83\x7C";     // 億: trail byte is "|"
constexpr std::string_view kPieGbk = "\x81\x5E";    // 乛: trail byte is "^"
constexpr std::string_view kZhongGbk = "\xD6\xD0";  // 中

TEST(Gbk, RoundTripsChineseAndAscii) {
  const std::string utf8 = "澜川国际 Asia 亚洲让球盘 億乛｜";
  bool unmappable = false;
  const std::string gbk = utf8_to_gbk(utf8, &unmappable);
  EXPECT_FALSE(unmappable);
  EXPECT_EQ(gbk_byte_length(utf8), gbk.size());
  bool invalid = false;
  EXPECT_EQ(gbk_to_utf8(gbk, &invalid), utf8);
  EXPECT_FALSE(invalid);
}

TEST(Gbk, DecodesLowTrailBytesAsPartOfTheCharacter) {
  EXPECT_EQ(gbk_to_utf8(std::string(kYiGbk) + "|" + std::string(kPieGbk)), "億|乛");
  EXPECT_EQ(utf8_to_gbk("億"), kYiGbk);
}

TEST(Gbk, InvalidBytesBecomeVisibleReplacementCharacters) {
  struct Case {
    std::string_view gbk;
    std::string_view utf8;
  };
  const Case cases[] = {
      {"a\xFF"
       "b",
       "a\xEF\xBF\xBD"
       "b"},                           // not a GBK byte at all
      {"a\x81", "a\xEF\xBF\xBD"},      // lead byte cut off at the end
      {"\x81 x", "\xEF\xBF\xBD x"},    // lead byte without a trail byte
      {"\xAA\xA1z", "\xEF\xBF\xBDz"},  // well-formed pair in an unassigned area
  };
  for (const auto& c : cases) {
    bool invalid = false;
    EXPECT_EQ(gbk_to_utf8(c.gbk, &invalid), c.utf8) << c.gbk;
    EXPECT_TRUE(invalid) << c.gbk;
    EXPECT_FALSE(is_valid_gbk(c.gbk)) << c.gbk;
  }
}

// The check without decoding agrees with the decoder on every pair and every lone high byte.
TEST(Gbk, ValidityCheckAgreesWithTheDecoder) {
  EXPECT_TRUE(is_valid_gbk(""));
  EXPECT_TRUE(is_valid_gbk(std::string("1|ok|") + std::string(kYiGbk) + std::string(kZhongGbk)));
  for (unsigned lead = 0x80; lead <= 0xFF; ++lead) {
    for (unsigned next = 0; next <= 0xFF; ++next) {
      const std::string text = {'a', static_cast<char>(lead), static_cast<char>(next)};
      bool invalid = false;
      gbk_to_utf8(text, &invalid);
      ASSERT_EQ(is_valid_gbk(text), !invalid) << lead << " " << next;
    }
    bool invalid = false;
    gbk_to_utf8(std::string(1, static_cast<char>(lead)), &invalid);
    ASSERT_EQ(is_valid_gbk(std::string(1, static_cast<char>(lead))), !invalid) << lead;
  }
}

TEST(Gbk, UnmappableCharactersBecomeQuestionMarks) {
  bool unmappable = false;
  EXPECT_EQ(utf8_to_gbk("a\xF0\x9F\x98\x80"
                        "b",
                        &unmappable),
            "a?b");  // an emoji
  EXPECT_TRUE(unmappable);
  unmappable = false;
  EXPECT_EQ(utf8_to_gbk("a\xC3(b", &unmappable), "a?(b");  // malformed UTF-8
  EXPECT_TRUE(unmappable);
}

TEST(Gbk, PrefixLengthEndsOnACharacterBoundary) {
  const std::string text = "a" + std::string(kZhongGbk) + std::string(kYiGbk) + "b";
  struct Case {
    std::size_t max;
    std::size_t expected;
  };
  const Case cases[] = {{0, 0}, {1, 1}, {2, 1}, {3, 3}, {4, 3}, {5, 5}, {6, 6}, {100, 6}};
  for (const auto& c : cases) EXPECT_EQ(gbk_prefix_length(text, c.max), c.expected) << c.max;
}

}  // namespace
}  // namespace brindle::wire
