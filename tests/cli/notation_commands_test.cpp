#include "cli/notation_commands.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace brindle::cli {
namespace {

struct Outcome final {
  int code = 0;
  std::string out;
  std::string err;
};

Outcome notation(const std::vector<std::string>& args) {
  std::ostringstream out;
  std::ostringstream err;
  const int code = run_notation_command(args, out, err);
  return {code, out.str(), err.str()};
}

Outcome explain(const std::vector<std::string>& args) {
  std::ostringstream out;
  std::ostringstream err;
  const int code = run_explain_command(args, out, err);
  return {code, out.str(), err.str()};
}

TEST(NotationCommand, PrintsEachTextOnItsOwnLine) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"handicap", "0", "2"}, "平手/半球\n"},
      {{"handicap", "9", "8"}, "3.5\n"},
      {{"totals", "-10"}, "2/2.5 小\n"},
      {{"totals-line", "-10"}, "2/2.5\n"},
      {{"odds", "0.95"}, "1.950\n"},
      {{"odds", "-0.5"}, "0.500\n"},
      {{"numeral", "110"}, "一百一十\n"},
      {{"choice", "4096", "-1003", "0"}, "受让半球\n"},
      {{"choice", "4", "26", "0"}, "其它比分\n"},
      {{"market", "4096"}, "让球(分)盘\n"},
      {{"result", "2", "1"}, "输一半\n"},
      {{"currency", "3", "0"}, "HKD\n"},
      {{"combinations", "3", "6"}, "4\n"},
      {{"parlay", "5", "2"}, "五串十(对关)\n"},
      {{"balance", "190", "0.90", "0.90"}, "0.950000 0.950000\n"},
      {{"handicap", "0", "42"}, "\n"},  // no notation is an empty line, not an error
  };
  for (const auto& [args, text] : cases) {
    const Outcome run = notation(args);
    EXPECT_EQ(run.code, 0) << args.front();
    EXPECT_EQ(run.out, text) << args.front();
    EXPECT_EQ(run.err, "") << args.front();
  }
}

// A script that passes a wrong word must hear about it instead of getting the text of 0.
TEST(NotationCommand, RefusesWordsThatAreNotWhollyNumbers) {
  const std::vector<std::vector<std::string>> cases = {
      {"numeral", "abc"},
      {"numeral", "12x"},
      {"numeral", ""},
      {"numeral", " 12"},
      {"numeral", "99999999999"},
      {"numeral", "1.5"},
      {"handicap", "0", "two"},
      {"odds", "nan"},
      {"odds", "inf"},
      {"odds", "0.9x"},
      {"result", "1", "2"},
      {"currency", "1", "yes"},
      {"balance", "190", "0.9", ""},
  };
  for (const auto& args : cases) {
    const Outcome run = notation(args);
    EXPECT_EQ(run.code, 2) << args.front() << " " << args.back();
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("usage: brindle-cli notation " + args.front()), std::string::npos) << run.err;
  }
}

TEST(NotationCommand, RefusesUnknownCommandsAndWrongWordCounts) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {}, {"nonsense"}, {"handicap", "0"}, {"numeral", "1", "2"}, {"choice", "1", "1"}}) {
    const Outcome run = notation(args);
    EXPECT_EQ(run.code, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("usage"), std::string::npos);
  }
}

TEST(ExplainCommand, PrintsTheParagraph) {
  Outcome run = explain({"asian", "6", "甲", "乙", "0.95", "A"});
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(
      run.out,
      "您将投注于 甲: 如果 甲 以二个或二个以上净胜球赢得比赛，则您赢回本金和赔率为 0.950的彩金。如果 甲 "
      "以一个净胜球赢得比赛，则我们将退回一半注码。如果 乙 赢得比赛或打成平局，则您将输掉整个注码。\n");

  run = explain({"basketball", "8", "甲", "乙", "0.9", "B"});
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.out.rfind("您将投注于 乙: 如果 乙 赢得比赛或以3.5分以下输掉比赛", 0), 0U);

  run = explain({"totals", "-11", "0", "0.9"});
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.out.rfind("全场入球总数如果少于 3 个。", 0), 0U);
}

TEST(ExplainCommand, RefusesBadSidesAndNumbers) {
  const std::vector<std::vector<std::string>> cases = {
      {"asian", "6", "甲", "乙", "0.95", "C"},    {"asian", "6", "甲", "乙", "0.95", "a"},
      {"asian", "six", "甲", "乙", "0.95", "A"},  {"basketball", "8", "甲", "乙", "x", "B"},
      {"totals", "-11", "kind", "0.9"},           {"totals", "-11", "0"},
      {"handicap", "6", "甲", "乙", "0.95", "A"},
  };
  for (const auto& args : cases) {
    const Outcome run = explain(args);
    EXPECT_EQ(run.code, 2) << args.front();
    EXPECT_EQ(run.out, "");
    EXPECT_FALSE(run.err.empty());
  }
}

}  // namespace
}  // namespace brindle::cli
