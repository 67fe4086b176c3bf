#include "wire/field_escapes.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "wire/field_reader.h"
#include "wire/gbk.h"

namespace brindle::wire {
namespace {

TEST(FieldEscapes, Decodes) {
  struct Case {
    std::string_view raw;
    std::string_view decoded;
  };
  const Case cases[] = {
      {"a^sb^^c^qd", "a b^cd"},
      {"^c^e^j^n^r^s^t^x^^", "$&#\n\r \t*^"},
      {"end^", "end"},
      {"^S^N", ""},
      {"\xD6\xD0^s", "\xD6\xD0 "},
      {"^\xD6\xD0x", "x"},
      {"\x81^s", "\x81^s"},  // 0x81 0x5E is one character, so the "s" is plain
  };
  for (const auto& c : cases) EXPECT_EQ(decode_field_escapes(c.raw), c.decoded) << c.raw;
}

TEST(FieldEscapes, EscapesWhatTheReaderWouldEatAndRoundTrips) {
  EXPECT_EQ(escape_field("a b^c$d&e#f\ng\rh\ti*j"), "a^sb^^c^cd^ee^jf^ng^rh^ti^xj");
  EXPECT_EQ(escape_field("a|b"), "a｜b");
  EXPECT_EQ(reply_field(""), "null");
  EXPECT_EQ(reply_field(" x"), "^sx");

  const std::string texts[] = {"  leading and trailing  ", "line\r\nbreaks", "^^^", "澜川 国际*#"};
  for (const auto& text : texts) {
    const std::string wire = utf8_to_gbk("1|" + reply_field(text) + "|end");
    FieldReader reader(wire);
    EXPECT_EQ(reader.integer(), 1);
    EXPECT_EQ(reader.text(), text);
    EXPECT_EQ(reader.text(), "end");
  }
}

TEST(FieldEscapes, LeavesGbkTrailBytesAlone) {
  const std::string gbk = "\x81\x5E \x83\x7C|";  // 乛, space, 億, a bare bar
  EXPECT_EQ(escape_field(gbk), "\x81\x5E^s\x83\x7C\xA3\xFC");
}

}  // namespace
}  // namespace brindle::wire
