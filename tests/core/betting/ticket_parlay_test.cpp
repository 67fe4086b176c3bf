// The parlay ticket as a flow over scripted windows and server: legs and their refusals, the types
// list, stakes and totals, the leg check after a refresh, "玩法选择" and the bet.

#include <gtest/gtest.h>

#include <deque>

#include "core/betting/parlay_hall.h"
#include "core/betting/parlay_ticket.h"
#include "core/net/client_context.h"
#include "core/notation/bet_choice.h"
#include "hall_fixture.h"

namespace {

using namespace brindle;
using namespace brindle::betting;
using brindle::testing::kFirstDay;
using brindle::testing::match_line;
using brindle::testing::odds_line;
using brindle::testing::ScriptedParlayWindows;

// Answers questions from a script (OK once it runs out) and keeps every text.
struct ScriptedMessages final : ports::MessagePort {
  int show_message(const std::string& text, bool offer_cancel) override {
    texts.push_back(text);
    if (!offer_cancel || answers.empty()) return ok;
    const int next = answers.front();
    answers.pop_front();
    return next;
  }
  std::deque<int> answers;
  std::vector<std::string> texts;
};

protocol::ParlaySelection leg(int match, double price, int selection = 0, int code = 1,
                              const std::string& date = "2024-03-01") {
  protocol::ParlaySelection s;
  s.match_number = match;
  s.market_type = 1;
  s.selection_number = selection == 0 ? match * 10 : selection;
  s.line_code = code;
  s.home_team = "主" + std::to_string(match);
  s.away_team = "客" + std::to_string(match);
  s.kick_off_date = date;
  s.price = price;
  return s;
}

// A 4028 row: match, type, selection, line code, price, target.
std::string fresh_line(int match, int selection, int code, const std::string& price, int type = 1) {
  return std::to_string(match) + "|" + std::to_string(type) + "|" + std::to_string(selection) + "|" +
         std::to_string(code) + "|" + price + "|190";
}

struct ParlayFixture : brindle::testing::HallFixture {
  ScriptedMessages texts;
  ScriptedParlayWindows parlay_windows;
  ParlayTicket ticket{{session, texts, frame, parlay_windows}};

