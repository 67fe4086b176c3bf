// The Asian handicap and over/under tickets as flows over scripted windows and server: the opening
// checks, the texts, the stake loop in its order, the request fields and a refresh under the ticket.

#include <gtest/gtest.h>

#include <algorithm>

#include "core/betting/asian_explanation.h"
#include "core/betting/asian_handicap_hall.h"
#include "core/betting/basketball_explanation.h"
#include "core/betting/over_under_hall.h"
#include "core/betting/single_ticket.h"
#include "core/betting/totals_explanation.h"
#include "core/net/client_context.h"
#include "core/notation/handicap_notation.h"
#include "core/notation/totals_notation.h"
#include "hall_fixture.h"

namespace {

using namespace brindle;
using namespace brindle::betting;
using namespace brindle::notation;
using brindle::testing::kFirstDay;
using brindle::testing::match_line;
using brindle::testing::odds_line;
using AH = AsianHandicapHall::Column;
using OU = OverUnderHall::Column;

struct Ticket : brindle::testing::HallFixture {
  Ticket() {
    // Match 1: home gives a half goal. Match 2: away gives one goal at a neutral venue, 0.955 on
    // the home side. Match 3: basketball, home gives 3.5 points.
    reply({"1|ok|0", match_line(1, "英超", kFirstDay, "曼联", "利物浦"), odds_line(1, 0, 11, 3, "0.95"),
           odds_line(1, 0, 12, -3, "0.95"), match_line(2, "西甲", kFirstDay, "皇马", "巴萨", 1),
           odds_line(2, 0, 21, -1005, "0.955", 190), odds_line(2, 0, 22, 1005, "0.945", 190),
           match_line(3, "NBA", kFirstDay, "湖人", "凯尔特人", 0, 0, 9), odds_line(3, 0, 31, 8, "0.90"),
           odds_line(3, 0, 32, -8, "1.00")});
    balance_reply();
    hall.refresh();
  }
  // The bet reply: message, then balance and frozen amount.
  void accept(const std::string& message = "投注成功", double balance = 500) {
    reply({"1|" + message + "|" + std::to_string(balance) + "|0"});
  }
  void status_ok() { reply({"1|ok|0"}); }
  AsianHandicapHall hall{services()};
};

TEST(ParseStake, DigitsOnlyAndNothingThatOverflows) {
  EXPECT_EQ(parse_stake("500"), 500u);
  EXPECT_EQ(parse_stake("000500"), 500u);
  EXPECT_EQ(parse_stake("0"), 0u);
  EXPECT_EQ(parse_stake("18446744073709551615"), 18446744073709551615u);
  EXPECT_FALSE(parse_stake(""));
  EXPECT_FALSE(parse_stake("18446744073709551616"));
  EXPECT_FALSE(parse_stake("12a"));
  EXPECT_FALSE(parse_stake("-1"));
}

TEST(TicketOpening, UnfundedFrozenAndFailedStatusStopBeforeTheStakeWindow) {
  {
    Ticket f;
    f.context.currency_code = 0;
    const auto before = f.transport.exchanges().size();
    f.hall.click(0, AH::kBetGiving);
    EXPECT_EQ(f.messages.texts, (std::vector<std::string>{"您还没有买彩，不能投注！"}));
    EXPECT_EQ(f.transport.exchanges().size(), before);
    EXPECT_TRUE(f.stake_window.shown.empty());
  }
  {
    Ticket f;
    f.reply({"1|ok|1"});
    f.hall.click(0, AH::kBetGiving);
    EXPECT_EQ(f.subjects().back(), 3033);
    EXPECT_EQ(f.messages.texts, (std::vector<std::string>{"账户被冻结！"}));
    EXPECT_TRUE(f.stake_window.shown.empty());
  }
  {
    Ticket f;
    f.transport.fail("无法连接服务器");
    f.hall.click(0, AH::kBetGiving);
    EXPECT_EQ(f.messages.texts, (std::vector<std::string>{"无法连接服务器"}));
    EXPECT_TRUE(f.stake_window.shown.empty());
  }
}

TEST(StakeLoop, ChecksInOrderAndEveryRefusalReturnsWithTheStakeKept) {
  Ticket f;
  f.status_ok();
  f.stake_window.answers = {"", "0", "1001", "1000", "1000", "1000"};
  f.confirmation.answers = {false, true, true};
  f.reply({"0|赔率已变动，请重新投注"});
  f.accept("投注成功，单号 88");
  f.hall.click(0, AH::kBetGiving);

  EXPECT_EQ(f.messages.texts,
            (std::vector<std::string>{"投注彩金不能为0！", "投注彩金不能为0！", "投注彩金不能超过可用金！",
                                      "赔率已变动，请重新投注", "投注成功，单号 88\n请留意投注记录。"}));
  // Empty and zero are refused inside the first showing; the window opens again only after the rest.
  EXPECT_EQ(f.stake_window.refused_in_place, (std::vector<std::string>{"", "0"}));
  EXPECT_EQ(f.stake_window.typed_on_show, (std::vector<std::string>{"", "1001", "1000", "1000"}));
  ASSERT_EQ(f.confirmation.shown.size(), 3u);  // the stake equal to the funds passes
  EXPECT_EQ(f.confirmation.shown[0].stake, "1000");
  EXPECT_EQ(f.confirmation.shown[0].currency, "元");
  EXPECT_EQ(f.subjects().back(), 3010);
  const auto subjects = f.subjects();
  EXPECT_EQ(std::count(subjects.begin(), subjects.end(), 3010), 2);
  ASSERT_FALSE(f.frame.posted.empty());
  EXPECT_EQ(f.frame.posted.back(), std::make_tuple(ports::WindowMessage::bet_placed, 0x10000, 1000));
  EXPECT_DOUBLE_EQ(f.context.balance, 500);
}

TEST(StakeLoop, CancelEndsTheTicketWithoutARequest) {
  Ticket f;
  f.status_ok();
  f.stake_window.answers = {std::nullopt};
  f.hall.click(0, AH::kBetOther);
  EXPECT_EQ(f.subjects().back(), 3033);
  EXPECT_TRUE(f.confirmation.shown.empty());
  EXPECT_TRUE(f.messages.texts.empty());
}

TEST(AsianHandicapTicket, FootballTextsOnEitherSide) {
  Ticket f;
  f.status_ok();
  f.hall.click(0, AH::kBetGiving);
  f.status_ok();
  f.hall.click(0, AH::kBetOther);
  ASSERT_EQ(f.stake_window.shown.size(), 2u);
  const auto& giving = f.stake_window.shown[0];
  EXPECT_EQ(giving.header, "曼联(主) 对 利物浦 的让球为 半球。");
  EXPECT_EQ(giving.choice, "曼联(主)");
  EXPECT_EQ(giving.odds, "1.950");
  EXPECT_EQ(giving.currency_label, "元整（不含小数）");
  EXPECT_EQ(giving.explanation,
            asian_handicap_explanation(3, "曼联(主)", "利物浦", 0.95, HandicapSide::kGiving));
  EXPECT_FALSE(giving.explanation.empty());
  const auto& other = f.stake_window.shown[1];
  EXPECT_EQ(other.choice, "利物浦");
  EXPECT_EQ(other.explanation,
            asian_handicap_explanation(3, "曼联(主)", "利物浦", 0.95, HandicapSide::kReceiving));
}

TEST(AsianHandicapTicket, BasketballUsesPointsInHeaderNameAndExplanation) {
  Ticket f;
  f.status_ok();
  f.hall.click(2, AH::kBetGiving);
  ASSERT_EQ(f.stake_window.shown.size(), 1u);
  const auto& shown = f.stake_window.shown[0];
  const std::string points = handicap_name(9, 8);
  EXPECT_EQ(f.hall.cell_text(2, AH::kHandicap), points);
  EXPECT_EQ(shown.header, "湖人(主) 对 凯尔特人 的让分为 " + points + "。");
  EXPECT_EQ(shown.explanation,
            basketball_handicap_explanation(8, "湖人(主)", "凯尔特人", 0.9, HandicapSide::kGiving));
}

TEST(AsianHandicapTicket, TheOtherTeamWhereTheAwaySideGivesSendsTheHomeSelectionAndPrice) {
  Ticket f;
  f.status_ok();
  f.stake_window.answers = {"500"};
  f.accept();
  f.hall.click(1, AH::kBetOther);
  // 0.955 as 00000955, the stake 500 as 000500, the Room number last.
  EXPECT_EQ(f.paras().back(), "1|0000000021|00000955|1|00000001|000500|0");
  ASSERT_EQ(f.confirmation.shown.size(), 1u);
  EXPECT_EQ(f.confirmation.shown[0].title, "亚洲盘投注");
  EXPECT_EQ(f.confirmation.shown[0].choice, "皇马(中)");
  EXPECT_EQ(f.confirmation.shown[0].odds, "1.955 (受让一球)");
  EXPECT_EQ(f.frame.posted.back(), std::make_tuple(ports::WindowMessage::bet_placed, 1, 500));

  f.status_ok();
  f.context.room_number = 42;
  f.stake_window.answers = {"7"};
  f.accept();
  f.hall.click(1, AH::kBetGiving);
  EXPECT_EQ(f.paras().back(), "1|0000000022|00000945|1|00000001|000007|42");
  EXPECT_EQ(f.confirmation.shown.back().odds, "1.945 (一球)");
}

TEST(AsianHandicapTicket, ATimedRefreshUnderTheOpenTicketChangesNothingItSends) {
  Ticket f;
  f.status_ok();
  f.stake_window.answers = {"100"};
  bool refreshed = false;
  f.stake_window.on_show = [&f, &refreshed] {
    if (refreshed) return;
    refreshed = true;
    // The Main window's timer while the stake window is up: match 1 is gone and every price moved.
    f.reply({"1|ok|0", match_line(9, "意甲", kFirstDay, "米兰", "国米"), odds_line(9, 0, 91, 3, "0.50"),
             odds_line(9, 0, 92, -3, "1.40")});
    f.balance_reply();
    f.hall.timed_refresh();
    f.accept();
  };
  f.hall.click(0, AH::kBetGiving);
  EXPECT_EQ(f.hall.cell_text(0, AH::kGivingTeam), "米兰(主)");
  EXPECT_EQ(f.paras().back(), "1|0000000011|00000950|1|00000001|000100|0");
  EXPECT_EQ(f.confirmation.shown.at(0).choice, "曼联(主)");
}

TEST(OverUnderTicket, TheFirstTotalsLineOfTheSideAndItsRequest) {
  brindle::testing::HallFixture f;
  OverUnderHall hall(f.services());
  f.reply({"1|ok|0", match_line(5, "英超", kFirstDay, "曼联", "利物浦"), odds_line(5, 1, 50, 1, "1.2"),
           odds_line(5, 3, 51, 10, "0.90"), odds_line(5, 3, 52, -10, "1.00"), odds_line(5, 3, 53, 11, "0.95"),
           match_line(6, "英超", kFirstDay, "阿森纳", "切尔西")});
  f.balance_reply();
  hall.refresh();
  EXPECT_EQ(hall.cell_text(0, OU::kOverOdds), "1.900");
  EXPECT_EQ(hall.cell_text(0, OU::kUnderOdds), "2.000");
  EXPECT_EQ(hall.cell_text(0, OU::kLine), totals_line_text(10));
  EXPECT_EQ(hall.cell_text(1, OU::kOverOdds), "-");
  EXPECT_EQ(hall.cell_text(1, OU::kLine), "-");

  const auto before = f.transport.exchanges().size();
  hall.click(1, OU::kUnderOdds);  // no line on that side: nothing to bet on
  EXPECT_EQ(f.transport.exchanges().size(), before);

  f.reply({"1|ok|0"});
  f.stake_window.answers = {"500"};
  f.reply({"1|已接受|500|0"});
  hall.click(0, OU::kUnderOdds);
  ASSERT_EQ(f.stake_window.shown.size(), 1u);
  EXPECT_EQ(f.stake_window.shown[0].header, "曼联 vs 利物浦");
  EXPECT_EQ(f.stake_window.shown[0].choice, totals_text_with_side(-10));
  EXPECT_EQ(f.stake_window.shown[0].explanation, totals_explanation(-10, 0, 1.0));
  EXPECT_EQ(f.confirmation.shown.at(0).title, "大小球盘投注");
  EXPECT_EQ(f.paras().back(), "1|0000000052|00001000|1|00000001|000500|0");
  EXPECT_EQ(f.messages.texts.back(), "已接受\n请留意投注记录。");
  EXPECT_EQ(f.frame.posted.back(), std::make_tuple(ports::WindowMessage::bet_placed, 0, 500));
}

}  // namespace
