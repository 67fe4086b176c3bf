// brindle-cli export against a scripted HTTPS server: the window's range checks before anything is
// sent, the CSV of the window's list on success, the server's message and exit 1 on failure.

#include "cli/export_command.h"

#include <gtest/gtest.h>

#include <ostream>

#include "support/command_result.h"
#include "support/scripted_session.h"

namespace {

using brindle::testing::capture_command;
using brindle::testing::CommandResult;

class ExportCommand : public ::testing::Test, protected brindle::testing::ScriptedAccount {
 protected:
  void sign_in() { reply({"1|欢迎|t1|0|t3|1|1000|0|0|0|31|32|0"}); }
  CommandResult run(const std::vector<std::string>& args) {
    return capture_command([&](std::ostream& out, std::ostream& err) {
      return brindle::cli::run_export_command(context, args, out, err);
    });
  }
};

TEST_F(ExportCommand, StatementPrintsTheWindowsListAndBoxes) {
  sign_in();
  // 2026-12-02 12:00:00 and 13:00:00 as OLE dates: a buy-in of 100, then a lost bet of 20.
  reply({"1|ok", "46358.5|1|100|seed|0", "46358.541666666664|13|-20|0000000042|100"});
  const CommandResult r = run({"statement", "20261202000000", "20261208235959"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out,
            "日期,交易类型,彩金,本期结存,内容\r\n"
            "2026-12-02 12:00:00,买彩,100.00,100.00,seed\r\n"
            "2026-12-02 13:00:00,投注亏损,-20.00,80.00,流水号：0000000042\r\n"
            "\r\n"
            "\"买彩：100.00\n提彩：0.00\"\r\n"
            "\"盈利：0.00\n亏损：-20.00\"\r\n"
            "\"返彩：0.00\n\"\r\n");
  ASSERT_EQ(server.requests().size(), 2u);
  EXPECT_EQ(para(1), "20261202000000|20261208235959|0");
}

TEST_F(ExportCommand, RecordsPrintTheTabsRowsAndSummaryLine) {
  sign_in();
  reply({"1|ok", "42|1|10|0|45352.75|网上|t|0|英超|曼彻斯特联|利物浦|0|0|1|1|0.9|0",
         "44|2|50|0|45352.8|网上|t|1|意甲|米兰|国米|0|0|1|0|0.8|0"});
  const CommandResult r = run({"records", "0"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  // The two-leg record is not a row, but the summary counts it.
  EXPECT_EQ(r.out.substr(0, r.out.find("\r\n")), "比赛,类型,投注内容,彩金,投注时间,投注地点,流水号,状态");
  EXPECT_NE(r.out.find("\r\n曼彻斯特联 vs 利物浦,"), std::string::npos) << r.out;
  EXPECT_NE(
      r.out.find(",10.00,2024-03-01 18:00:00,网上,0000000042,成功\r\n\r\n共2笔投注，总资金：10.00。\r\n"),
      std::string::npos)
      << r.out;
  EXPECT_EQ(r.out.find("米兰"), std::string::npos);

  // A settled tab sends its range.
  sign_in();
  reply({"1|ok|"});
  const CommandResult settled = run({"records", "7", "20261201000000", "20261202000000"});
  ASSERT_EQ(settled.exit_code, 0) << settled.err;
  EXPECT_EQ(para(3), "20261201000000|20261202000000");
}

TEST_F(ExportCommand, RefusalsAndFailures) {
  struct Case {
    std::vector<std::string> args;
    bool server_answers;  // sign-in and a refused query
    int exit_code;
    std::string err_start;
  } cases[] = {
      {{"statement", "20261201000000", "20261208010000"}, false, 1, "只能查询7天内的记录！"},
      {{"statement", "20261208000000", "20261201000000"}, false, 1, "选择查询的结束日期不能小于开始日期！"},
      {{"statement", "20261201000000", "20261208005959"}, true, 1, "查询失败"},
      {{"statement", "20261301000000", "20261308000000"}, false, 2, "brindle-cli: START and END"},
      {{"statement", "20261201"}, false, 2, "brindle-cli: export statement takes"},
      {{"ledger"}, false, 2, "brindle-cli: unknown export ledger"},
      {{"records", "3", "20261208000000", "20261201000000"},
       false,
       1,
       "选择查询的结束日期不能小于开始日期！"},
      {{"records", "2"}, true, 1, "查询失败"},
      {{"records", "1"}, false, 2, "brindle-cli: a settled tab (odd) needs START and END"},
      {{"records", "0", "20261201000000", "20261202000000"}, false, 2, "brindle-cli: an unsettled tab"},
      {{"records", "10"}, false, 2, "brindle-cli: TAB must be"},
  };
  for (const auto& c : cases) {
    const auto before = server.requests().size();
    if (c.server_answers) {
      sign_in();
      reply({"0|查询失败"});
    }
    const CommandResult r = run(c.args);
    EXPECT_EQ(r.exit_code, c.exit_code) << c.args[0] << " " << r.err;
    EXPECT_EQ(r.err.rfind(c.err_start, 0), 0u) << r.err;
    EXPECT_TRUE(r.out.empty()) << r.out;
    EXPECT_EQ(server.requests().size() - before, c.server_answers ? 2u : 0u);
  }
}

}  // namespace