  void add_legs(int n, double price = 0.5) {
    for (int i = 1; i <= n; ++i) ASSERT_TRUE(ticket.add_leg(leg(i, price)));
  }
  std::vector<std::string> type_names() const {
    std::vector<std::string> names;
    for (std::size_t r = 0; r < ticket.types().size(); ++r) names.push_back(ticket.type_name(r));
    return names;
  }
  std::vector<int> stakes() const {
    std::vector<int> out;
    for (const auto& t : ticket.types()) out.push_back(t.stake);
    return out;
  }
};

TEST(ParlayQuote, TotalsAndTheOverLimitMark) {
  struct Case {
    std::vector<double> prices;
    std::vector<protocol::ParlayTypeEntry> types;
    std::string stake_line;
    std::string payout_line;
    bool over_limit;
  };
  const Case cases[] = {
      {{0.9, 0.8}, {{2, 100}}, "总投注彩金：100 元", "理论最高派彩：242.00", false},
      // 三串四: the three doubles and the treble.
      {{0.5, 0.5, 0.5}, {{6, 10}}, "总投注彩金：40 元", "理论最高派彩：61.25", false},
      // A row without a stake counts nothing.
      {{0.5, 0.5, 0.5}, {{4, 0}, {2, 0}, {7, 0}}, "总投注彩金：0 元", "理论最高派彩：0.00", false},
      // 1.9 × 1.8 × 200000 pays 684000 on one combination.
      {{0.9, 0.8}, {{2, 200000}}, "总投注彩金：200000 元", "理论最高派彩：484000.00", true},
      {{}, {}, "总投注彩金：0 元", "理论最高派彩：0.00", false},
  };
  for (const auto& c : cases) {
    const auto quote = quote_parlay(c.prices, c.types, "元");
    EXPECT_EQ(quote.stake_line, c.stake_line);
    EXPECT_EQ(quote.payout_line, c.payout_line);
    EXPECT_EQ(quote.over_limit, c.over_limit) << c.payout_line;
  }
}

TEST(ParlayTicket, TypesListFollowsTheLegCount) {
  struct Case {
    int legs;
    std::vector<std::string> names;
    std::vector<int> masks;
  };
  const Case cases[] = {
      {1, {"单式投注"}, {1}},
      {2, {"二串一", "二串三"}, {2, 3}},
      {3, {"三串一", "三串三", "三串七"}, {4, 2, 7}},
      {6,
       {"六串一", "六串六", "六串十五(四关)", "六串二十", "六串十五(对关)", "六串六十三"},
       {32, 16, 8, 4, 2, 63}},
      {7, {"七串一"}, {64}},
      {10, {"十串一"}, {512}},
  };
  for (const auto& c : cases) {
    ParlayFixture f;
    f.add_legs(c.legs);
    EXPECT_EQ(f.type_names(), c.names) << c.legs;
    std::vector<int> masks;
    for (const auto& t : f.ticket.types()) masks.push_back(t.combination_mask);
    EXPECT_EQ(masks, c.masks);
  }
}

TEST(ParlayTicket, LegRefusalsInTheirOrderWithTheLastMessageShown) {
  struct Case {
    const char* name;
    protocol::ParlaySelection candidate;
    int held;
    std::string message;  // empty: accepted
  };
  // Held legs are matches 1.. with teams 主n/客n on 2024-03-01.
  auto fixture_of_two = leg(99, 0.5);
  fixture_of_two.home_team = "主2";
  fixture_of_two.away_team = "客2";
  auto same_number_fixture_of_three = leg(1, 0.5);
  same_number_fixture_of_three.home_team = "主3";
  same_number_fixture_of_three.away_team = "客3";
  const Case cases[] = {
      {"eleventh", leg(11, 0.5), 10, "在一次过关中，最多只能选择十场比赛..."},
      {"eleventh duplicating a match", leg(1, 0.5), 10, "在一次过关中，最多只能选择十场比赛..."},
      // The same match is also the same teams and date: the later check's message is shown.
      {"draw beside the home win", leg(2, 0.5, 0, 2), 3, "在一次过关中，您不能投注于同一场比赛...."},
      {"same number, other teams",
       [] {
         auto l = leg(2, 0.5, 0, 2);
         l.home_team = "别队";
         return l;
       }(),
       3, "在一次过关中，您不能投注于同一场比赛..."},
      {"same teams and date", fixture_of_two, 3, "在一次过关中，您不能投注于同一场比赛...."},
      {"number of leg 1, fixture of leg 3: the later wins", same_number_fixture_of_three, 3,
       "在一次过关中，您不能投注于同一场比赛...."},
      {"same teams, another day", leg(2, 0.5, 0, 1, "2024-03-08"), 1, ""},
      {"tenth", leg(10, 0.5), 9, ""},
  };
  for (const auto& c : cases) {
    ParlayFixture f;
    f.add_legs(c.held);
    auto candidate = c.candidate;
    if (c.message.empty() && candidate.match_number == 2) candidate.match_number = 42;
    EXPECT_EQ(f.ticket.add_leg(candidate), c.message.empty()) << c.name;
    EXPECT_EQ(f.texts.texts,
              c.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.message})
        << c.name;
    EXPECT_EQ(f.ticket.legs().size(), static_cast<std::size_t>(c.held) + (c.message.empty() ? 1 : 0))
        << c.name;
  }
}

TEST(ParlayTicket, StakeEditsAgainstTheLimit) {
  struct Case {
    std::string typed;
    int stake;  // after the edit, the row held 50 before
    std::vector<std::string> messages;
  };
  const Case cases[] = {
      {"200000", 200000, {}},  // 2.25 × 200000 on each double stays below the payout limit
      {"200001", 50, {"单注彩金不能超过200000！"}},
      {"99999999999999999999", 50, {"单注彩金不能超过200000！"}},
      {"-5", 50, {}},
      {"50", 50, {}},
      {"abc", 0, {}},  // read as an integer: no leading digits is 0
      {"", 0, {}},
      {"12abc", 12, {}},
      {"0", 0, {}},
      {" 70 ", 70, {}},
  };
  for (const auto& c : cases) {
    ParlayFixture f;
    f.add_legs(3);
    f.ticket.edit_stake(1, "50");
    ASSERT_EQ(f.ticket.stake_line(), "总投注彩金：150 元");
    f.ticket.edit_stake(1, c.typed);
    EXPECT_EQ(f.stakes(), (std::vector<int>{0, c.stake, 0})) << c.typed;
    EXPECT_EQ(f.texts.texts, c.messages) << c.typed;
  }
  ParlayFixture f;
  f.add_legs(2);
  f.ticket.edit_stake(5, "10");  // no such row
  EXPECT_EQ(f.stakes(), (std::vector<int>{0, 0}));
}

