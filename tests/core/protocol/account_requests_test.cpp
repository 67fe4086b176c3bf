// Account, room and message requests: their local refusals, retries and what lands in the context.

#include "core/protocol/account_requests.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "catalogue_fixture.h"
#include "core/protocol/account_parsers.h"
#include "core/protocol/bet_submission.h"
#include "core/protocol/rooms_messages.h"

namespace {

using namespace brindle;
using namespace brindle::protocol;
using brindle::testing::gbk_lines;

TEST(Transfer, AmountNotAboveZeroIsRefusedWithoutTraffic) {
  brindle::testing::CatalogueFixture f;
  for (const double amount : {0.0, -5.0, std::nan("")}) {
    const auto outcome = transfer_funds(f.session, "wd", amount, "bob");
    ASSERT_FALSE(outcome);
    EXPECT_EQ(outcome.error(), "拨彩金额不正确！");
  }
  EXPECT_TRUE(f.transport.exchanges().empty());
}

TEST(TypedTexts, ASeparatorInAFieldThatIsNotCleanedIsRefused) {
  brindle::testing::CatalogueFixture f;
  EXPECT_FALSE(transfer_funds(f.session, "wd", 5, "bob|eve"));
  EXPECT_FALSE(check_user_name_free(f.session, "a|b"));
  CreatedRoom room;
  EXPECT_FALSE(create_room(f.session, "房|间", 1, room));
  EXPECT_FALSE(change_profile(f.session, "alice", {"", "", "", "", "", "", ""},
                              {{{"", "x|y", ""}, {"", "", ""}, {"", "", ""}, {"", "", ""}}}));
  EXPECT_TRUE(f.transport.exchanges().empty());
}

TEST(WebToken, AskedAgainUntilFortyCharactersThenPrefixed) {
  brindle::testing::CatalogueFixture f;
  f.context.web_token_prefix = "https://pages/?t=";
  const std::string good(40, 'a');
  f.reply({"1|ok|" + std::string(39, 'b')});
  f.reply({"1|ok|" + good});
  WebToken token;
  ASSERT_TRUE(fetch_web_token(f.session, token));
  EXPECT_EQ(token.requests, 2);
  EXPECT_TRUE(token.accepted);
  EXPECT_EQ(token.text, "https://pages/?t=" + good);
}

TEST(WebToken, AfterFiveRequestsTheLastTextIsUsedAsReceived) {
  brindle::testing::CatalogueFixture f;
  f.context.web_token_prefix = "P";
  for (int i = 0; i < 5; ++i) f.reply({"1|ok|short" + std::to_string(i)});
  f.reply({"1|ok|" + std::string(40, 'x')});  // never asked for
  WebToken token;
  ASSERT_TRUE(fetch_web_token(f.session, token));
  EXPECT_EQ(f.transport.exchanges().size(), 5u);
  EXPECT_FALSE(token.accepted);
  EXPECT_EQ(token.text, "short4");
  EXPECT_TRUE(token.usable());
  EXPECT_FALSE((WebToken{"Error!", false, 5}).usable());
}

TEST(Balance, ReplacesTheAccountFigures) {
  brindle::testing::CatalogueFixture f;
  f.reply({"1|ok|10.5|20|300.25|3|5000"});
  AccountBalance balance;
  ASSERT_TRUE(fetch_balance(f.session, balance));
  EXPECT_DOUBLE_EQ(f.context.account_amount, 10.5);
  EXPECT_DOUBLE_EQ(f.context.frozen_amount, 20);
  EXPECT_DOUBLE_EQ(f.context.balance, 300.25);
  EXPECT_EQ(f.context.currency_code, 3);
  EXPECT_DOUBLE_EQ(f.context.credit, 5000);

  f.reply({"0|稍后再试"});
  const auto refused = fetch_balance(f.session, balance);
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error(), "稍后再试");
  EXPECT_DOUBLE_EQ(f.context.balance, 300.25);
}

