#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/net/reply_lines.h"

namespace brindle::net {
namespace {

std::vector<std::string> split(const std::vector<std::string>& chunks) {
  std::vector<std::string> lines;
  ReplyLineSplitter splitter([&](std::string line) { lines.push_back(std::move(line)); });
  for (const auto& chunk : chunks) splitter.feed(chunk);
  splitter.finish();
  return lines;
}

std::vector<std::string> split_bytewise(const std::string& text) {
  std::vector<std::string> chunks;
  for (const char c : text) chunks.emplace_back(1, c);
  return split(chunks);
}

TEST(TransportReplyLines, TrimsAndDropsBlankLinesWhateverTheChunking) {
  const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
      {"1|ok\r\n\r\n  \r\n", {"1|ok"}},
      {"a\nb", {"a", "b"}},
      {"a\rb\r\n", {"a", "b"}},
      {" \t a b \v\f\n", {"a b"}},
      {"\n\n\n", {}},
      {"", {}},
      {"last line without end", {"last line without end"}},
      {"1| x |", {"1| x |"}},
  };
  for (const auto& [text, expected] : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(split({text}), expected);
    EXPECT_EQ(split_bytewise(text), expected);
  }
}

TEST(TransportReplyLines, LineAtTheLimitStaysWholeAndOneByteMoreIsCut) {
  const std::string at_limit(ReplyLineSplitter::kMaxLineBytes, 'a');
  EXPECT_EQ(split({at_limit + "\n"}), std::vector<std::string>{at_limit});
  EXPECT_EQ(split({at_limit + "b\n"}), (std::vector<std::string>{at_limit, "b"}));
  EXPECT_EQ(split_bytewise(at_limit + "bc"), (std::vector<std::string>{at_limit, "bc"}));
}

TEST(TransportReplyLines, CutNeverSplitsADoubleByteCharacter) {
  // 4,094 single bytes then 啊: the pair straddles the limit and moves whole to the next piece.
  const std::string text = std::string(4094, 'a') + "\xB0\xA1" + "z";
  for (const auto& lines :
       {split({text}), split_bytewise(text), split({text.substr(0, 4095), text.substr(4095)})}) {
    ASSERT_EQ(lines.size(), 2U);
    EXPECT_EQ(lines[0], std::string(4094, 'a'));
    EXPECT_EQ(lines[1], "\xB0\xA1z");
  }
}

TEST(TransportReplyLines, PiecesOfALongLineAreTrimmedLikeLines) {
  const std::string text = std::string(4095, 'a') + "   \n";
  EXPECT_EQ(split({text}), std::vector<std::string>{std::string(4095, 'a')});
}

}  // namespace
}  // namespace brindle::net
