// brindle-cli call against a scripted transport: sign-in first where needed, JSON out, exit codes.

#include "cli/call_command.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "../core/net/fake_transport.h"
#include "core/net/client_context.h"
#include "wire/gbk.h"

namespace {

using brindle::testing::FakeTransport;
using nlohmann::json;

struct Call {
  int exit_code = -1;
  json out;
  std::string err;
};

class CallCommand : public ::testing::Test {
 protected:
  CallCommand() {
    context_.current_server = "127.0.0.1:1";
    context_.user_name = "alice";
    context_.password = "pw";
  }

  void reply(const std::vector<std::string>& utf8_lines) {
    std::vector<std::string> gbk;
    for (const auto& l : utf8_lines) gbk.push_back(brindle::wire::utf8_to_gbk(l));
    transport_.reply(gbk);
  }

  Call call(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    Call c;
    c.exit_code = brindle::cli::run_call_command(context_, transport_, args, out, err);
    c.err = err.str();
    if (!out.str().empty()) c.out = json::parse(out.str());
    return c;
  }

  std::string body(std::size_t i) const {
    return brindle::wire::gbk_to_utf8(transport_.exchanges().at(i).body);
  }

  brindle::net::ClientContext context_;
  FakeTransport transport_;
};

TEST_F(CallCommand, MarketListSignsInFirstAndSendsTheContextNumbersItGot) {
  reply({"1|欢迎|t1|0|t3|1|1000|0|0|0|31|32|2"});
  reply({"1|ok|0", "9001|0|英超|45352.75|45352.8|曼联|利物浦|0|0", "9001|3|0|11|10|0.95|190|0|0|0",
         "9001|3|0|12|-10|0.97|190|0|0|0"});
  const Call c = call({"market-list", "3"});
  ASSERT_EQ(c.exit_code, 0) << c.err;
  ASSERT_EQ(transport_.exchanges().size(), 2u);
  EXPECT_NE(body(0).find("txtSubjectID=3001&"), std::string::npos);
  EXPECT_NE(body(1).find("txtPara=3|31|32"), std::string::npos) << body(1);
  EXPECT_TRUE(c.out["ok"].get<bool>());
  EXPECT_EQ(c.out["subject_id"], 4027);
  EXPECT_EQ(c.out["matches"][0]["home_team"], "曼联");
  ASSERT_EQ(c.out["odds"].size(), 2u);
  EXPECT_NEAR(c.out["odds"][0]["price"].get<double>(), 0.94, 1e-9);
  EXPECT_EQ(c.out["context"]["context_number1"], 31);
  EXPECT_DOUBLE_EQ(c.out["context"]["balance"].get<double>(), 1000);
}

TEST_F(CallCommand, AnotherOddsFormatAddsShownFiguresBesideTheServicesPrices) {
  context_.odds_format = brindle::net::OddsFormat::kHongKong;
  reply({"1|欢迎|t1|0|t3|1|1000|0|0|0|31|32|2"});
  reply({"1|ok|0", "9001|0|英超|45352.75|45352.8|曼联|利物浦|0|0", "9001|3|0|11|10|0.95|190|0|0|0",
         "9001|3|0|12|-10|0.97|190|0|0|0"});
  const Call c = call({"market-list", "3"});
  ASSERT_EQ(c.exit_code, 0) << c.err;
  EXPECT_EQ(c.out["odds_format"], "hongkong");
  EXPECT_NEAR(c.out["odds"][0]["price"].get<double>(), 0.94, 1e-9);
  EXPECT_EQ(c.out["odds"][0]["price_shown"], "0.940");
  EXPECT_EQ(c.out["odds"][1]["price_shown"], "0.960");
  EXPECT_FALSE(c.out["matches"][0].contains("price_shown"));
}

TEST_F(CallCommand, DecimalOutputNamesNoFormatAndAddsNothing) {
  reply({"1|欢迎|t1|0|t3|1|1000|0|0|0|31|32|2"});
  reply({"1|ok|0", "9001|0|英超|45352.75|45352.8|曼联|利物浦|0|0", "9001|3|0|11|10|0.95|190|0|0|0",
         "9001|3|0|12|-10|0.97|190|0|0|0"});
  const Call c = call({"market-list", "3"});
  ASSERT_EQ(c.exit_code, 0) << c.err;
  ASSERT_EQ(c.out["odds"].size(), 2u);
  EXPECT_FALSE(c.out.contains("odds_format"));
  EXPECT_FALSE(c.out["odds"][0].contains("price_shown"));
}

TEST_F(CallCommand, FailedSignInStopsBeforeTheOperation) {
  reply({"0|密码错误"});
  const Call c = call({"outright-list"});
  EXPECT_EQ(c.exit_code, 1);
  EXPECT_EQ(transport_.exchanges().size(), 1u);
  EXPECT_FALSE(c.out["ok"].get<bool>());
  EXPECT_EQ(c.out["message"], "密码错误");
}

TEST_F(CallCommand, LocalRefusalIsAFailureWithoutTraffic) {
  const Call c = call({"transfer", "wd", "0", "bob"});
  EXPECT_EQ(c.exit_code, 1);
  EXPECT_TRUE(transport_.exchanges().empty());
  EXPECT_EQ(c.out["message"], "拨彩金额不正确！");
}

TEST_F(CallCommand, BadWordsAreUsageErrorsAndSendNothing) {
  for (const std::vector<std::string>& args : {std::vector<std::string>{"no-such-operation"},
                                               {"market-list"},
                                               {"market-list", "x3"},
                                               {"statement", "20240101000000", "20241301000000"},
                                               {"parlay-prices", "1,,2"},
                                               {"place-bets", "12:0.9", "1-10"},
                                               {"place-single-bet", "0", "sideways", "10"}}) {
    const Call c = call(args);
    EXPECT_EQ(c.exit_code, 2) << args[0];
    EXPECT_FALSE(c.err.empty()) << args[0];
  }
  EXPECT_TRUE(transport_.exchanges().empty());
}

// Numbers from the command line are untrusted: each must fit the request field it travels in.
TEST_F(CallCommand, NumbersMalformedOrBeyondTheirFieldAreUsageErrors) {
  const struct {
    std::vector<std::string> args;
    const char* word;  // the argument named in the error
  } cases[] = {
      {{"place-single-bet", "0", "giving", "1e30"}, "1e30"},
      {{"place-single-bet", "0", "giving", "1000000"}, "1000000"},
      {{"place-single-bet", "0", "giving", "-1"}, "-1"},
      {{"place-single-bet", "0", "giving", "10.5"}, "10.5"},
      {{"place-bets", "12:0.9", "1:1e30"}, "1:1e30"},
      {{"place-bets", "12:0.9", "1:2147483648"}, "1:2147483648"},
      {{"place-bets", "12:nan", "1:10"}, "12:nan"},
      {{"place-bets", "12:inf", "1:10"}, "12:inf"},
      {{"place-bets", "2147483648:0.9", "1:10"}, "2147483648:0.9"},
      {{"place-bets", "12:0.9", "-1:10"}, "-1:10"},
      {{"place-bets", "12:0.9", "100000000:10"}, "100000000:10"},
      {{"place-outright-bets", "12:10000", "1:10"}, "12:10000"},
      {{"transfer", "wd", "1e30", "bob"}, "1e30"},
      {{"transfer", "wd", "-5", "bob"}, "-5"},
      {{"transfer", "wd", "0x10", "bob"}, "0x10"},
      {{"in-play-bet", "1", "0.9", "1e30", "0"}, "1e30"},
      {{"in-play-bet", "-1", "0.9", "10", "0"}, "-1"},
      {{"in-play-bet", "1", "1e308", "10", "0"}, "1e308"},
      {{"open-market", "1", "100", "1:1e300"}, "1:1e300"},
      {{"open-market", "1", "1e3", "1:1.5"}, "1e3"},
      {{"bet-against-banker", "7", "99999999999"}, "99999999999"},
      {{"delete-message", "2147483648"}, "2147483648"},
      {{"in-play-delay", "1", " 2"}, " 2"},
  };
  for (const auto& c : cases) {
    const Call call_result = call(c.args);
    EXPECT_EQ(call_result.exit_code, 2) << c.args[0] << " " << c.word;
    EXPECT_NE(call_result.err.find(std::string(", not \"") + c.word + "\"\n"), std::string::npos)
        << call_result.err;
    EXPECT_NE(call_result.err.find("\nusage: brindle-cli call " + c.args[0] + " "), std::string::npos)
        << call_result.err;
  }
  EXPECT_TRUE(transport_.exchanges().empty());
}

TEST_F(CallCommand, NumbersAtTheEdgesOfTheirFieldsAreSent) {
  reply({"1|ok|1|2"});
  EXPECT_EQ(call({"place-bets", "2147483647:9999", "99999999:999999"}).exit_code, 0);
  EXPECT_NE(body(0).find("txtPara=1|2147483647|09999000|1|99999999|999999|0"), std::string::npos) << body(0);
  reply({"1|ok"});
  EXPECT_EQ(call({"transfer", "wd", "999999999", "bob"}).exit_code, 0);
  EXPECT_NE(body(1).find("txtPara=wd|999999999.000000|bob"), std::string::npos) << body(1);
}

TEST_F(CallCommand, ChangedContextFiguresAreReportedAndOnlyThose) {
  reply({"1|ok|10|20|300|3|5000"});
  const Call c = call({"balance"});
  ASSERT_EQ(c.exit_code, 0) << c.err;
  EXPECT_DOUBLE_EQ(c.out["balance"]["balance"].get<double>(), 300);
  EXPECT_EQ(c.out["context"]["currency_code"], 3);
  EXPECT_FALSE(c.out["context"].contains("context_number1"));
}

TEST_F(CallCommand, StatementRangeTravelsAsTheRequestWritesIt) {
  reply({"1|ok", "45352.75|3|-50|S-1|1000"});
  const Call c = call({"statement", "20240301000001", "20240331235959"});
  ASSERT_EQ(c.exit_code, 0) << c.err;
  EXPECT_NE(body(0).find("txtPara=20240301000001|20240331235959|0"), std::string::npos);
  EXPECT_EQ(c.out["entries"][0]["content"], "S-1");
}

TEST_F(CallCommand, ServerRefusalExitsOneWithTheServersWords) {
  reply({"0|没有权限"});
  const Call c = call({"unsettled-single-bets"});
  EXPECT_EQ(c.exit_code, 1);
  EXPECT_EQ(c.out["message"], "没有权限");
  EXPECT_EQ(c.out["records"].size(), 0u);
}

}  // namespace
