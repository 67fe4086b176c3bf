// The records window's flow over a scripted server: fetching on first show, the range check, a
// failure keeping the list, 撤单 with the refresh after it, printing and exporting.

#include "core/accounts/records_window_model.h"

#include <gtest/gtest.h>

#include "accounts_fixture.h"
#include "core/accounts/query_range.h"

namespace brindle::accounts {
namespace {

const protocol::DateRange kWeek{{2026, 12, 1, 0, 0, 0}, {2026, 12, 8, 12, 0, 0}};

// 4054: serial|legs|stake|int|time|place|text|choice|league|home|away|score|score|type|line|price|status
const char* kUnsettledSingle = "42|1|10|0|45352.75|网上|t|1|英超|曼联|利物浦|0|0|1|0|0.9|5";
const char* kUnsettledParlayLeg = "43|2|99|0|45352.75|网上|t|1|英超|曼联|利物浦|0|0|1|0|0.9|0";
// 4015: serial|legs|stake|int|time|place|settled|result|status|text|choice|league|home|away|...|final
const char* kSettledSingle = "50|1|10|0|45352.75|网上|45353.5|9|0|t|1|英超|曼联|利物浦|0|0|1|0|0.9|2 : 1";
// 4020: a market line and its bet lines
const std::vector<std::string> kTwoBetsOnOneMarket{"1|ok|", "77|1|x|曼联|利物浦|1000|45352.75|200",
                                                   "77|1|30|27", "77|3|10|9"};

struct Records : brindle::testing::AccountsFixture {
  RecordsWindowModel model{{session, messages, confirmation, output,
                            [] {
                              return wire::CivilDateTime{2026, 12, 8};
                            }},
                           kWeek};
};

TEST(RecordsWindowModel, OpeningFetchesTabZeroAndUnsettledTabsOnFirstShowOnly) {
  Records f;
  f.reply({"1|ok", kUnsettledSingle, kUnsettledParlayLeg});
  f.model.open();
  EXPECT_EQ(f.subjects(), std::vector<int>{4054});
  auto list = f.model.list();
  ASSERT_EQ(list.rows.size(), 1u);  // the two-leg record is counted, not shown
  EXPECT_EQ(list.rows[0][7], "待定");
  EXPECT_EQ(list.summary, std::vector<std::string>{"共2笔投注，总资金：10.00。"});
  EXPECT_EQ(list.title, "未结算单式投注记录(2026/12/08)");

  f.model.select_tab(1);  // settled: waits for 查询
  f.reply({"0|服务器忙"});
  f.model.select_tab(4);  // failed: tried again when shown again
  f.reply(kTwoBetsOnOneMarket);
  f.model.select_tab(0);
  f.model.select_tab(4);
  f.model.select_tab(0);
  f.model.select_tab(4);
  EXPECT_EQ(f.subjects(), (std::vector<int>{4054, 4020, 4020}));
  EXPECT_EQ(f.messages.texts, std::vector<std::string>{"服务器忙"});
  list = f.model.list();
  ASSERT_EQ(list.rows.size(), 1u);
  EXPECT_EQ(list.summary, std::vector<std::string>{"共1场开盘，占用资金：800.00。"});
}

TEST(RecordsWindowModel, SettledQueriesCheckTheRangeAndOnlySuccessReplacesTheList) {
  struct Step {
    protocol::DateRange range;
    std::vector<std::string> reply;  // empty: the transport fails
    bool sent;
    std::string message;
    std::size_t rows_after;
  };
  const protocol::DateRange backwards{kWeek.end, kWeek.start};
  const Step steps[] = {
      {backwards, {}, false, kEndBeforeStartText, 0},
      {kWeek, {"1|ok|", kSettledSingle, kSettledSingle}, true, "", 2},
      {kWeek, {"0|查询失败"}, true, "查询失败", 2},
      {kWeek, {}, true, "no scripted reply", 2},
      {backwards, {}, false, kEndBeforeStartText, 2},
      {kWeek, {"1|ok|"}, true, "", 0},
  };
  Records f;
  f.model.select_tab(1);
  std::size_t exchanges = 0;
  for (const auto& s : steps) {
    f.messages.texts.clear();
    f.model.set_range(s.range);
    if (!s.reply.empty()) f.reply(s.reply);
    EXPECT_EQ(f.model.query(), s.sent && s.message.empty());
    exchanges += s.sent ? 1 : 0;
    EXPECT_EQ(f.transport.exchanges().size(), exchanges);
    EXPECT_EQ(f.messages.texts,
              s.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{s.message});
    EXPECT_EQ(f.model.list().rows.size(), s.rows_after);
  }
  EXPECT_EQ(f.paras().back(), "20261201000000|20261208120000");
}

TEST(RecordsWindowModel, PrintTitleNamesTheRangeTheListWasFetchedOver) {
  Records f;
  f.model.select_tab(1);
  f.reply({"1|ok|", kSettledSingle});
  ASSERT_TRUE(f.model.query());
  f.model.set_range({{2026, 11, 1, 0, 0, 0}, {2026, 11, 2, 0, 0, 0}});  // moved, not queried
  f.model.print();
  ASSERT_EQ(f.output.printed.size(), 1u);
  EXPECT_EQ(f.output.printed[0].title, "已结算单式投注记录(2026/12/01 - 2026/12/08)");
  EXPECT_EQ(f.output.printed[0].rows.size(), 1u);
  EXPECT_EQ(f.output.printed[0].summary, std::vector<std::string>{"共1笔投注，盈利：9.00，亏损：0.00。"});
}

TEST(RecordsWindowModel, AnEmptyListIsNeitherPrintedNorExported) {
  Records f;
  f.reply({"1|ok", kUnsettledParlayLeg});  // received, but no row to show
  f.model.open();
  f.model.print();
  f.model.export_csv();
  EXPECT_TRUE(f.output.printed.empty());
  EXPECT_TRUE(f.output.exported.empty());
  EXPECT_EQ(f.messages.texts, (std::vector<std::string>{kNoRecordsToPrintText, kNoRecordsToPrintText}));
  f.reply({"1|ok", kUnsettledSingle});
  f.model.select_tab(2);  // fails: no scripted reply
  f.model.select_tab(0);  // already fetched: shown as kept
  f.model.export_csv();
  EXPECT_TRUE(f.output.exported.empty());
}

TEST(RecordsWindowModel, CancellingAnOpenedMarketThenRefreshing) {
  struct Case {
    std::optional<std::size_t> row;
    bool confirmed;
    std::vector<int> subjects;  // after the opening fetch
    std::vector<std::string> messages;
  } cases[] = {
      {std::nullopt, true, {}, {kNothingToCancelText}},
      {5, true, {}, {kNothingToCancelText}},  // past the end
      {0, false, {}, {}},
      {0, true, {2014, 4020}, {"撤单失败：已有投注"}},
  };
  for (const auto& c : cases) {
    Records f;
    f.reply(kTwoBetsOnOneMarket);
    f.model.select_tab(4);
    f.confirmation.answer = c.confirmed;
    f.reply({"0|撤单失败：已有投注"});
    f.reply({"1|ok|"});
    f.model.cancel(c.row);
    auto subjects = f.subjects();
    subjects.erase(subjects.begin());
    EXPECT_EQ(subjects, c.subjects);
    EXPECT_EQ(f.messages.texts, c.messages);
    if (c.subjects.empty()) continue;
    EXPECT_EQ(f.paras()[1], "77");
    EXPECT_EQ(f.confirmation.shown.at(0).title, "撤单确认");
    EXPECT_TRUE(f.model.list().rows.empty());  // the refresh replaced the list
  }
  // Elsewhere than on tab 4 nothing happens.
  Records f;
  f.reply({"1|ok", kUnsettledSingle});
  f.model.open();
  f.model.cancel(0);
  EXPECT_EQ(f.transport.exchanges().size(), 1u);
  EXPECT_TRUE(f.messages.texts.empty());
}

}  // namespace
}  // namespace brindle::accounts
