#include "core/accounts/statement_window_model.h"

#include <gtest/gtest.h>

#include "../protocol/catalogue_fixture.h"
#include "core/accounts/query_range.h"
#include "core/ports/list_output_port.h"
#include "support/recording_ports.h"

namespace brindle::accounts {
namespace {

struct RecordingOutput final : ports::ListOutputPort {
  void print(const ports::PrintableList& list) override { printed.push_back(list.title); }
  void export_csv(const ports::PrintableList& list) override { exported.push_back(list.title); }
  std::vector<std::string> printed;
  std::vector<std::string> exported;
};

struct StatementFixture {
  testing::CatalogueFixture server;
  testing::RecordingMessages messages;
  RecordingOutput output;
  StatementWindowModel model{
      server.session, messages, output, {{2026, 12, 1, 0, 0, 0}, {2026, 12, 8, 0, 59, 0}}};  // 168 h 59 min
};

TEST(StatementWindowModel, RefusedRangesSendNothingAndChangeNothing) {
  struct Case {
    protocol::DateRange range;
    const char* refusal;
  } cases[] = {
      {{{2026, 12, 1, 0, 0, 0}, {2026, 12, 8, 1, 0, 0}}, kRangeTooLongText},
      {{{2026, 12, 2, 0, 0, 0}, {2026, 12, 1, 0, 0, 0}}, kEndBeforeStartText},
  };
  for (const auto& c : cases) {
    StatementFixture f;
    f.server.reply({"1|ok", "45352.75|1|100|a|0"});
    ASSERT_TRUE(f.model.query());
    const auto before = f.model.list();
    f.model.set_range(c.range);
    EXPECT_FALSE(f.model.query());
    EXPECT_EQ(f.server.transport.exchanges().size(), 1u);
    EXPECT_EQ(f.messages.texts, std::vector<std::string>{c.refusal});
    EXPECT_EQ(f.model.list().rows, before.rows);
    EXPECT_EQ(f.model.list().summary, before.summary);
  }
}

TEST(StatementWindowModel, SuccessReplacesFailureKeeps) {
  StatementFixture f;
  EXPECT_TRUE(f.model.list().rows.empty());
  EXPECT_TRUE(f.model.list().summary.empty());
  EXPECT_EQ(f.model.list().columns.size(), 5u);

  f.server.reply({"1|ok", "45352.75|1|100|网银|0", "45352.76|50|-10|0000000042|100"});
  ASSERT_TRUE(f.model.query());
  EXPECT_EQ(f.server.last_para(), "20261201000000|20261208005900|0");
  ASSERT_EQ(f.model.list().rows.size(), 2u);
  EXPECT_EQ(f.model.list().rows[1][4], "流水号：0000000042");
  EXPECT_EQ(f.model.list().summary[1], "盈利：0.00\n亏损：-10.00");
  EXPECT_EQ(f.model.list().title, "交易记录(2026/12/01 - 2026/12/08)");

  const auto shown = f.model.list();
  f.server.reply({"0|查询失败"});
  f.server.transport.fail("连接超时");
  EXPECT_FALSE(f.model.query());
  EXPECT_FALSE(f.model.query());
  EXPECT_EQ(f.messages.texts, (std::vector<std::string>{"查询失败", "连接超时"}));
  EXPECT_EQ(f.model.list().rows, shown.rows);
  EXPECT_EQ(f.model.list().summary, shown.summary);

  // An empty reply is a success: the list empties and the boxes read zero.
  f.server.reply({"1|ok"});
  ASSERT_TRUE(f.model.query());
  EXPECT_TRUE(f.model.list().rows.empty());
  EXPECT_EQ(f.model.list().summary[2], "返彩：0.00\n");
}

TEST(StatementWindowModel, PrintAndExportRefuseAnEmptyList) {
  StatementFixture f;
  f.model.print();
  f.model.export_csv();
  EXPECT_EQ(f.messages.texts, (std::vector<std::string>{kNothingToPrintText, kNothingToPrintText}));
  EXPECT_TRUE(f.output.printed.empty());
  EXPECT_TRUE(f.output.exported.empty());

  f.server.reply({"1|ok", "45352.75|8|5|bob|0"});
  ASSERT_TRUE(f.model.query());
  // The title names the range that was queried, not one chosen since.
  f.model.set_range({{2026, 11, 1, 0, 0, 0}, {2026, 11, 2, 0, 0, 0}});
  f.model.print();
  f.model.export_csv();
  EXPECT_EQ(f.output.printed, std::vector<std::string>{"交易记录(2026/12/01 - 2026/12/08)"});
  EXPECT_EQ(f.output.exported, f.output.printed);
}

}  // namespace
}  // namespace brindle::accounts
