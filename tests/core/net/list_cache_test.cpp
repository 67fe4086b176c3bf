#include "core/net/list_cache.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace brindle::net {
namespace {

using testing::read_file;
using testing::TempDir;
using testing::write_file;
using Entries = std::vector<ListEntry>;

std::string record(std::int32_t number, std::uint32_t length, std::string_view plain) {
  std::string out;
  for (int shift = 0; shift < 32; shift += 8)
    out += static_cast<char>((static_cast<std::uint32_t>(number) >> shift) & 0xFF);
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((length >> shift) & 0xFF);
  for (char c : plain) out += static_cast<char>(c ^ 0x6B);
  return out;
}

TEST(ListCacheEncode, TwoServersMakeTwentyFourBytes) {
  const std::string bytes = encode_list_cache({{"srv1", 1}, {"srv2", 2}});
  EXPECT_EQ(bytes, std::string("\x01\x00\x00\x00\x04\x00\x00\x00\x18\x19\x1d\x5a"
                               "\x02\x00\x00\x00\x04\x00\x00\x00\x18\x19\x1d\x59",
                               24));
}

TEST(ListCacheEncode, StripsBlanksAndSkipsEntriesLeftEmpty) {
  EXPECT_EQ(encode_list_cache({{"  a.example\t", -7}, {"   ", 1}, {"", 2}, {" b ", 3}}),
            record(-7, 9, "a.example") + record(3, 1, "b"));
  EXPECT_EQ(encode_list_cache({{" ", 1}, {"\t", 2}}), "");
}

TEST(ListCacheEncode, LongTextsAreCutTo256BytesOnACharacterBoundary) {
  const Entries decoded = decode_list_cache(encode_list_cache({{std::string(300, 'x'), 1}}));
  ASSERT_EQ(decoded.size(), 1u);
  EXPECT_EQ(decoded[0].text, std::string(256, 'x'));

  std::string wide = "a";
  for (int i = 0; i < 200; ++i) wide += "中";  // two GBK bytes each: byte 256 is a lead byte
  const std::string bytes = encode_list_cache({{wide, 1}});
  EXPECT_EQ(bytes.size(), 8u + 255u);
  std::string expected = "a";
  for (int i = 0; i < 127; ++i) expected += "中";
  EXPECT_EQ(decode_list_cache(bytes), (Entries{{expected, 1}}));
}

TEST(ListCacheDecode, RoundTripsNumbersAndGbkTexts) {
  const Entries entries{{"澜川.example:8443", 2147483647}, {"p", -2147483647 - 1}, {"x", 0}};
  EXPECT_EQ(decode_list_cache(encode_list_cache(entries)), entries);
}

TEST(ListCacheDecode, KeepsTheRecordsBeforeTheFirstBadOne) {
  const std::string good = record(1, 3, "one") + record(2, 3, "two");
  const Entries two{{"one", 1}, {"two", 2}};
  struct Case {
    const char* name;
    std::string bytes;
    Entries expected;
  };
  const Case cases[] = {
      {"empty", "", {}},
      {"zero length", good + record(3, 0, "") + record(4, 1, "z"), two},
      {"length 257", good + record(3, 257, std::string(257, 'q')), two},
      {"length 256 is fine", record(3, 256, std::string(256, 'q')), {{std::string(256, 'q'), 3}}},
      {"text past the end", good + record(3, 10, "short"), two},
      {"partial header", good + std::string("\x01\x00\x00\x00\x04", 5), two},
      {"huge length", good + record(3, 0xFFFFFFFFu, "x"), two},
  };
  for (const Case& c : cases) EXPECT_EQ(decode_list_cache(c.bytes), c.expected) << c.name;
}

TEST(ListCacheFile, WritesAtomicallyAndKeepsTheOldFileWhenNothingIsLeft) {
  TempDir dir;
  ClientContext context;
  context.program_directory = dir.path();
  server_list_cache_read(context);
  EXPECT_TRUE(context.server_list.empty()) << "a missing cache is an empty list";

  context.server_list = {{"srv1", 1}, {"srv2", 2}};
  ASSERT_TRUE(server_list_cache_write(context));
  const std::string first = read_file(dir / "skin.dat");
  EXPECT_EQ(first.size(), 24u);

  context.server_list = {{"  ", 5}};
  EXPECT_FALSE(server_list_cache_write(context));
  EXPECT_EQ(read_file(dir / "skin.dat"), first);

  context.proxy_list = {{"10.0.0.1", 3128}};
  ASSERT_TRUE(proxy_list_cache_write(context));
  proxy_list_cache_read(context);
  EXPECT_EQ(context.proxy_list, (Entries{{"10.0.0.1", 3128}}));
  server_list_cache_read(context);
  EXPECT_EQ(context.server_list, (Entries{{"srv1", 1}, {"srv2", 2}}));

  std::size_t files = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++files;
  EXPECT_EQ(files, 2u) << "no temporary file is left";
}

TEST(ListCacheFile, CorruptFileReadsItsGoodPrefix) {
  TempDir dir;
  write_file(dir / "skinsm.dat", record(8080, 4, "p.ex") + record(1, 0, ""));
  EXPECT_EQ(read_list_cache(dir / "skinsm.dat"), (Entries{{"p.ex", 8080}}));
  std::filesystem::create_directory(dir / "skin.dat");
  EXPECT_TRUE(read_list_cache(dir / "skin.dat").empty());
  EXPECT_FALSE(write_list_cache(dir / "skin.dat", {{"a", 1}}));
}

}  // namespace
}  // namespace brindle::net