TEST(ParlayTicket, AddingOrRemovingALegRebuildsTheTypesWithStakesZero) {
  ParlayFixture f;
  f.add_legs(6);
  f.ticket.edit_stake(0, "100");
  EXPECT_NE(f.ticket.payout_line(), kZeroPayoutLine);
  ASSERT_TRUE(f.ticket.add_leg(leg(7, 0.5)));
  EXPECT_EQ(f.type_names(), (std::vector<std::string>{"七串一"}));
  EXPECT_EQ(f.stakes(), (std::vector<int>{0}));
  EXPECT_EQ(f.ticket.stake_line(), "总投注彩金：0 元");
  EXPECT_EQ(f.ticket.payout_line(), "理论最高派彩：0");

  f.ticket.edit_stake(0, "10");
  f.ticket.remove_leg(0);
  EXPECT_EQ(f.ticket.legs().front().match_number, 2);
  EXPECT_EQ(f.stakes(), (std::vector<int>(6, 0)));
  f.ticket.remove_leg(6);  // past the end
  EXPECT_EQ(f.ticket.legs().size(), 6u);
}

TEST(ParlayTicket, LegCheckAfterARefresh) {
  struct Case {
    const char* name;
    std::string fresh_row;  // for leg 2 (selection 20, 1X2 home win at 0.5)
    std::deque<int> answers;
    std::vector<std::string> messages;
    std::vector<int> legs;  // match numbers after the check
    int selection_of_leg_2;
    double price_of_leg_2;
    std::vector<int> stakes;
  };
  const std::string question =
      "在主2 vs 客2 的比赛中“主队(左选项)胜”的赔率从1.500变化为1.800，是否继续您的选择？";
  const Case cases[] = {
      {"same price", fresh_line(2, 77, 1, "0.5"), {}, {}, {1, 2, 3}, 77, 0.5, {0, 10, 0}},
      {"price change accepted",
       fresh_line(2, 78, 1, "0.8"),
       {ports::MessagePort::ok},
       {question},
       {1, 2, 3},
       78,
       0.8,
       {0, 10, 0}},
      {"price change declined",
       fresh_line(2, 78, 1, "0.8"),
       {ports::MessagePort::cancel},
       {question},
       {1, 3},
       0,
       0,
       {0, 0}},
      {"line gone",
       fresh_line(2, 79, 4, "0.5"),
       {},
       {"在主2 vs 客2 的比赛中您选择的“主队(左选项)胜”已不存在，请选择新的投注。"},
       {1, 3},
       0,
       0,
       {0, 0}},
  };
  for (const auto& c : cases) {
    ParlayFixture f;
    f.add_legs(3);
    f.ticket.edit_stake(1, "10");
    f.texts.answers = c.answers;
    f.reply({"1|ok", fresh_line(1, 10, 1, "0.5"), c.fresh_row, fresh_line(3, 30, 1, "0.5")});
    f.ticket.check_legs();
    EXPECT_EQ(f.paras().back(), "3|000000000100000000020000000003|11|22") << c.name;
    EXPECT_EQ(f.texts.texts, c.messages) << c.name;
    std::vector<int> matches;
    for (const auto& l : f.ticket.legs()) matches.push_back(l.match_number);
    EXPECT_EQ(matches, c.legs) << c.name;
    EXPECT_EQ(f.stakes(), c.stakes) << c.name;
    if (c.selection_of_leg_2 != 0) {
      EXPECT_EQ(f.ticket.legs()[1].selection_number, c.selection_of_leg_2) << c.name;
      EXPECT_DOUBLE_EQ(f.ticket.legs()[1].price, c.price_of_leg_2) << c.name;
    } else {
      EXPECT_EQ(f.ticket.payout_line(), "理论最高派彩：0") << c.name;
    }
  }
}

TEST(ParlayTicket, LegCheckKeepsTheStakeOfTheSingleRowBeyondSixLegs) {
  ParlayFixture f;
  f.add_legs(7);
  f.ticket.edit_stake(0, "10");
  std::vector<std::string> rows{"1|ok"};
  for (int i = 1; i <= 7; ++i) rows.push_back(fresh_line(i, i * 10, 1, "0.5"));
  f.reply(rows);
  f.ticket.check_legs();
  EXPECT_EQ(f.stakes(), (std::vector<int>{10}));
  EXPECT_EQ(f.ticket.stake_line(), "总投注彩金：10 元");
}

