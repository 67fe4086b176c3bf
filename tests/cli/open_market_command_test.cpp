// brindle-cli open-market against a scripted HTTPS server: sign-in, 4016, 4032, the window's checks,
// the confirmation text, 3008 and the exit codes.

#include "cli/open_market_command.h"

#include <gtest/gtest.h>

#include <ostream>

#include "support/command_result.h"
#include "support/scripted_session.h"

namespace {

using brindle::testing::capture_command;
using brindle::testing::CommandResult;

class OpenMarketCommand : public ::testing::Test, protected brindle::testing::ScriptedAccount {
 protected:
  // Sign-in in a currency, the 1X2 list with match 500 and its offers.
  void script(int currency, const std::vector<std::string>& offers) {
    reply({"1|欢迎|t1|0|t3|" + std::to_string(currency) + "|1000|0|0|0|31|32|0"});
    reply({"1|ok", "500|英超|45352.75|45352.75|阿森纳|切尔西|0"});
    std::vector<std::string> lines{"1|ok"};
    lines.insert(lines.end(), offers.begin(), offers.end());
    reply(lines);
  }
  CommandResult run(const std::vector<std::string>& args) {
    return capture_command([&](std::ostream& out, std::ostream& err) {
      return brindle::cli::run_open_market_command(context, args, out, err);
    });
  }
};

TEST_F(OpenMarketCommand, OpensAndPrintsTheConfirmationAndSerialNumber) {
  script(1, {"71|1|5", "74|4|2"});
  reply({"1|开盘成功|20260001"});
  const CommandResult r = run({"1", "500", "51", "1:6.10"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(
      r.out,
      "胜平负盘开盘\n您将在 阿森纳 vs 切尔西 的比赛中开出如下盘口：\n\n  “主队(左选项)胜” （赔率：6.10）\n\n"
      "您的开盘彩金为 51 元。如果比赛结果符合所开盘口，您将输，否则赢。\n20260001\n");
  ASSERT_EQ(server.requests().size(), 4u);
  EXPECT_EQ(para(1), "1");
  EXPECT_EQ(para(2), "500");
  EXPECT_EQ(para(3), "500|1|51|0000000071|0005100");
}

TEST_F(OpenMarketCommand, RefusalsPrintTheWindowsMessageAndSendNothing) {
  struct Case {
    int currency;
    std::vector<std::string> args;
    std::string message;
  };
  const std::vector<Case> cases{
      {1, {"1", "500", "50", "1:6.10"}, "开盘彩金不能低于任意一个赔率减1乘以10！"},
      {1, {"1", "500", "100", "1:6.00,3:2", "--dry-run"}, "开盘选项相互冲突！"},
      {1, {"1", "500", "100", "1:6.005"}, "开盘赔率最多两位小数！"},
      {1, {"1", "500", "100", "2:6"}, "该比赛没有选项 2 的建议赔率！"},
      // The last: a match the list does not hold leaves its offers unasked.
      {1, {"1", "501", "100", "1:6"}, "该比赛不能开盘！"},
  };
  for (const auto& c : cases) {
    const auto before = server.requests().size();
    script(c.currency, {"71|1|5", "73|3|1"});
    const CommandResult r = run(c.args);
    EXPECT_EQ(r.exit_code, 1) << c.message;
    EXPECT_EQ(r.err, c.message + "\n");
    EXPECT_EQ(r.out, "");
    const std::size_t exchanges = c.args[1] == "501" ? 2 : 3;  // sign-in, 4016, 4032; never 3008
    EXPECT_EQ(server.requests().size(), before + exchanges) << c.message;
  }
}

TEST_F(OpenMarketCommand, DryRunInUsdPrintsOnlyTheConfirmation) {
  script(2, {"71|1|5"});
  const CommandResult r = run({"1", "500", "6", "1:6.10", "--dry-run"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_NE(r.out.find("您的开盘彩金为 6 美元。"), std::string::npos) << r.out;
  EXPECT_EQ(server.requests().size(), 3u);
}

TEST_F(OpenMarketCommand, AnotherOddsFormatAddsItsFigureToTheTypedDecimalOdds) {
  context.odds_format = brindle::net::OddsFormat::kMalay;
  script(1, {"71|1|5"});
  const CommandResult r = run({"1", "500", "51", "1:6.10", "--dry-run"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_NE(r.out.find("  “主队(左选项)胜” （赔率：6.10，马来盘-0.196）\n"), std::string::npos) << r.out;
  EXPECT_EQ(para(2), "500") << "the typed odds are still what the checks and the request see";
}

TEST_F(OpenMarketCommand, BadWordsAreUsageErrorsBeforeAnySignIn) {
  const std::vector<std::vector<std::string>> bad{
      {"3", "500", "50", "1:1.5"},         {"32", "500", "50", "1:1.5"}, {"1", "-1", "50", "1:1.5"},
      {"1", "500", "2147483648", "1:1.5"}, {"1", "500", "50", "1=1.5"},  {"1", "500", "50", "1:abc"},
      {"1", "500", "50", "1:1.5,"},        {"1", "500", "50", "1:1e9"},  {"1", "500", "50"},
  };
  for (const auto& args : bad) {
    const CommandResult r = run(args);
    EXPECT_EQ(r.exit_code, 2) << args.size();
    EXPECT_NE(r.err.find("usage: brindle-cli open-market"), std::string::npos);
  }
  EXPECT_TRUE(server.requests().empty());
}

TEST_F(OpenMarketCommand, FailedServerReplyIsARefusal) {
  script(1, {"71|1|5"});
  reply({"0|同一盘口最多可开出三个盘"});
  const CommandResult r = run({"1", "500", "51", "1:6.10"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.err, "同一盘口最多可开出三个盘\n");
}

}  // namespace
