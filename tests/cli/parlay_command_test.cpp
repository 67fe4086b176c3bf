// brindle-cli parlay quote: the ticket's total lines for prices and stakes, and its argument checks.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/call_command.h"

namespace {

struct Quote {
  int exit_code = -1;
  std::string out;
  std::string err;
};

Quote quote(std::vector<std::string> args) {
  args.insert(args.begin(), "quote");
  std::ostringstream out;
  std::ostringstream err;
  Quote q;
  q.exit_code = brindle::cli::run_parlay_command(args, out, err);
  q.out = out.str();
  q.err = err.str();
  return q;
}

TEST(ParlayQuoteCommand, PrintsTheTicketsLines) {
  struct Case {
    std::vector<std::string> args;
    std::string out;
  };
  const Case cases[] = {
      {{"0.9,0.8", "2:100"}, "总投注彩金：100 元\n理论最高派彩：242.00\n"},
      {{"0.5,0.5,0.5", "4:20,2:10"}, "总投注彩金：50 元\n理论最高派彩：85.00\n"},
      {{"0.9,0.8", "2:100", "2"}, "总投注彩金：100 美元\n理论最高派彩：242.00\n"},
      {{"0.9,0.8", "2:200000"},
       "总投注彩金：200000 元\n理论最高派彩：484000.00\n"
       "您的单注理论最高派彩已经超过了单注最高派彩额，请参见《投注规则》！（该提示并不影响您继续投注）\n"},
  };
  for (const auto& c : cases) {
    const Quote q = quote(c.args);
    EXPECT_EQ(q.exit_code, 0) << q.err;
    EXPECT_EQ(q.out, c.out);
  }
}

TEST(ParlayQuoteCommand, RefusesWordsOutOfRangeWithoutPrintingLines) {
  struct Case {
    std::vector<std::string> args;
    std::string err_part;
  };
  const Case cases[] = {
      {{"0.9,abc", "2:100"}, "argument 1 must be a comma-separated list of a price"},
      {{"0.9,-0.8", "2:100"}, "argument 1"},
      {{"0.9,nan", "2:100"}, "argument 1"},
      {{"0.5,0.5,0.5,0.5,0.5,0.5,0.5,0.5,0.5,0.5,0.5", "1:1"}, "one to ten prices"},
      {{"0.9,0.8", "2:200001"}, "argument 2"},
      {{"0.9,0.8", "4:100"}, "masks from 1 to 2^legs"},
      {{"0.9,0.8", "0:100"}, "masks from 1 to 2^legs"},
      {{"0.9,0.8", "2:1.5"}, "argument 2"},
      {{"0.9,0.8", "2100"}, "argument 2"},
      {{"0.9,0.8", "2:100", "4"}, "argument 3 must be a currency code"},
  };
  for (const auto& c : cases) {
    const Quote q = quote(c.args);
    EXPECT_EQ(q.exit_code, 2) << c.args[0] << " " << c.args[1];
    EXPECT_TRUE(q.out.empty());
    EXPECT_NE(q.err.find(c.err_part), std::string::npos) << q.err;
  }
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(brindle::cli::run_parlay_command({"price", "0.9", "1:1"}, out, err), 2);
  EXPECT_EQ(brindle::cli::run_parlay_command({"quote", "0.9"}, out, err), 2);
}

TEST(ParlayQuoteCommand, AnotherOddsFormatPrintsTheLegsFirstAndTheSameTotals) {
  std::ostringstream out;
  std::ostringstream err;
  ASSERT_EQ(brindle::cli::run_parlay_command({"quote", "0.9,2.5", "2:100"}, out, err,
                                             brindle::net::OddsFormat::kMalay),
            0)
      << err.str();
  EXPECT_EQ(out.str(), "赔率(马来盘)：0.900 -0.400\n总投注彩金：100 元\n理论最高派彩：565.00\n");
}

}  // namespace