TEST(ParlayTicket, FailedLegCheckShowsTheMessageAndKeepsTheLegs) {
  ParlayFixture f;
  f.add_legs(2);
  f.reply({"0|系统繁忙"});
  f.ticket.check_legs();
  EXPECT_EQ(f.texts.texts, (std::vector<std::string>{"系统繁忙"}));
  EXPECT_EQ(f.ticket.legs().size(), 2u);
}

TEST(ParlayTicket, PriceChangeAcceptedIntoAnOverLimitParlayWarnsWithTheShortText) {
  ParlayFixture f;
  f.add_legs(2, 0.9);
  f.ticket.edit_stake(0, "100000");
  f.texts.texts.clear();
  f.reply({"1|ok", fresh_line(1, 10, 1, "0.9"), fresh_line(2, 20, 1, "2.0")});
  f.ticket.check_legs();
  ASSERT_EQ(f.texts.texts.size(), 2u);
  EXPECT_EQ(f.texts.texts[1], kOverLimitAfterPriceChangeText);
  EXPECT_EQ(f.ticket.payout_line(), "理论最高派彩：470000.00");
}

TEST(ParlayTicket, BetSendsEveryLegAndTheStakedRows) {
  ParlayFixture f;
  f.add_legs(3);
  f.ticket.bet();
  EXPECT_EQ(f.texts.texts, (std::vector<std::string>{"投注彩金不能为0！"}));
  EXPECT_TRUE(f.transport.exchanges().empty());

  f.ticket.edit_stake(0, "20");
  f.ticket.edit_stake(1, "10");
  f.parlay_windows.confirm_answer = false;
  f.ticket.bet();
  ASSERT_EQ(f.parlay_windows.overviews.size(), 1u);
  EXPECT_EQ(f.parlay_windows.overviews[0],
            "过关投注|您共串3场比赛，选择的投注如下：\n\n    三串一 单注彩金：20\n    三串三 单注彩金：10\n\n"
            "总投注彩金：50 元。");
  EXPECT_TRUE(f.transport.exchanges().empty());

  f.parlay_windows.confirm_answer = true;
  f.reply({"0|赔率已改变"});
  f.ticket.bet();
  EXPECT_EQ(f.texts.texts.back(), "赔率已改变");
  EXPECT_EQ(f.ticket.legs().size(), 3u);
  EXPECT_EQ(f.stakes(), (std::vector<int>{20, 10, 0}));
  EXPECT_TRUE(f.frame.posted.empty());

  f.context.room_number = 5;
  f.reply({"1|投注成功|950|50"});
  f.ticket.bet();
  EXPECT_EQ(f.paras().back(),
            "3|000000001000000000200000000030|000005000000050000000500|2|0000000400000002|000020000010|5");
  EXPECT_EQ(f.texts.texts.back(), "投注成功\n请留意投注记录。");
  EXPECT_TRUE(f.ticket.legs().empty());
  EXPECT_TRUE(f.ticket.types().empty());
  EXPECT_EQ(f.ticket.stake_line(), "总投注彩金：0 元");
  EXPECT_EQ(f.ticket.payout_line(), "理论最高派彩：0");
  ASSERT_EQ(f.frame.posted.size(), 1u);
  EXPECT_EQ(f.frame.posted[0], std::make_tuple(ports::WindowMessage::bet_placed, 0, 50));
}

