// Replies that are empty, short, over-long, of unknown market types or not GBK at all: every parser
// copes, and the caller's list follows the header (untouched on failure, refilled on success).

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/protocol/account_parsers.h"
#include "core/protocol/bet_record_parsers.h"
#include "core/protocol/market_parsers.h"
#include "core/protocol/match_information.h"

namespace {

using namespace brindle::protocol;
using Lines = std::vector<std::string>;

// Runs one list parser on a caller list that holds one stale entry; returns the outcome and the
// list's size afterwards.
struct ListParser {
  const char* name;
  std::function<std::pair<bool, std::size_t>(const Lines&)> run;
};

template <typename Record, typename Parse>
ListParser list_parser(const char* name, Parse parse) {
  return {name, [parse](const Lines& lines) {
            std::vector<Record> list(1);
            const Outcome outcome = parse(lines, list);
            return std::pair{outcome.ok(), list.size()};
          }};
}

std::vector<ListParser> parsers() {
  return {
      list_parser<MatchRecord>("market_list",
                               [](const Lines& l, auto& out) {
                                 int p = 0;
                                 std::vector<OddsLine> odds;
                                 return parse_market_list(l, p, out, odds);
                               }),
      list_parser<AsianHandicapRow>("asian_handicap",
                                    [](const Lines& l, auto& out) {
                                      int p = 0;
                                      return parse_asian_handicap_list(l, p, out);
                                    }),
      list_parser<OutrightEntry>("outright_entries",
                                 [](const Lines& l, auto& out) { return parse_outright_entries(l, out); }),
      list_parser<OddsLine>("parlay_prices",
                            [](const Lines& l, auto& out) { return parse_parlay_prices(l, out); }),
      list_parser<MatchRecord>("open_market",
                               [](const Lines& l, auto& out) { return parse_open_market_matches(l, out); }),
      list_parser<SuggestedPriceRow>(
          "suggested", [](const Lines& l, auto& out) { return parse_suggested_prices(l, out); }),
      list_parser<BankerMarketGroup>("banker",
                                     [](const Lines& l, auto& out) { return parse_banker_markets(l, out); }),
      list_parser<SingleBetRecord>(
          "unsettled_singles", [](const Lines& l, auto& out) { return parse_unsettled_single_bets(l, out); }),
      list_parser<SingleBetRecord>("settled_singles",
                                   [](const Lines& l, auto& out) {
                                     std::string h;
                                     return parse_settled_single_bets(l, h, out);
                                   }),
      list_parser<BankerBetRecord>("banker_bets",
                                   [](const Lines& l, auto& out) {
                                     std::string h;
                                     return parse_settled_banker_bets(l, h, out);
                                   }),
      list_parser<OpenedMarketRecord>("opened",
                                      [](const Lines& l, auto& out) {
                                        std::string h;
                                        return parse_settled_opened_markets(l, h, out);
                                      }),
      list_parser<GroupedBetRecord>("grouped",
                                    [](const Lines& l, auto& out) {
                                      std::string h;
                                      return parse_grouped_bets(l, GroupedKind::kSettledOutright, h, out);
                                    }),
      list_parser<StatementEntry>("statement",
                                  [](const Lines& l, auto& out) { return parse_statement(l, out); }),
      list_parser<Room>("rooms",
                        [](const Lines& l, auto& out) {
                          std::string h;
                          return parse_room_list(l, h, out);
                        }),
      list_parser<RoomPosition>("positions",
                                [](const Lines& l, auto& out) { return parse_room_positions(l, out); }),
      list_parser<PrivateMessage>("messages",
                                  [](const Lines& l, auto& out) { return parse_private_messages(l, out); }),
      list_parser<SevenIntegerRow>(
          "seven", [](const Lines& l, auto& out) { return parse_seven_integer_list(l, out); }),
      list_parser<HistoryItem>("history", [](const Lines& l, auto& out) { return parse_history(l, out); }),
      list_parser<HeadToHeadItem>("head_to_head",
                                  [](const Lines& l, auto& out) { return parse_head_to_head(l, out); }),
      list_parser<TrendPoint>("trend", [](const Lines& l, auto& out) { return parse_odds_trend(l, out); }),
      list_parser<ResultItem>("results", [](const Lines& l, auto& out) { return parse_results(l, out); }),
  };
}

class HostileReply : public ::testing::TestWithParam<ListParser> {};

TEST_P(HostileReply, EmptyReplyFailsAndLeavesTheList) {
  const auto [ok, size] = GetParam().run({});
  EXPECT_FALSE(ok);
  EXPECT_EQ(size, 1u);
}

TEST_P(HostileReply, RefusedHeaderLeavesTheList) {
  const auto [ok, size] = GetParam().run({"0|refused", "1|2|3|4|5|6|7|8|9|10"});
  EXPECT_FALSE(ok);
  EXPECT_EQ(size, 1u);
}

TEST_P(HostileReply, HeaderAloneEmptiesTheList) {
  const auto [ok, size] = GetParam().run({"1|"});
  EXPECT_TRUE(ok);
  EXPECT_EQ(size, 0u);
}

TEST_P(HostileReply, ShortGarbledAndOverlongLinesNeverCrash) {
  const std::string not_gbk = "\x81|\xff\xfe|\x80\x80|9|\x81";
  const std::string overlong = "5|" + std::string(9000, '\xb0') + "|" + std::string(9000, '7');
  for (const Lines& lines :
       {Lines{"1|ok", "1"}, Lines{"1|ok", not_gbk, not_gbk}, Lines{"1|ok", overlong, "5|9|x"},
        Lines{"1|ok", "7|99|0|1|1|0.5|190|0|0|0", "7|99|0|2|-1|0.5|190|0|0|0"},
        Lines{"1|ok", "|||||||||||||||||||||||||", "null|NULL|^|^^|^x"}}) {
    const auto [ok, size] = GetParam().run(lines);
    EXPECT_TRUE(ok);
    EXPECT_LE(size, 8u);
  }
}

INSTANTIATE_TEST_SUITE_P(Parsers, HostileReply, ::testing::ValuesIn(parsers()),
                         [](const auto& param_info) { return std::string(param_info.param.name); });

TEST(HostileReply, EmptyReplyFailureHasAMessageToShow) {
  std::vector<StatementEntry> entries;
  const auto outcome = parse_statement(Lines{}, entries);
  ASSERT_FALSE(outcome);
  EXPECT_EQ(outcome.error(), kEmptyReplyMessage);
  std::string text;
  const auto single = parse_one_text(Lines{}, text);
  ASSERT_FALSE(single);
  EXPECT_EQ(single.error(), kEmptyReplyMessage);
}

TEST(HostileReply, InvalidGbkIsKeptVisibleNotDropped) {
  std::vector<RoomPosition> positions;
  ASSERT_TRUE(parse_room_positions(Lines{"1|ok", "3|\x81\x20name"}, positions));
  ASSERT_EQ(positions.size(), 1u);
  EXPECT_NE(positions[0].name.find("\xEF\xBF\xBD"), std::string::npos);  // U+FFFD
  EXPECT_NE(positions[0].name.find("name"), std::string::npos);
}

TEST(HostileReply, ShortSingleReplyReadsMissingFieldsAsZero) {
  InPlayLine line;
  line.closed = 9;
  ASSERT_TRUE(parse_in_play_line(Lines{"1|ok|0|11"}, line));
  EXPECT_EQ(line.closed, 0);
  EXPECT_EQ(line.first_selection, 11);
  EXPECT_EQ(line.away_score, 0);

  InPlayLine untouched;
  untouched.closed = 9;
  EXPECT_FALSE(parse_in_play_line(Lines{"0|closed"}, untouched));
  EXPECT_EQ(untouched.closed, 9);
}

}  // namespace