TEST(RetrievePassword, SendsTheTypedUserName) {
  brindle::testing::CatalogueFixture f;
  f.reply({"1|密码已发送"});
  const auto outcome = retrieve_password(f.session, "forgetful");
  ASSERT_TRUE(outcome);
  EXPECT_EQ(outcome.value(), "密码已发送");
  EXPECT_NE(f.transport.exchanges().front().body.find("txtUserName=forgetful&"), std::string::npos);
}

TEST(StarMemberTerms, FourTextsAlsoKeptInTheContext) {
  brindle::testing::CatalogueFixture f;
  f.reply({"1|ok|10000|12000|1500|3"});
  StarMemberTerms terms;
  ASSERT_TRUE(fetch_star_member_terms(f.session, terms));
  EXPECT_EQ(terms.hkd_deposit, "12000");
  EXPECT_EQ(f.context.star_member_terms[3], "3");
}

TEST(Rooms, TenFieldsAndTheHeaderText) {
  std::vector<Room> rooms;
  std::string header;
  ASSERT_TRUE(parse_room_list(
      gbk_lines({"1|ok|房间说明", "owner|创建者|我的房间|1234|17|0|2|二号位|x|代理甲"}), header, rooms));
  EXPECT_EQ(header, "房间说明");
  ASSERT_EQ(rooms.size(), 1u);
  EXPECT_EQ(rooms[0].room_name, "我的房间");
  EXPECT_EQ(rooms[0].password, "1234");
  EXPECT_EQ(rooms[0].room_number, 17);
  EXPECT_EQ(rooms[0].position_id, 2);
  EXPECT_EQ(rooms[0].position_name, "二号位");
  EXPECT_EQ(rooms[0].agent_text, "代理甲");
}

TEST(PrivateMessages, BreaksBecomeCarriageReturnLineFeed) {
  std::vector<PrivateMessage> messages;
  ASSERT_TRUE(parse_private_messages(gbk_lines({"1|ok", "5|通知|你好<br>世界<br>|45352.75|x"}), messages));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].content, "你好\r\n世界\r\n");
  EXPECT_EQ(messages[0].sending_time, "2024-03-01 18:00");
}

struct RecordingQuestions final : QuestionInserter {
  void clear() override { order.clear(); }
  void insert_question(const Question& q) override { order.push_back("Q" + std::to_string(q.number)); }
  void insert_notice(const Question& q) override { order.push_back("N" + std::to_string(q.number)); }
  std::vector<std::string> order{"stale"};
};

TEST(Questions, NoticesAndQuestionsGoThroughTheirOwnInsertsInReplyOrder) {
  RecordingQuestions list;
  ASSERT_TRUE(
      parse_question_list(gbk_lines({"1|ok", "1|10|话题|问|答|客服", "0|11|公告|||", "2|12|||| "}), list));
  EXPECT_EQ(list.order, (std::vector<std::string>{"Q10", "N11", "Q12"}));

  RecordingQuestions untouched;
  EXPECT_FALSE(parse_question_list(gbk_lines({"0|no"}), untouched));
  EXPECT_EQ(untouched.order, (std::vector<std::string>{"stale"}));
}

TEST(CreatedRoom, PasswordAndCreationTime) {
  CreatedRoom room;
  ASSERT_TRUE(parse_created_room(gbk_lines({"1|ok|8842|45352.75"}), room));
  EXPECT_EQ(room.password, "8842");
  EXPECT_EQ(room.creation_time, "2024-03-01 18:00:00");
}

TEST(SevenIntegers, RowsInOrder) {
  std::vector<SevenIntegerRow> rows;
  ASSERT_TRUE(parse_seven_integer_list(gbk_lines({"1|ok", "1|2|3|4|5|6|7", "7|6"}), rows));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0], (SevenIntegerRow{1, 2, 3, 4, 5, 6, 7}));
  EXPECT_EQ(rows[1], (SevenIntegerRow{7, 6, 0, 0, 0, 0, 0}));
}

