#include "wire/field_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "support/rescanning_field_reader.h"
#include "wire/field_escapes.h"
#include "wire/gbk.h"

namespace brindle::wire {
namespace {

using brindle::testing::rescanning_next;
using brindle::testing::rescanning_next_gbk;

struct Field {
  std::string value;
  std::size_t length;
  friend bool operator==(const Field&, const Field&) = default;
};

std::vector<Field> read_fields(std::string_view text, std::size_t count, std::size_t capacity = 1024) {
  FieldReader reader(text);
  std::vector<Field> fields;
  for (std::size_t i = 0; i < count; ++i) {
    std::string out = "stale";
    const std::size_t length = reader.next(out, capacity);
    fields.push_back({out, length});
  }
  return fields;
}

std::vector<std::string> values(std::string_view text, std::size_t count) {
  std::vector<std::string> out;
  for (auto& f : read_fields(text, count)) out.push_back(f.value);
  return out;
}

TEST(FieldReader, FramingConsequences) {
  struct Case {
    std::string_view text;
    std::vector<std::string> fields;
  };
  const Case cases[] = {
      {"1|ok|12.50|null|", {"1", "ok", "12.50", "", "", ""}},
      {"a||b", {"a", "", "b", ""}},
      {"a|null|b", {"a", "", "b", ""}},
      {"|a|b", {"a", "b", ""}},
      {"||a", {"", "a", ""}},
      {"1| x", {"1", " x", ""}},
      {"1| x   ", {"1", " x", ""}},
      {"  \r\n a|b", {"a", "b"}},
      {"a\n|b\r\n", {"a ", "b", ""}},  // line breaks become spaces; only the end of the text is trimmed
      {" 1 |x", {"1 ", "x"}},
      {"a| |b", {"a", " ", "b"}},
      {"NULL|Null|nUlL|nullx", {"", "", "", "nullx"}},
      {"", {"", ""}},
      {"|", {"", ""}},
      {"a|", {"a", "", ""}},
      {"a^sb^^c^qd", {"a b^cd"}},
      {"x^n^r^t^c^e^j^x", {"x\n\r\t$&#*"}},
      {"n^ull|^", {"nll", ""}},
  };
  for (const auto& c : cases) EXPECT_EQ(values(c.text, c.fields.size()), c.fields) << c.text;
}

TEST(FieldReader, ReturnsTheRawLengthInTheText) {
  EXPECT_EQ(read_fields("null|a^sb||", 4), (std::vector<Field>{{"", 4}, {"a b", 4}, {"", 0}, {"", 0}}));
}

TEST(FieldReader, TrailBytesAreNeverSeparatorsOrEscapes) {
  const std::string yi = utf8_to_gbk("億");   // 0x83 0x7C
  const std::string pie = utf8_to_gbk("乛");  // 0x81 0x5E
  ASSERT_EQ(yi, "\x83\x7C");
  ASSERT_EQ(pie, "\x81\x5E");
  EXPECT_EQ(values(yi + "|" + yi + yi + "|b", 4), (std::vector<std::string>{"億", "億億", "b", ""}));
  EXPECT_EQ(values(pie + "s|" + pie + "^s", 2), (std::vector<std::string>{"乛s", "乛 "}));
  // An escape before a double-byte character drops the whole character.
  EXPECT_EQ(values("a^" + yi + "b|c", 2), (std::vector<std::string>{"ab", "c"}));
}

TEST(FieldReader, CutsToCapacityOnACharacterBoundary) {
  const std::string text = utf8_to_gbk("a億億b|next");
  struct Case {
    std::size_t capacity;
    std::string value;
  };
  const Case cases[] = {{0, ""},    {1, ""},    {2, "a"},     {3, "a"},
                        {4, "a億"}, {5, "a億"}, {6, "a億億"}, {7, "a億億b"}};
  for (const auto& c : cases) {
    FieldReader reader(text);
    std::string out;
    EXPECT_EQ(reader.next(out, c.capacity), 6u) << c.capacity;  // the whole field is consumed
    EXPECT_EQ(out, c.value) << c.capacity;
    EXPECT_EQ(reader.text(), "next");
  }
}

TEST(FieldReader, CutsAFieldAtTheFieldLimit) {
  EXPECT_EQ(read_fields(std::string(5000, 'a') + "|b", 2, 10000),
            (std::vector<Field>{{std::string(4095, 'a'), 5000}, {"b", 1}}));
  // The limit falls inside a double-byte character: the character goes, not half of it.
  const std::string text = std::string(4094, 'a') + "\xD6\xD0|b";
  FieldReader reader(text);
  std::string out;
  EXPECT_EQ(reader.next(out, 10000), 4096u);
  EXPECT_EQ(out, std::string(4094, 'a'));
  EXPECT_EQ(reader.text(), "b");
}

TEST(FieldReader, ReportsInvalidBytesVisibly) {
  FieldReader reader(
      "ok|a\xFF"
      "b|c");
  EXPECT_EQ(reader.text(), "ok");
  EXPECT_FALSE(reader.had_invalid_bytes());
  EXPECT_EQ(reader.text(),
            "a\xEF\xBF\xBD"
            "b");
  EXPECT_TRUE(reader.had_invalid_bytes());
}

TEST(FieldReader, ReadsNumbersLikeTheCLibrary) {
  FieldReader reader(" 1 |ok|12.50|null|-3x|  +7.5e1z");
  EXPECT_EQ(reader.integer(), 1);
  EXPECT_EQ(reader.text(), "ok");
  EXPECT_DOUBLE_EQ(reader.decimal(), 12.5);
  EXPECT_EQ(reader.integer(), 0);
  EXPECT_EQ(reader.integer(), -3);
  EXPECT_DOUBLE_EQ(reader.decimal(), 75.0);
  EXPECT_EQ(reader.integer(), 0);  // past the last field
}

TEST(Conversions, IntegerFollowsAtoiAndClamps) {
  struct Case {
    std::string_view text;
    int value;
  };
  const Case cases[] = {{"", 0},
                        {"abc", 0},
                        {" \t42", 42},
                        {"+7", 7},
                        {"-12abc", -12},
                        {"- 1", 0},
                        {"2147483647", INT_MAX},
                        {"2147483648", INT_MAX},
                        {"-2147483648", INT_MIN},
                        {"-99999999999999999999", INT_MIN},
                        {"0012", 12}};
  for (const auto& c : cases) EXPECT_EQ(to_integer(c.text), c.value) << c.text;
}

TEST(Conversions, DecimalFollowsStrtod) {
  struct Case {
    std::string_view text;
    double value;
  };
  const Case cases[] = {{"12.50", 12.5}, {"  -0.25x", -0.25}, {"+3", 3.0},     {"+-3", 0.0},   {"", 0.0},
                        {"abc", 0.0},    {".5", 0.5},         {"1e3", 1000.0}, {"1e-400", 0.0}};
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(to_decimal(c.text), c.value) << c.text;
  EXPECT_TRUE(std::isinf(to_decimal("1e400")));
  EXPECT_TRUE(std::isinf(to_decimal("-1e400")) && to_decimal("-1e400") < 0);
}

TEST(FieldReader, MatchesAPlainDoubleByteReaderOnRandomGbk) {
  std::mt19937 rng(8080);
  // Lead and trail bytes of every class, bytes that are neither, and the bytes the reader acts on.
  const std::string alphabet = "a|^s \n\x81\xFE\xD6\xD0\x80\xFF\x7C\x5E\x40\x7F";
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  std::uniform_int_distribution<std::size_t> size(0, 120);
  std::uniform_int_distribution<std::size_t> cap(1, 40);
  std::uniform_int_distribution<int> high_run(0, 3);
  for (int round = 0; round < 5000; ++round) {
    std::string text;
    for (std::size_t n = size(rng); n > 0; --n) {
      // Long runs of high bytes reach the wide scan.
      if (high_run(rng) == 0) {
        for (std::size_t k = size(rng) % 40; k > 0; --k) text += static_cast<char>(0x81 + rng() % 0x7E);
      }
      text += alphabet[pick(rng)];
    }
    FieldReader reader(text);
    std::string remaining = text;
    for (int k = 0; k < 40; ++k) {
      const std::size_t capacity = cap(rng);
      std::string expected, actual;
      const std::size_t expected_length = rescanning_next_gbk(remaining, expected, capacity);
      ASSERT_EQ(reader.next(actual, capacity), expected_length) << round << " field " << k;
      ASSERT_EQ(actual, expected) << round << " field " << k;
    }
  }
}

TEST(FieldReader, MatchesTheRescanningReaderOnRandomTexts) {
  std::mt19937 rng(20240601);
  constexpr std::string_view kAlphabet = "ab|||  \r\n^^snxqNUuLl1";
  std::uniform_int_distribution<std::size_t> pick(0, kAlphabet.size() - 1);
  std::uniform_int_distribution<std::size_t> size(0, 40);
  std::uniform_int_distribution<std::size_t> cap(1, 8);
  for (int round = 0; round < 20000; ++round) {
    std::string text;
    for (std::size_t n = size(rng); n > 0; --n) text += kAlphabet[pick(rng)];
    FieldReader reader(text);
    std::string remaining = text;
    for (int k = 0; k < 12; ++k) {
      const std::size_t capacity = cap(rng);
      std::string expected, actual;
      const std::size_t expected_length = rescanning_next(remaining, expected, capacity);
      ASSERT_EQ(reader.next(actual, capacity), expected_length) << text << " field " << k;
      ASSERT_EQ(actual, expected) << text << " field " << k;
    }
  }
}

}  // namespace
}  // namespace brindle::wire
