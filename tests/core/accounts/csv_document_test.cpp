#include "core/accounts/csv_document.h"

#include <gtest/gtest.h>

namespace brindle::accounts {
namespace {

using ports::PrintableList;

TEST(CsvDocument, SpreadsheetSafe) {
  const struct {
    const char* text;
    const char* expected;
  } cases[] = {
      {"-20.00", "-20.00"},  // a loss stays a number
      {"+5", "+5"},          //
      {"80.00", "80.00"},    //
      {"-", "'-"},           // a sign alone is not a number
      {"-1+1", "'-1+1"},     // arithmetic would run
      {"+cmd|' /C calc'!A0", "'+cmd|' /C calc'!A0"},
      {"=HYPERLINK(\"x\")", "'=HYPERLINK(\"x\")"},
      {"@SUM(A1)", "'@SUM(A1)"},
      {"\tx", "'\tx"},
      {"\rx", "'\rx"},
      {"-0.5/1 主队", "'-0.5/1 主队"},  // a handicap text is text
      {"1-0", "1-0"},                   // only the first character counts
      {"A=B", "A=B"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(spreadsheet_safe(c.text), c.expected) << c.text;
}

TEST(CsvDocument, Documents) {
  PrintableList statement{"交易记录(2026/12/01 - 2026/12/08)",
                          {{"日期", 115}, {"彩金", 100}, {"内容", 220}},
                          {{"2026-12-01 10:00:00", "-20.00", "流水号：0000000042"},
                           {"2026-12-01 11:00:00", "5.00", "a, \"b\"\nc"}},
                          {"买彩：0.00\n提彩：0.00", "返彩：5.00\n"}};
  PrintableList parlays{"未结算过关投注记录(2026/12/08)",
                        {{"", 0}, {"场数", 60}, {"流水号", 110}},
                        {{"", "3", "0000000007"}, {"", "2"}},  // the second row is short
                        {"共2笔投注，占用资金：40.00。"}};
  PrintableList single_column{"t", {{"", 0}, {"名", 10}}, {{"", ""}, {"x"}}, {}};
  PrintableList hostile{"t", {{"=1+1", 10}}, {{"=cmd"}}, {"@x"}};
  const struct {
    const char* name;
    const PrintableList& list;
    const char* expected;
  } cases[] = {
      {"statement", statement,
       "日期,彩金,内容\r\n"
       "2026-12-01 10:00:00,-20.00,流水号：0000000042\r\n"
       "2026-12-01 11:00:00,5.00,\"a, \"\"b\"\"\nc\"\r\n"
       "\r\n"
       "\"买彩：0.00\n提彩：0.00\"\r\n"
       "\"返彩：5.00\n\"\r\n"},
      {"hidden column dropped, short row filled", parlays,
       "场数,流水号\r\n3,0000000007\r\n2,\r\n\r\n共2笔投注，占用资金：40.00。\r\n"},
      {"no summary, no blank line; an empty record is not blank", single_column, "名\r\n\"\"\r\n\"\"\r\n"},
      {"titles, cells and summary all guarded", hostile, "'=1+1\r\n'=cmd\r\n\r\n'@x\r\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(csv_document(c.list), c.expected) << c.name;
}

TEST(CsvDocument, NoByteOrderMarkInTheDocument) {
  const PrintableList list{"t", {{"名", 10}}, {{"值"}}, {}};
  EXPECT_FALSE(csv_document(list).starts_with(kUtf8Bom));
  EXPECT_EQ(std::string_view(kUtf8Bom), "\xEF\xBB\xBF");
}

}  // namespace
}  // namespace brindle::accounts