TEST(BetReplies, AccountFiguresAreStoredOnlyOnSuccess) {
  brindle::testing::CatalogueFixture f;
  f.context.balance = 1;
  f.reply({"0|赔率已改变"});
  const auto refused = place_bets(f.session, kPlaceBetsSubject, {{1, 0, 0.9}}, {{1, 10}});
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error(), "赔率已改变");
  EXPECT_DOUBLE_EQ(f.context.balance, 1);

  f.reply({"1|投注成功|990|10"});
  const auto placed = place_bets(f.session, kPlaceBetsSubject, {{1, 0, 0.9}}, {{1, 10}});
  ASSERT_TRUE(placed);
  EXPECT_EQ(placed.value(), "投注成功");
  EXPECT_DOUBLE_EQ(f.context.balance, 990);
  EXPECT_DOUBLE_EQ(f.context.frozen_amount, 10);
}

TEST(BetReplies, NoSelectionSendsNothing) {
  brindle::testing::CatalogueFixture f;
  EXPECT_FALSE(place_bets(f.session, kPlaceBetsSubject, {}, {{1, 10}}));
  std::vector<AsianHandicapRow> rows(2);
  EXPECT_FALSE(place_single_bet(f.session, rows, 2, notation::HandicapSide::kGiving, 10));
  std::string text;
  EXPECT_FALSE(open_market(f.session, 1, 100, {}, text));
  EXPECT_TRUE(f.transport.exchanges().empty());
}

TEST(BetReplies, ParlaysBeyondTenLegsOrWithTwoLegsOfOneMatchAreRefusedWithoutTraffic) {
  brindle::testing::CatalogueFixture f;
  struct Case {
    std::vector<SelectionEntry> selections;
    std::string refusal;  // empty: sent
  };
  std::vector<SelectionEntry> eleven;
  for (int i = 1; i <= 11; ++i) eleven.push_back({i, 1, 0.5, 100 + i});
  const std::vector<SelectionEntry> ten(eleven.begin(), eleven.begin() + 10);
  const Case cases[] = {
      {eleven, kTooManySelectionsMessage},
      {{{1, 1, 0.5, 7}, {2, 2, 0.5, 8}, {3, 4, 0.5, 7}}, kSameMatchMessage},
      {ten, ""},
      // Callers that do not know the match (0) are not held to it.
      {{{1, 1, 0.5, 0}, {2, 2, 0.5, 0}}, ""},
  };
  for (const auto& c : cases) {
    const std::size_t before = f.transport.exchanges().size();
    if (c.refusal.empty()) f.reply({"1|ok|990|10"});
    const auto outcome = place_bets(f.session, kPlaceBetsSubject, c.selections, {{1, 10}});
    if (c.refusal.empty()) {
      EXPECT_TRUE(outcome) << c.selections.size();
      EXPECT_EQ(f.transport.exchanges().size(), before + 1);
    } else {
      ASSERT_FALSE(outcome);
      EXPECT_EQ(outcome.error(), c.refusal);
      EXPECT_EQ(f.transport.exchanges().size(), before);
    }
  }
}

TEST(BetReplies, StakeNoFieldCanCarryIsRefusedWithoutTraffic) {
  brindle::testing::CatalogueFixture f;
  const std::vector<AsianHandicapRow> rows(1);
  for (const double stake : {1e30, 0x1p63, -1.0, std::nan(""), std::numeric_limits<double>::infinity()}) {
    const auto outcome = place_single_bet(f.session, rows, 0, notation::HandicapSide::kGiving, stake);
    ASSERT_FALSE(outcome) << stake;
    EXPECT_EQ(outcome.error(), kStakeOutOfRangeMessage);
  }
  EXPECT_TRUE(f.transport.exchanges().empty());
  EXPECT_EQ(opening_price_field(1e30), "9223372036854775807");
  EXPECT_EQ(opening_price_field(1.85), "0001850");
}

