// Taking bets, settling them and reading them back through the subjects, with the replies read in
// the client's field orders.

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bet_fixture.h"
#include "server/accounts/ledger.h"
#include "server/betting/bet_taking.h"
#include "server/betting/match_settlement.h"
#include "server/http/http_listener.h"
#include "server/http/router.h"
#include "server/http/tls_certificate.h"
#include "server/market/market.h"
#include "server/market/match_result.h"
#include "support/test_client.h"
#include "wire/gbk.h"

namespace {

using brindle::testing::bet_form;
using brindle::testing::BetFixture;
using brindle::testing::eight;
using brindle::testing::fields_of;
using brindle::testing::six;
using brindle::testing::ten;
namespace accounts = brindle::server::accounts;
namespace betting = brindle::server::betting;
namespace market = brindle::server::market;

class BetSubjects : public BetFixture {
 protected:
  void SetUp() override {
    BetFixture::SetUp();
    rich_ = add_account("rich", 100000);  // 1000.00
    match_ = add_match();
    home_ = add_line(match_, 0, 3, 950);  // home gives half a goal
    away_ = add_line(match_, 0, -3, 950);
  }
  std::int64_t rich_ = 0;
  int match_ = 0;
  int home_ = 0;
  int away_ = 0;
};

TEST_F(BetSubjects, RefusalsExplainAndDebitNothing) {
  add_account("frozen", 100000, true);
  add_account("nocredit", 0, false, true);
  const int suspended = add_line(match_, 3, 11, 900, 2);
  const int started_match = add_match();
  sql("UPDATE market_matches SET kickoff = kickoff - 7200 WHERE id = " + std::to_string(started_match));
  const int started = add_line(started_match, 0, 1, 900);
  const int solo = add_match(false);
  const int solo_line = add_line(solo, 0, 1, 900);
  const int other = add_match();
  const int other_line = add_line(other, 0, 1, 900);
  const int live = add_match(true, true);
  const int live_line = add_line(live, 8, 1, 900);
  const int event = add_event();
  const int winner = add_outright_selection(event, 1, 3000);
  std::vector<int> eleven;
  for (int i = 0; i < 11; ++i) eleven.push_back(add_line(add_match(), 0, 1, 900));

  struct Row {
    const char* user;
    int subject;
    std::string para;
    std::string_view message;
  };
  const std::vector<Row> rows = {
      {"rich", 3010, bet_form({home_}, {950}, 1, 0), accounts::kBadStakeText},
      {"rich", 3010, bet_form({home_}, {950}, 1, 1001), accounts::kNotEnoughBalanceText},
      {"rich", 3010, bet_form({home_}, {940}, 1, 10), betting::kOddsChangedText},
      {"rich", 3010, bet_form({suspended}, {900}, 1, 10), market::kLineSuspendedText},
      {"rich", 3010, bet_form({started}, {900}, 1, 10), market::kMatchStartedText},
      {"rich", 3010, bet_form({123456}, {900}, 1, 10), betting::kUnknownSelectionText},
      {"rich", 3010, bet_form({home_, away_}, {950, 950}, 2, 10), betting::kSameMatchText},
      {"rich", 3010, bet_form({home_, solo_line}, {950, 900}, 2, 10), betting::kNotInParlayText},
      {"rich", 3010, bet_form({home_, other_line}, {950, 900}, 4, 10), betting::kBadCombinationText},
      {"rich", 3010, bet_form(eleven, std::vector<int>(11, 900), 1, 10), betting::kTooManySelectionsText},
      {"rich", 3010, bet_form({live_line}, {900}, 1, 10), betting::kUseInPlayTicketText},
      {"rich", 3010, bet_form({winner}, {3000}, 1, 10), betting::kUseOutrightTicketText},
      {"rich", 3050, bet_form({home_}, {950}, 1, 10), betting::kNotOutrightText},
      {"frozen", 3010, bet_form({home_}, {950}, 1, 10), accounts::kAccountFrozenText},
      {"nocredit", 3010, bet_form({home_}, {950}, 1, 10), accounts::kNoCurrencyText},
      {"rich", 3010, "1|" + ten(home_) + "|" + eight(950) + "|1|00000001|000010", betting::kMalformedBetText},
      {"rich", 3010, "1|" + ten(home_) + "|950|1|00000001|000010|0", betting::kMalformedBetText},
      {"rich", 3010, "1|" + ten(home_) + "|" + eight(950) + "|1|00000001|-00010|0",
       betting::kMalformedBetText},
      {"rich", 3010, "1|abcdefghij|" + eight(950) + "|1|00000001|000010|0", betting::kMalformedBetText},
      {"rich", 3010, "1|' OR 1=1 --|" + eight(950) + "|1|00000001|000010|0", betting::kMalformedBetText},
      {"rich", 3010, "99999999999999999999|x|y|1|00000001|000010|0", betting::kMalformedBetText},
      {"rich", 3010, "0|||1|00000001|000010|0", betting::kNoSelectionText},
      {"rich", 3010, "", betting::kMalformedBetText},
  };
  for (const auto& row : rows) {
    auto reply = single(row.subject, row.user, row.para);
    EXPECT_FALSE(reply.success()) << row.para;
    EXPECT_EQ(reply.message(), std::string(row.message)) << row.para;
  }
  // A disabled outright selection is refused by the outright ticket.
  const int disabled = add_outright_selection(event, 2, 2000, true);
  auto reply = single(3050, "rich", bet_form({disabled}, {2000}, 1, 10));
  EXPECT_EQ(reply.message(), std::string(market::kSelectionDisabledText));

  EXPECT_EQ(balances_of(rich_).available, 100000);
  EXPECT_EQ(balances_of(rich_).frozen, 0);
  EXPECT_EQ(list(4054, "rich", "").row_count(), 0U);
  EXPECT_EQ(list(4029, "rich", "").row_count(), 0U);
}

TEST_F(BetSubjects, WrongPasswordIsRefusedBeforeAnyBet) {
  const std::string body = "txtLanguage=1&txtSubjectID=3010&txtUserName=rich&txtPwd=nope&txtPara=" +
                           bet_form({home_}, {950}, 1, 10);
  const auto gbk = dispatcher_->dispatch("DATA_TRANS", body).to_gbk();
  EXPECT_NE(gbk.rfind("1|", 0), 0U);
  EXPECT_EQ(balances_of(rich_).frozen, 0);
}

TEST_F(BetSubjects, SingleBetRepliesAndRecordsInTheClientsFieldOrder) {
  auto placed = single(3010, "rich", bet_form({away_}, {950}, 1, 100));
  ASSERT_TRUE(placed.success()) << placed.message();
  EXPECT_EQ(placed.fields().decimal(), 900.0);  // balance
  EXPECT_EQ(placed.fields().decimal(), 100.0);  // frozen amount

  auto open = list(4054, "rich", "");
  ASSERT_TRUE(open.success());
  ASSERT_EQ(open.row_count(), 1U);
  const auto f = fields_of(open, 0, 18);
  EXPECT_EQ(f[1], "1");                                 // legs
  EXPECT_EQ(f[2], "100.00");                            // stake
  EXPECT_GT(brindle::wire::to_decimal(f[4]), 40000.0);  // an OLE date
  EXPECT_EQ(f[7], "-3");                                // choice
  EXPECT_EQ(f[9], "主队" + std::to_string(match_));
  EXPECT_EQ(f[10], "客队" + std::to_string(match_));
  EXPECT_EQ(f[13], "0");   // market type
  EXPECT_EQ(f[14], "-3");  // line code
  EXPECT_EQ(f[15], "0.950");
  EXPECT_EQ(f[16], "0");  // 成功
  EXPECT_EQ(f[17], "");   // nothing after the seventeenth field

  EXPECT_EQ(finish(match_, 1, 1), 1);  // the away side receiving half a goal wins on a draw
  EXPECT_EQ(balances_of(rich_).available, 100000 + 9500);
  EXPECT_EQ(balances_of(rich_).frozen, 0);
  EXPECT_EQ(list(4054, "rich", "").row_count(), 0U);
  auto done = list(4015, "rich", range_today());
  ASSERT_TRUE(done.success()) << done.message();
  ASSERT_EQ(done.row_count(), 1U);
  const auto s = fields_of(done, 0, 20);
  EXPECT_EQ(s[2], "100.00");
  EXPECT_EQ(s[7], "95.00");  // won
  EXPECT_EQ(s[8], "0");      // 有效
  EXPECT_EQ(s[16], "0");
  EXPECT_EQ(s[17], "-3");
  EXPECT_EQ(s[18], "0.950");
  EXPECT_EQ(s[19], "1:1");
}

TEST_F(BetSubjects, OverPlainHttpTheEndpointTakesNoBet) {
  namespace server = brindle::server;
  auto certificate = server::ensure_certificate(dir_.path());
  ASSERT_TRUE(certificate.ok()) << certificate.error();
  auto listener = server::HttpListener::bind("127.0.0.1", 0, certificate.value(), {});
  ASSERT_TRUE(listener.ok()) << listener.error();
  const std::shared_ptr<const server::Dispatcher> dispatcher(std::shared_ptr<void>{}, dispatcher_.get());
  listener.value()->start(
      std::make_shared<const server::Router>(dispatcher, services_.config, listener.value()->host()));
  const unsigned short port = listener.value()->port();
  const std::string target = "/betengine/VTServer220.dll?DATA_TRANS";
  const std::string body = "txtLanguage=1&txtSubjectID=3010&txtUserName=rich&txtPwd=pw&txtPara=" +
                           bet_form({away_}, {950}, 1, 100);

  auto refused = brindle::testing::TestConnection::plain(port).post(target, body);
  EXPECT_EQ(refused.status, 403u);
  EXPECT_EQ(brindle::wire::gbk_to_utf8(refused.body), server::kHttpsOnlyText);
  EXPECT_EQ(balances_of(rich_).available, 100000);
  EXPECT_EQ(balances_of(rich_).frozen, 0);
  EXPECT_EQ(list(4054, "rich", "").row_count(), 0U);

  // The same request over TLS is taken: the refusal was the channel's alone.
  auto taken = brindle::testing::TestConnection::tls(port).post(target, body);
  EXPECT_EQ(taken.status, 200u);
  EXPECT_TRUE(taken.body.starts_with("1|")) << brindle::wire::gbk_to_utf8(taken.body);
  EXPECT_EQ(balances_of(rich_).available, 90000);
}

TEST_F(BetSubjects, SettlingTwiceMovesMoneyOnce) {
  ASSERT_TRUE(single(3010, "rich", bet_form({home_}, {950}, 1, 200)).success());
  EXPECT_EQ(finish(match_, 0, 2), 1);
  EXPECT_EQ(brindle::server::betting::settle_match(*services_.db, match_).value().settled, 0);
  EXPECT_EQ(balances_of(rich_).available, 80000);
  auto check = services_.db->read([](auto& c) { return accounts::check_ledger(c); });
  ASSERT_TRUE(check.ok());
  EXPECT_TRUE(check.value().empty());
}

TEST_F(BetSubjects, TwoClientsBettingTheWholeBalanceAtOnceOneWins) {
  for (int round = 0; round < 5; ++round) {
    const std::string name = "twin" + std::to_string(round);
    const auto id = add_account(name, 5000);
    std::atomic<int> accepted = 0;
    std::atomic<bool> go = false;
    std::vector<std::thread> clients;
    for (int i = 0; i < 2; ++i) {
      clients.emplace_back([&, i] {
        while (!go.load()) std::this_thread::yield();
        if (single(3010, name, bet_form({i == 0 ? home_ : away_}, {950}, 1, 50)).success()) ++accepted;
      });
    }
    go = true;
    for (auto& c : clients) c.join();
    EXPECT_EQ(accepted.load(), 1);
    EXPECT_EQ(balances_of(id).available, 0);
    EXPECT_EQ(balances_of(id).frozen, 5000);
  }
}

TEST_F(BetSubjects, ParlayWithHalfWinAndPushLegsSettlesEndToEnd) {
  const int quarter = add_line(add_match(), 0, 4, 900);  // home gives 0.5/1
  const int totals_match = add_match();
  const int totals = add_line(totals_match, 3, 9, 800);  // over 2
  const int one_x_two_match = add_match();
  const int draw = add_line(one_x_two_match, 1, 2, 2000);                         // the draw
  std::string para = bet_form({quarter, totals, draw}, {900, 800, 2000}, 4, 10);  // one treble at 10
  auto placed = single(3010, "rich", para);
  ASSERT_TRUE(placed.success()) << placed.message();
  EXPECT_EQ(balances_of(rich_).frozen, 1000);

  // Settled leg by leg: the bet stays open until its last match.
  auto open = list(4029, "rich", "");
  ASSERT_TRUE(open.success());
  ASSERT_EQ(open.row_count(), 4U);  // the group line and three legs
  const auto group = fields_of(open, 0, 6);
  EXPECT_EQ(group[1], "3");
  EXPECT_EQ(group[2], "10.00");
  EXPECT_EQ(group[3], "4");
  const auto first_leg = fields_of(open, 1, 11);
  EXPECT_EQ(first_leg[0], group[0]);
  EXPECT_EQ(first_leg[8], "0");
  EXPECT_EQ(first_leg[9], "4");
  EXPECT_EQ(first_leg[10], "0.900");

  const auto legs_before = balances_of(rich_);
  EXPECT_EQ(finish(totals_match, 1, 1), 0);  // push
  EXPECT_EQ(balances_of(rich_), legs_before);
  EXPECT_EQ(finish(one_x_two_match, 0, 0), 0);  // win at 2.0
  auto quarter_quote = services_.market->quote(quarter);
  ASSERT_TRUE(quarter_quote.has_value());
  EXPECT_EQ(finish(quarter_quote->match_id, 1, 0), 1);  // half win at 0.9

  // 10 × 1.45 × 1 × 3 = 43.50
  EXPECT_EQ(balances_of(rich_).available, 100000 - 1000 + 4350);
  EXPECT_EQ(balances_of(rich_).frozen, 0);
  auto settled = list(4030, "rich", range_today());
  ASSERT_TRUE(settled.success());
  ASSERT_EQ(settled.row_count(), 4U);
  const auto head = fields_of(settled, 0, 9);
  EXPECT_EQ(head[7], "33.50");
  EXPECT_EQ(head[8], "0");
  EXPECT_EQ(fields_of(settled, 1, 12)[11], "赢一半");
  EXPECT_EQ(fields_of(settled, 2, 12)[11], "平");
  EXPECT_EQ(fields_of(settled, 3, 12)[11], "赢");
}

TEST_F(BetSubjects, CombinationEntriesAreBetsOfTheirOwn) {
  const int a = add_line(add_match(), 1, 1, 1000);
  const int b = add_line(add_match(), 1, 1, 1000);
  const int c = add_line(add_match(), 1, 1, 1000);
  const std::string para = "3|" + ten(a) + ten(b) + ten(c) + "|" + eight(1000) + eight(1000) + eight(1000) +
                           "|2|" + eight(2) + eight(4) + "|" + six(10) + six(20) + "|0";
  ASSERT_TRUE(single(3010, "rich", para).success());
  EXPECT_EQ(balances_of(rich_).frozen, 3 * 1000 + 2000);  // three doubles at 10, one treble at 20
  EXPECT_EQ(list(4029, "rich", "").row_count(), 8U);
}

TEST_F(BetSubjects, OutrightSinglesAndTheirRecords) {
  const int event = add_event();
  const int first = add_outright_selection(event, 1, 3000);
  const int second = add_outright_selection(event, 2, 5000);
  ASSERT_TRUE(single(3050, "rich", bet_form({first, second}, {3000, 5000}, 1, 10)).success());
  EXPECT_EQ(balances_of(rich_).frozen, 2000);
  EXPECT_FALSE(single(3050, "rich", bet_form({first, second}, {3000, 5000}, 2, 10)).success());
  auto open = list(4050, "rich", "");
  ASSERT_EQ(open.row_count(), 3U);
  EXPECT_EQ(fields_of(open, 1, 11)[5], "球队1");
  EXPECT_EQ(fields_of(open, 1, 11)[4], "测试杯赛 冠军" + std::to_string(event));  // with its league

  auto posted = market::post_result(*services_.db, event, 2, 0);
  ASSERT_TRUE(posted.ok()) << posted.error();
  ASSERT_EQ(brindle::server::betting::settle_match(*services_.db, event).value().settled, 1);
  EXPECT_EQ(balances_of(rich_).available, 100000 - 2000 + 6000);  // 10 on place 2 at 5.0
  auto settled = list(4051, "rich", range_today());
  ASSERT_EQ(settled.row_count(), 3U);
  EXPECT_EQ(fields_of(settled, 1, 14)[13], "输");
  EXPECT_EQ(fields_of(settled, 2, 14)[13], "赢");
}

// A basketball side market's place says nothing of the winner: its bets get their stakes back.
TEST_F(BetSubjects, OutrightSideMarketsReturnTheStakeWhenTheWinnerIsPosted) {
  const int event = add_event();
  add_outright_selection(event, 2, 3000);
  const int even = add_outright_selection(event, 2, 900, false, 7);
  ASSERT_TRUE(single(3050, "rich", bet_form({even}, {900}, 1, 10)).success());
  ASSERT_TRUE(market::post_result(*services_.db, event, 2, 0).ok());
  ASSERT_EQ(brindle::server::betting::settle_match(*services_.db, event).value().settled, 1);
  EXPECT_EQ(balances_of(rich_).available, 100000);
}

// Settlement pays at most storage::kMaxAmount for one bet, so a bet that could win more is refused
// when it is placed: at the limit to the cent, over every combination summed, debiting nothing.
TEST_F(BetSubjects, ABetThatCouldReturnMoreThanTheLargestAmountIsRefused) {
  const auto whale = add_account("whale", 20'000'000'000);
  const int long_shot = add_line(add_match(), 1, 1, 99'999'000);  // × 100 000
  std::vector<int> hundreds;                                      // × 100 each
  for (int i = 0; i < 3; ++i) hundreds.push_back(add_line(add_match(), 1, 1, 99'000));
  std::vector<int> elevens;  // × 11 each
  for (int i = 0; i < 5; ++i) elevens.push_back(add_line(add_match(), 1, 1, 10'000));
  const int outsider = add_outright_selection(add_event(), 1, 99'999'000);
  const std::vector<int> at_99(3, 99'000);

  struct Row {
    const char* what;
    int subject;
    std::string para;
    std::int64_t frozen;  // 0: refused
  };
  const std::vector<Row> rows = {
      {"single returning the limit", 3010, bet_form({long_shot}, {99'999'000}, 1, 100'000), 10'000'000},
      {"single a unit over", 3010, bet_form({long_shot}, {99'999'000}, 1, 100'001), 0},
      {"treble returning the limit", 3010, bet_form(hundreds, at_99, 4, 10'000), 1'000'000},
      {"treble a unit over", 3010, bet_form(hundreds, at_99, 4, 10'001), 0},
      // Each combination alone is below the limit; the doubles and the treble together are not.
      {"doubles and treble under", 3010, bet_form(hundreds, at_99, 6, 9'708), 4 * 970'800},
      {"doubles and treble over", 3010, bet_form(hundreds, at_99, 6, 9'709), 0},
      {"five-fold at 10, largest stake", 3010, bet_form(elevens, std::vector<int>(5, 10'000), 16, 999'999),
       0},
      {"outright returning the limit", 3050, bet_form({outsider}, {99'999'000}, 1, 100'000), 10'000'000},
      {"outright a unit over", 3050, bet_form({outsider}, {99'999'000}, 1, 100'001), 0},
  };
  for (const auto& row : rows) {
    const auto before = balances_of(whale);
    const auto bets_before = list(4054, "whale", "").row_count() + list(4029, "whale", "").row_count() +
                             list(4050, "whale", "").row_count();
    auto reply = single(row.subject, "whale", row.para);
    const auto after = balances_of(whale);
    const auto bets_after = list(4054, "whale", "").row_count() + list(4029, "whale", "").row_count() +
                            list(4050, "whale", "").row_count();
    if (row.frozen > 0) {
      EXPECT_TRUE(reply.success()) << row.what << ": " << reply.message();
      EXPECT_EQ(after.frozen - before.frozen, row.frozen) << row.what;
      EXPECT_GT(bets_after, bets_before) << row.what;
    } else {
      EXPECT_FALSE(reply.success()) << row.what;
      EXPECT_EQ(reply.message(), std::string(betting::kReturnTooLargeText)) << row.what;
      EXPECT_EQ(after, before) << row.what;
      EXPECT_EQ(bets_after, bets_before) << row.what;
    }
  }
}

TEST_F(BetSubjects, RecordRangesAreChecked) {
  EXPECT_FALSE(list(4015, "rich", "2024|x").success());
  EXPECT_FALSE(list(4030, "rich", "20240102000000|20240101000000").success());
  EXPECT_TRUE(list(4051, "rich", "20240101000000|20240102000000").success());
}

class InPlayBets : public BetFixture {
 protected:
  void SetUp() override {
    BetFixture::SetUp();
    account_ = add_account("live", 100000);
    match_ = add_match(false, true);
    set_score(match_, 1, 0);
    line_ = add_line(match_, 8, 1, 900);  // home level from here
  }
  std::string in_play(int price_milli, const char* stake, int mode) {
    return std::to_string(line_) + "|" + std::to_string(price_milli / 1000) + "." +
           std::to_string(price_milli % 1000) + "000|" + stake + "|" + std::to_string(mode);
  }
  std::int64_t account_ = 0;
  int match_ = 0;
  int line_ = 0;
};

TEST_F(InPlayBets, WithoutADelayTheBetIsTakenAtOnceAndCountsGoalsAfterIt) {
  auto delay = single(3016, "live", std::to_string(match_) + "|8");
  ASSERT_TRUE(delay.success()) << delay.message();
  EXPECT_EQ(delay.fields().integer(), 0);
  auto placed = single(3020, "live", in_play(900, "100.000000", 0));
  ASSERT_TRUE(placed.success()) << placed.message();
  EXPECT_EQ(placed.fields().decimal(), 900.0);
  EXPECT_EQ(placed.fields().decimal(), 100.0);
  EXPECT_GT(placed.fields().integer(), 0);
  // 1:0 at the bet, 2:1 at the end: 1:1 after it, a push.
  EXPECT_EQ(finish(match_, 2, 1), 1);
  EXPECT_EQ(balances_of(account_).available, 100000);
  EXPECT_EQ(balances_of(account_).frozen, 0);
}

TEST_F(InPlayBets, ADelayedBetIsJudgedAgainstTheLineWhenTheDelayHasRunOut) {
  set_delays(match_, 5, 5);
  auto delay = single(3016, "live", std::to_string(match_) + "|8");
  ASSERT_EQ(delay.fields().integer(), 5);
  EXPECT_EQ(single(3020, "live", in_play(900, "100.000000", 0)).message(),
            std::string(betting::kDelayRequiredText));

  auto placed = single(3020, "live", in_play(900, "100.000000", 2));
  ASSERT_TRUE(placed.success()) << placed.message();
  (void)placed.fields().decimal();
  (void)placed.fields().decimal();
  const int serial = placed.fields().integer();
  EXPECT_EQ(balances_of(account_).frozen, 0);  // nothing held while it waits
  auto early = single(3022, "live", std::to_string(match_) + "|8");
  ASSERT_TRUE(early.success());
  EXPECT_EQ(early.fields().integer(), 2);                        // still waiting
  EXPECT_EQ(fields_of(list(4054, "live", ""), 0, 17)[16], "2");  // 待定

  advance_clock(6);
  auto confirmed = single(3022, "live", std::to_string(match_) + "|8");
  EXPECT_EQ(confirmed.fields().integer(), 0);
  auto follow = single(3018, "live", std::to_string(serial) + "|" + std::to_string(match_) + "|8");
  EXPECT_TRUE(follow.success());
  EXPECT_EQ(balances_of(account_).frozen, 10000);

  // The next one sees the line move during its delay and is refused, debiting nothing.
  auto second = single(3020, "live", in_play(900, "50.000000", 2));
  ASSERT_TRUE(second.success());
  set_line(line_, 3, 950);
  advance_clock(6);
  EXPECT_EQ(single(3022, "live", std::to_string(match_) + "|8").fields().integer(), 1);
  EXPECT_EQ(balances_of(account_).frozen, 10000);
  EXPECT_EQ(balances_of(account_).available, 90000);
}

TEST_F(InPlayBets, ABetThatCouldReturnMoreThanTheLargestAmountIsRefused) {
  const auto whale = add_account("whale", 20'000'000'000);
  line_ = add_line(match_, 8, 1, 99'000);  // × 100
  struct Row {
    const char* stake;
    int mode;
    bool taken;
  };
  const std::vector<Row> rows = {
      {"100000000.000000", 0, true},  // returns the limit exactly
      {"100000000.010000", 0, false},
      {"100000000.010000", 2, false},  // refused before it waits out a delay too
  };
  for (const auto& row : rows) {
    if (row.mode == 2) set_delays(match_, 5, 5);
    const auto before = balances_of(whale);
    const auto bets_before = list(4054, "whale", "").row_count();
    auto reply = single(3020, "whale", in_play(99'000, row.stake, row.mode));
    EXPECT_EQ(reply.success(), row.taken) << row.stake << ": " << reply.message();
    if (row.taken) {
      EXPECT_EQ(balances_of(whale).frozen, before.frozen + 10'000'000'000) << row.stake;
    } else {
      EXPECT_EQ(reply.message(), std::string(betting::kReturnTooLargeText)) << row.stake;
      EXPECT_EQ(balances_of(whale), before) << row.stake;
      EXPECT_EQ(list(4054, "whale", "").row_count(), bets_before) << row.stake;
    }
  }
}

TEST_F(InPlayBets, MalformedInPlayRequestsAreRefused) {
  const std::vector<std::string> refused = {in_play(900, "0.000000", 0),
                                            in_play(900, "-5.000000", 0),
                                            in_play(900, "abc", 0),
                                            in_play(900, "100.000000", 1),
                                            std::to_string(line_) + "|0.9x|100|0",
                                            "1|2|3",
                                            in_play(900, "100000000000000.000000", 0)};
  for (const auto& para : refused) EXPECT_FALSE(single(3020, "live", para).success()) << para;
  EXPECT_FALSE(single(3016, "live", std::to_string(match_) + "|0").success());
  EXPECT_FALSE(single(3018, "live", "999|1|8").success());
  EXPECT_EQ(balances_of(account_).frozen, 0);
  EXPECT_EQ(balances_of(account_).available, 100000);
}

}  // namespace