TEST(ParlayTicket, MoreWindowFetchesOncePerMatchAndWantsAChoice) {
  ParlayFixture f;
  protocol::MatchRecord match;
  match.match_number = 8;
  match.home_team = "曼联";
  match.away_team = "利物浦";
  match.kick_off_date = "2024-03-01";
  f.reply({"1|ok", fresh_line(8, 81, 3, "0.95", 0), fresh_line(8, 82, -3, "0.95", 0),
           fresh_line(8, 83, 1, "1.1"), fresh_line(8, 84, 4, "2.5"), fresh_line(8, 85, 5, "6.0", 2),
           fresh_line(8, 86, 26, "20", 2)});
  f.parlay_windows.presses = {std::nullopt, ports::MarketChoice{1, 1}, ports::MarketChoice{0, 1}};
  f.ticket.choose_more(match);
  EXPECT_EQ(f.paras(), (std::vector<std::string>{"1|0000000008|11|22"}));
  // Nothing chosen, then the hidden draw: the window stays both times.
  EXPECT_EQ(f.texts.texts, (std::vector<std::string>(2, "请选择投注对象和赔率！")));
  ASSERT_EQ(f.ticket.legs().size(), 1u);
  EXPECT_EQ(f.ticket.legs()[0].selection_number, 82);
  EXPECT_EQ(leg_choice_text(f.ticket.legs()[0]), "利物浦 (" + notation::bet_choice_text(4096, -3, 0) + ")");
  EXPECT_EQ(leg_kind_text(f.ticket.legs()[0]), "让球(分)盘");

  const auto& content = f.parlay_windows.shown.at(0);
  EXPECT_EQ(content.title, "曼联 vs 利物浦");
  std::vector<std::string> titles;
  for (const auto& t : content.tabs) titles.push_back(t.title);
  EXPECT_EQ(titles, (std::vector<std::string>{"让球(分)盘", "胜平负盘", "大小球盘", "比分盘"}));
  const auto& outcomes = content.tabs[1].items;
  ASSERT_EQ(outcomes.size(), 3u);
  EXPECT_EQ(outcomes[0].text, "曼联 胜 (2.100)");
  EXPECT_FALSE(outcomes[1].visible);
  EXPECT_EQ(outcomes[2].text, "利物浦 胜 (3.500)");
  const auto& scores = content.tabs[3].items;
  ASSERT_EQ(scores.size(), 26u);
  EXPECT_TRUE(scores[4].visible);
  EXPECT_EQ(scores[4].text, notation::bet_choice_text(4, 5, 0) + " (7.000)");
  EXPECT_EQ(scores[25].text, "其它比分 (21.000)");
  EXPECT_FALSE(scores[0].visible);

  // The second look needs no request; cancelling adds nothing.
  f.ticket.choose_more(match);
  EXPECT_EQ(f.transport.exchanges().size(), 1u);
  EXPECT_EQ(f.ticket.legs().size(), 1u);

  match.match_number = 9;
  match.line_kind = 9;
  f.reply({"1|ok"});
  f.ticket.choose_more(match);
  titles.clear();
  for (const auto& t : f.parlay_windows.shown.back().tabs) titles.push_back(t.title);
  EXPECT_EQ(titles, (std::vector<std::string>{"让球(分)盘", "篮球大小分", "篮球单双数"}));
}

TEST(ParlayHall, OutcomeCellsAddLegsAndARefreshChecksThem) {
  brindle::testing::HallFixture f;
  ScriptedParlayWindows windows;
  ParlayHall hall(f.services(), windows);
  const std::vector<std::string> list{"1|ok|0",
                                      match_line(1, "英超", kFirstDay, "曼联", "利物浦"),
                                      odds_line(1, 1, 10, 1, "1.10"),
                                      odds_line(1, 1, 12, 2, "2.20"),
                                      match_line(2, "英超", kFirstDay, "阿森纳", "切尔西"),
                                      odds_line(2, 1, 20, 4, "0.90")};
  f.reply(list);
  f.balance_reply();
  hall.refresh();
  using C = ParlayHall::Column;
  hall.click(0, C::kHomeWin);
  hall.click(0, C::kDraw);     // same match
  hall.click(1, C::kHomeWin);  // no line: nothing happens
  hall.click(1, C::kAwayWin);
  EXPECT_EQ(f.messages.texts, (std::vector<std::string>{"在一次过关中，您不能投注于同一场比赛...."}));
  ASSERT_EQ(hall.ticket().legs().size(), 2u);
  EXPECT_EQ(hall.ticket().legs()[1].selection_number, 20);
  EXPECT_EQ(hall.ticket().legs()[0].league, "英超");

  f.reply(list);
  f.reply({"1|ok", fresh_line(1, 11, 1, "1.1"), fresh_line(2, 21, 4, "0.9")});
  f.balance_reply();
  hall.refresh();
  EXPECT_EQ(f.subjects(), (std::vector<int>{4027, 4012, 4027, 4028, 4012}));
  EXPECT_EQ(hall.ticket().legs()[0].selection_number, 11);
}