TEST(BetReplies, SingleFormPicksTheSideByTheColumnAndTheAwayGivesFlag) {
  AsianHandicapRow row;
  row.home_selection = 1;
  row.home_price = 0.8;
  row.away_selection = 2;
  row.away_price = 1.05;
  EXPECT_EQ(selection_of_column(row, notation::HandicapSide::kGiving).selection_number, 1);
  EXPECT_EQ(selection_of_column(row, notation::HandicapSide::kReceiving).selection_number, 2);
  row.away_gives = true;
  EXPECT_EQ(selection_of_column(row, notation::HandicapSide::kGiving).selection_number, 2);

  brindle::testing::CatalogueFixture f;
  f.context.room_number = 3;
  f.reply({"1|ok|1|2"});
  ASSERT_TRUE(place_single_bet(f.session, {row}, 0, notation::HandicapSide::kReceiving, 50.9));
  EXPECT_EQ(f.last_para(), "1|0000000001|00000800|1|00000001|000050|3");
}

TEST(BetReplies, CancellingReportsTheExchangeNotTheResultCode) {
  brindle::testing::CatalogueFixture f;
  f.reply({"0|已有投注，不能取消"});
  const auto outcome = cancel_opened_markets(f.session, 5);
  ASSERT_TRUE(outcome);
  EXPECT_EQ(outcome.value(), "已有投注，不能取消");
  f.transport.fail("timeout");
  EXPECT_FALSE(cancel_opened_markets(f.session, 5));
}

TEST(InPlayBets, DelayBetNumberAndTheDelayedConfirmation) {
  brindle::testing::CatalogueFixture f;
  f.reply({"1|ok|3"});
  ASSERT_TRUE(fetch_in_play_delay(f.session, 9001, 8));
  EXPECT_EQ(f.context.in_play_delay, 3);
  EXPECT_EQ(in_play_mode(true, 3), kInPlayModeDelayed);
  EXPECT_EQ(in_play_mode(true, 0), kInPlayModeImmediate);
  EXPECT_EQ(in_play_mode(false, 3), kInPlayModeImmediate);

  f.reply({"1|ok|900|100|4711"});
  ASSERT_TRUE(place_in_play_bet(f.session, 11, 0.95, 100, kInPlayModeDelayed));
  EXPECT_EQ(f.context.in_play_bet_number, 4711);
  EXPECT_DOUBLE_EQ(f.context.balance, 900);

  // An answer of 0 asks for the bet's own follow-up, whose answer is the bet's status.
  f.reply({"1|ok|0"});
  f.reply({"1|ok|1"});
  int status = -1;
  ASSERT_TRUE(confirm_delayed_in_play_bet(f.session, {4711, 9001, 8, 3, 4}, &status));
  EXPECT_EQ(f.context.in_play_confirmation, 0);
  EXPECT_EQ(status, kInPlayBetRefused);
  ASSERT_EQ(f.transport.exchanges().size(), 4u);
  EXPECT_NE(f.transport.exchanges()[2].body.find("txtSubjectID=3022&"), std::string::npos);
  EXPECT_EQ(f.last_para(), "4711|9001|8");

  // Any other answer, a failed 3022, or the flag: no 3018.
  f.reply({"1|ok|2"});
  ASSERT_TRUE(confirm_delayed_in_play_bet(f.session, {4711, 9001, 8, 3, 4}, &status));
  EXPECT_EQ(status, 2);
  f.reply({"0|busy"});
  EXPECT_FALSE(confirm_delayed_in_play_bet(f.session, {4711, 9001, 8, 3, 4}));
  f.context.in_play_follow_up_off = true;
  f.reply({"1|ok|0"});
  ASSERT_TRUE(confirm_delayed_in_play_bet(f.session, {4711, 9001, 8, 3, 4}));
  EXPECT_EQ(f.transport.exchanges().size(), 7u);
}

}  // namespace
