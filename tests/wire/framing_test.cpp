#include "wire/framing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "wire/gbk.h"

namespace brindle::wire {
namespace {

using Lines = std::vector<std::string>;

TEST(SingleRecordReply, ReadsCodeMessageAndFields) {
  const Lines lines = {utf8_to_gbk("1|投注成功|12.50|null|")};
  SingleRecordReply reply(lines);
  EXPECT_TRUE(reply.success());
  EXPECT_EQ(reply.message(), "投注成功");
  EXPECT_DOUBLE_EQ(reply.fields().decimal(), 12.5);
  EXPECT_EQ(reply.fields().text(), "");
  EXPECT_EQ(reply.fields().text(), "");
}

TEST(SingleRecordReply, ResultCodes) {
  struct Case {
    Lines lines;
    int code;
    std::string message;
  };
  const Case cases[] = {
      {{"0|wrong password"}, 0, "wrong password"},
      {{" 1 |x"}, 1, "x"},
      {{}, 0, ""},  // no reply lines at all is a failure, never a success
      {{"", ""}, 0, ""},
      {{"-5|"}, -5, ""},
      {{"1|o", "k|3"}, 1, "ok"},  // lines join with nothing in between
      {{"1|ok\r\n", "|3"}, 1, "ok"},
  };
  for (const auto& c : cases) {
    SingleRecordReply reply(c.lines);
    EXPECT_EQ(reply.result_code(), c.code);
    EXPECT_EQ(reply.success(), c.code == 1);
    EXPECT_EQ(reply.message(), c.message);
  }
}

TEST(SingleRecordReply, CutsEachLineAtACharacterBoundary) {
  // 1,021 bytes, then a double-byte character straddling the 1,022-byte cut.
  const Lines lines = {"1|" + std::string(1019, 'a') + "\xD6\xD0" + "lost", "|tail"};
  SingleRecordReply reply(lines);
  EXPECT_TRUE(reply.had_overlong_line());
  EXPECT_EQ(reply.message(), std::string(1019, 'a'));
  EXPECT_EQ(reply.fields().text(), "tail");

  SingleRecordReply plain(Lines{"1|ok"});
  EXPECT_FALSE(plain.had_overlong_line());
}

TEST(SingleRecordReply, SurvivesAMove) {
  SingleRecordReply original(Lines{"1|ok|a|b"});
  EXPECT_EQ(original.fields().text(), "a");
  SingleRecordReply moved = std::move(original);
  EXPECT_EQ(moved.fields().text(), "b");
}

TEST(ListReply, Rows) {
  const Lines lines = {"1|", utf8_to_gbk("7|中国|1.5"), "8||2"};
  ListReply reply(lines);
  ASSERT_TRUE(reply.success());
  ASSERT_EQ(reply.row_count(), 2u);
  FieldReader first = reply.row(0);
  EXPECT_EQ(first.integer(), 7);
  EXPECT_EQ(first.text(), "中国");
  EXPECT_DOUBLE_EQ(first.decimal(), 1.5);
  EXPECT_EQ(first.text(), "");  // a row's reader stops at its own line
  FieldReader second = reply.row(1);
  EXPECT_EQ(second.integer(), 8);
  EXPECT_EQ(second.text(), "");
  EXPECT_EQ(second.integer(), 2);
  EXPECT_EQ(reply.row(2).text(), "");
}

TEST(ListReply, EdgeCases) {
  struct Case {
    Lines lines;
    bool success;
    std::string message;
    std::size_t rows;
  };
  const Case cases[] = {
      {{"1|"}, true, "", 0},
      {{"0|none"}, false, "none", 0},
      {{"0|none", "1|2"}, false, "none", 0},  // rows of a failed reply are not read
      {{}, false, "", 0},
      {{"1|ok", ""}, true, "ok", 1},
  };
  for (const auto& c : cases) {
    ListReply reply(c.lines);
    EXPECT_EQ(reply.success(), c.success);
    EXPECT_EQ(reply.message(), c.message);
    EXPECT_EQ(reply.row_count(), c.rows);
  }
}

TEST(ListReply, CutsLongRows) {
  const Lines lines = {"1|", std::string(5000, 'x')};
  ListReply reply(lines);
  EXPECT_TRUE(reply.had_overlong_line());
  std::string out;
  EXPECT_EQ(reply.row(0).next(out, 10000), 4094u);
}

TEST(FormatReplyLine, EscapesEachFieldAndWritesGbk) {
  const std::vector<std::string> fields = {"1", "", "a b", "中|国", "x"};
  const std::string line = format_reply_line(fields);
  EXPECT_EQ(line, utf8_to_gbk("1|null|a^sb|中｜国|x"));
  ListReply reply(Lines{"1|", line});
  FieldReader row = reply.row(0);
  for (const auto& field : {"1", "", "a b", "中｜国", "x"}) EXPECT_EQ(row.text(), field);
}

}  // namespace
}  // namespace brindle::wire