// Long team names: a destroyed match's text is then freed memory, which the sanitizer sees.
// A hall whose every refresh brings the same two matches; its 4028 answers are scripted per test.
struct ParlayHallFixture : brindle::testing::HallFixture {
  ParlayHallFixture() { refresh(); }
  void refresh() {
    reply(list);
    balance_reply();
    hall.refresh();
  }
  const std::vector<std::string> list{
      "1|ok|0", match_line(1, "英超", kFirstDay, "曼彻斯特联足球俱乐部", "利物浦足球俱乐部"),
      odds_line(1, 1, 10, 1, "1.10"),
      match_line(2, "英超", kFirstDay, "阿森纳足球俱乐部", "切尔西足球俱乐部"),
      odds_line(2, 1, 20, 4, "0.90")};
  ScriptedParlayWindows windows;
  ParlayHall hall{services(), windows};
};

TEST(ParlayHall, VisitorsAddNoLegsAndPlaceNoParlay) {
  using C = ParlayHall::Column;
  for (const int mode : {net::kLoginModeVisitor, net::kLoginModeSecondary}) {
    ParlayHallFixture f;
    f.hall.click(0, C::kHomeWin);  // a member's leg, kept when the mode changes
    f.hall.ticket().edit_stake(0, "10");
    f.context.login_mode = mode;
    const auto before = f.transport.exchanges().size();
    f.hall.click(1, C::kAwayWin);
    f.hall.click(1, C::kMore);
    f.hall.ticket().bet();
    EXPECT_EQ(f.hall.ticket().legs().size(), 1u);
    EXPECT_EQ(f.transport.exchanges().size(), before);
    EXPECT_TRUE(f.windows.shown.empty());
    EXPECT_TRUE(f.windows.overviews.empty());
  }
}

// The "玩法选择" window runs its own event loop: a timed refresh under it replaces the hall's matches
// and the held lines, and the chosen leg must still be the one the window showed.
TEST(ParlayHall, ARefreshUnderTheMoreWindowLeavesTheChoiceWhole) {
  ParlayHallFixture f;
  f.reply({"1|ok", fresh_line(2, 21, 3, "0.95", 0), fresh_line(2, 22, -3, "0.85", 0)});
  f.windows.presses = {ports::MarketChoice{0, 0}};
  f.windows.on_show = [&] {
    f.windows.on_show = nullptr;
    f.refresh();
  };
  f.hall.click(1, ParlayHall::Column::kMore);
  ASSERT_EQ(f.hall.ticket().legs().size(), 1u);
  EXPECT_EQ(f.hall.ticket().legs()[0].selection_number, 21);
  EXPECT_EQ(f.hall.ticket().legs()[0].home_team, "阿森纳足球俱乐部");
}

TEST(ParlayTicket, AnEmptyPriceReplyIsAskedAgainNextTime) {
  ParlayFixture f;
  protocol::MatchRecord match;
  match.match_number = 8;
  f.reply({"1|ok"});
  f.ticket.choose_more(match);
  f.reply({"1|ok", fresh_line(8, 83, 1, "1.1")});
  f.parlay_windows.presses = {ports::MarketChoice{1, 0}};
  f.ticket.choose_more(match);
  EXPECT_EQ(f.transport.exchanges().size(), 2u);
  ASSERT_EQ(f.ticket.legs().size(), 1u);
  EXPECT_EQ(f.ticket.legs()[0].selection_number, 83);
}

// A refresh under the confirmation would check the legs and, with a price moved, rebuild the types
// with stakes 0: what is sent must be what the confirmation showed.
TEST(ParlayHall, TheConfirmationSendsExactlyWhatItShowed) {
  using C = ParlayHall::Column;
  ParlayHallFixture f;
  f.hall.click(0, C::kHomeWin);
  f.hall.click(1, C::kAwayWin);
  f.hall.ticket().edit_stake(0, "30");
  const auto before = f.subjects().size();
  f.windows.on_show = [&] {
    f.windows.on_show = nullptr;
    f.refresh();
  };
  f.reply({"1|投注成功|940|60"});
  f.hall.ticket().bet();
  const auto subjects = f.subjects();
  // The refresh under the window asked no fresh prices for the legs.
  EXPECT_EQ(std::vector<int>(subjects.begin() + static_cast<long>(before), subjects.end()),
            (std::vector<int>{4027, 4012, 3010}));
  EXPECT_EQ(f.paras().back(), "2|00000000100000000020|0000110000000900|1|00000002|000030|0");
  EXPECT_TRUE(f.hall.ticket().legs().empty());
}

}  // namespace
