// The Asian handicap hall over a scripted server: grouping and expansion memory, the refresh flow,
// the league chooser, cell texts, clicks by Login mode, rooms and the in-play button.

#include <gtest/gtest.h>

#include "core/betting/asian_handicap_hall.h"
#include "core/net/client_context.h"
#include "hall_fixture.h"

namespace {

using namespace brindle;
using namespace brindle::betting;
using brindle::testing::kFirstDay;
using brindle::testing::kSecondDay;
using brindle::testing::match_line;
using brindle::testing::odds_line;
using Column = AsianHandicapHall::Column;

// The two lines of one Asian handicap pair: home and away sides, away-gives codes carry 1000.
std::vector<std::string> pair_lines(int match, int home_selection, int code, const std::string& home_price,
                                    const std::string& away_price, bool away_gives = false,
                                    int target = 190) {
  const int flagged = away_gives ? 1000 + code : code;
  return {odds_line(match, 0, home_selection, away_gives ? -flagged : flagged, home_price, target),
          odds_line(match, 0, home_selection + 1, away_gives ? flagged : -flagged, away_price, target)};
}

std::vector<std::string> reply_of(const std::vector<std::vector<std::string>>& parts, int peak = 0) {
  std::vector<std::string> lines{"1|ok|" + std::to_string(peak)};
  for (const auto& part : parts) lines.insert(lines.end(), part.begin(), part.end());
  return lines;
}

struct AsianHall : brindle::testing::HallFixture {
  AsianHall() { hall.set_view(&view); }
  void refresh_with(const std::vector<std::string>& lines) {
    reply(lines);
    balance_reply();
    hall.refresh();
  }
  AsianHandicapHall hall{services()};
};

const std::vector<std::string> kThreeLeagues = reply_of({
    {match_line(1, "英超", kFirstDay, "曼联", "利物浦")},
    pair_lines(1, 11, 3, "0.95", "0.95"),
    {match_line(2, "西甲", kFirstDay, "皇马", "巴萨", 1)},
    pair_lines(2, 21, 2, "0.90", "1.00", true),
    {match_line(3, "英超", kSecondDay, "阿森纳", "切尔西")},
    pair_lines(3, 31, 1, "0.955", "0.945"),
    {match_line(4, "英超", kFirstDay, "热刺", "富勒姆", 0, 1)},
    pair_lines(4, 41, 5, "0.85", "1.05"),
});

TEST(HallGroups, LinesJoinTheGroupOfTheirDateAndLeagueInReplyOrder) {
  AsianHall f;
  f.refresh_with(kThreeLeagues);
  const auto& groups = f.hall.list().groups();
  ASSERT_EQ(groups.size(), 3u);
  EXPECT_EQ(groups[0].key, "2024-03-01    英超");
  EXPECT_EQ(groups[0].lines, (std::vector<std::size_t>{0, 3}));  // match 4 rejoins the first group
  EXPECT_EQ(groups[1].key, "2024-03-01    西甲");
  EXPECT_EQ(groups[2].key, "2024-03-02    英超");
  EXPECT_EQ(f.view.events, (std::vector<std::string>{"about", "changed"}));
}

TEST(HallGroups, FirstLoadExpandsAllThenOnlyWhatWasExpandedStaysExpanded) {
  AsianHall f;
  f.refresh_with(kThreeLeagues);
  for (const auto& g : f.hall.list().groups()) EXPECT_TRUE(g.expanded) << g.key;
  f.hall.set_expanded(1, false);  // 西甲 collapsed by the user

  auto more = kThreeLeagues;
  more.push_back(match_line(5, "意甲", kFirstDay, "米兰", "国米"));
  for (const auto& l : pair_lines(5, 51, 3, "0.95", "0.95")) more.push_back(l);
  f.refresh_with(more);

  const auto& groups = f.hall.list().groups();
  ASSERT_EQ(groups.size(), 4u);
  EXPECT_TRUE(groups[0].expanded);
  EXPECT_FALSE(groups[1].expanded);
  EXPECT_TRUE(groups[2].expanded);
  EXPECT_EQ(groups[3].key, "2024-03-01    意甲");
  EXPECT_FALSE(groups[3].expanded) << "a group that is new after the first load stays collapsed";
}

TEST(HallGroups, AnEmptyFirstReplyDoesNotUseUpTheFirstLoad) {
  AsianHall f;
  f.refresh_with(reply_of({}));
  EXPECT_EQ(f.hall.empty_text(), kNoMarketsText);
  f.refresh_with(kThreeLeagues);
  for (const auto& g : f.hall.list().groups()) EXPECT_TRUE(g.expanded) << g.key;
}

TEST(HallRefresh, ListThenBalanceThenTheAccountPanelMessage) {
  AsianHall f;
  f.refresh_with(kThreeLeagues);
  EXPECT_EQ(f.subjects(), (std::vector<int>{4027, 4012}));
  EXPECT_EQ(f.paras()[0], "0|11|22");
  ASSERT_EQ(f.frame.posted.size(), 1u);
  EXPECT_EQ(std::get<0>(f.frame.posted[0]), ports::WindowMessage::rebuild_account_panel);
  EXPECT_TRUE(f.messages.texts.empty());
}

TEST(HallRefresh, AFailedListKeepsTheLinesShowsTheMessageAndAsksNothingMore) {
  AsianHall f;
  f.refresh_with(kThreeLeagues);
  f.reply({"0|服务器忙"});
  f.hall.refresh();
  EXPECT_EQ(f.messages.texts, (std::vector<std::string>{"服务器忙"}));
  EXPECT_EQ(f.hall.line_count(), 4u);
  EXPECT_EQ(f.subjects().size(), 3u);
  EXPECT_EQ(f.frame.posted.size(), 1u);
}

TEST(HallRefresh, AFailedBalanceIsShownAndThePanelIsStillRebuilt) {
  AsianHall f;
  f.reply(kThreeLeagues);
  f.reply({"0|余额查询失败"});
  f.hall.refresh();
  EXPECT_EQ(f.hall.line_count(), 4u);
  EXPECT_EQ(f.messages.texts, (std::vector<std::string>{"余额查询失败"}));
  EXPECT_EQ(f.frame.posted.size(), 1u);
}

TEST(HallRefresh, PeakNoticeReplacesTheListOnlyForAnUnfundedAccount) {
  struct Case {
    int currency;
    int peak;
    std::size_t lines;
    const char* empty_text;
  };
  const Case cases[] = {
      {0, 1, 0, kPeakTimeNotice},
      {0, 0, 4, kNoMarketsText},
      {1, 1, 4, kNoMarketsText},
  };
  for (const auto& c : cases) {
    AsianHall f;
    f.context.currency_code = c.currency;
    auto lines = kThreeLeagues;
    lines[0] = "1|ok|" + std::to_string(c.peak);
    f.reply(lines);
    f.balance_reply(c.currency);
    f.hall.refresh();
    EXPECT_EQ(f.hall.line_count(), c.lines) << c.currency << " " << c.peak;
    EXPECT_EQ(f.hall.empty_text(), c.empty_text) << c.currency << " " << c.peak;
    EXPECT_EQ(f.hall.list().groups().empty(), c.lines == 0);
  }
}

TEST(LeagueChooser, DistinctLeaguesOfTheFirstHundredLinesAfterAllLeagues) {
  AsianHall f;
  std::vector<std::vector<std::string>> parts;
  for (int i = 0; i < 101; ++i) {
    const std::string league = i == 100 ? "第一百零一" : (i % 2 ? "乙" : "甲");
    parts.push_back({match_line(100 + i, league, kFirstDay, "主", "客")});
    parts.push_back(pair_lines(100 + i, 1000 + 2 * i, 3, "0.95", "0.95"));
  }
  parts.push_back({match_line(999, "", kFirstDay, "主", "客")});
  parts.push_back(pair_lines(999, 5000, 3, "0.95", "0.95"));
  f.refresh_with(reply_of(parts));
  EXPECT_EQ(f.hall.league_choices(), (std::vector<std::string>{"全部联赛", "甲", "乙"}));
}

TEST(LeagueChooser, ALeagueFiltersAllLeaguesAndTheTimedRefreshShowEverything) {
  AsianHall f;
  f.refresh_with(kThreeLeagues);

  f.reply(kThreeLeagues);
  f.balance_reply();
  f.hall.choose_league("西甲");
  EXPECT_TRUE(f.hall.league_filter_active());
  EXPECT_EQ(f.subjects()[2], 4070);
  EXPECT_EQ(f.paras()[2], "0|11|22|西甲|0|0|0|0");

  // Still chosen: the refresh button keeps the filter, the timed refresh does not.
  f.refresh_with(kThreeLeagues);
  EXPECT_EQ(f.subjects()[4], 4070);
  f.reply(kThreeLeagues);
  f.balance_reply();
  f.hall.timed_refresh();
  EXPECT_EQ(f.subjects()[6], 4027);
  EXPECT_TRUE(f.hall.league_filter_active());

  f.reply(kThreeLeagues);
  f.balance_reply();
  f.hall.choose_league("全部联赛");
  EXPECT_FALSE(f.hall.league_filter_active());
  EXPECT_EQ(f.subjects()[8], 4027);
  EXPECT_EQ(f.context.league_filter.front(), "全部联赛");
}

TEST(AsianHandicapCells, TeamsMarksOddsAndHandicapNames) {
  AsianHall f;
  f.refresh_with(kThreeLeagues);
  struct Case {
    std::size_t line;
    int column;
    const char* text;
  };
  const Case cases[] = {
      {0, Column::kTime, "18:00"},
      {0, Column::kGivingTeam, "曼联(主)"},
      {0, Column::kOtherTeam, "利物浦"},
      {0, Column::kGivingOdds, "1.950"},
      {0, Column::kHandicap, "半球"},
      // Away gives at a neutral venue: the home team moves right and keeps its "(中)".
      {1, Column::kGivingTeam, "巴萨"},
      {1, Column::kGivingOdds, "2.000"},
      {1, Column::kOtherTeam, "皇马(中)"},
      {1, Column::kOtherOdds, "1.900"},
      {2, Column::kHandicap, "平手"},
      {2, Column::kGivingOdds, "1.955"},
      {3, Column::kTime, "18:00(走地)"},
      {3, Column::kBetGiving, ""},
      {4, Column::kGivingTeam, ""},  // a line no longer held
      {99, Column::kTime, ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(f.hall.cell_text(c.line, c.column), c.text) << c.line << "/" << c.column;
}

TEST(AsianHandicapCells, MovedPricesAreMarkedUntilTheNextRefresh) {
  AsianHall f;
  f.refresh_with(kThreeLeagues);
  EXPECT_EQ(f.hall.price_move(0, Column::kGivingOdds), PriceMove::kNone);
  auto moved = kThreeLeagues;
  moved[2] = odds_line(1, 0, 11, 3, "1.00", 190);  // home 0.95 -> 1.00, away balanced down
  moved[3] = odds_line(1, 0, 12, -3, "0.90", 190);
  f.refresh_with(moved);
  EXPECT_EQ(f.hall.price_move(0, Column::kGivingOdds), PriceMove::kUp);
  EXPECT_EQ(f.hall.price_move(0, Column::kOtherOdds), PriceMove::kDown);
  EXPECT_EQ(f.hall.price_move(1, Column::kGivingOdds), PriceMove::kNone);
  EXPECT_EQ(f.hall.price_move(0, Column::kGivingTeam), PriceMove::kNone);
  f.refresh_with(moved);
  EXPECT_EQ(f.hall.price_move(0, Column::kGivingOdds), PriceMove::kNone);
}

TEST(HallClicks, AVisitorsBetClicksDoNothingWhileHistoryAndTrendStillAct) {
  for (const int mode : {net::kLoginModeVisitor, net::kLoginModeSecondary}) {
    AsianHall f;
    f.refresh_with(kThreeLeagues);
    f.context.login_mode = mode;
    const auto before = f.transport.exchanges().size();
    f.hall.click(0, Column::kBetGiving);
    f.hall.click(0, Column::kBetOther);
    EXPECT_EQ(f.transport.exchanges().size(), before);
    EXPECT_TRUE(f.stake_window.shown.empty());
    EXPECT_TRUE(f.messages.texts.empty());

    f.hall.click(0, Column::kHistory);
    EXPECT_EQ(f.windows.histories, (std::vector<std::string>{"1 曼联 利物浦"}));
    f.reply({"1|ok", "45352.5|3|0.9|0", "45352.6|3|0.92|0"});
    f.hall.click(1, Column::kTrend);
    EXPECT_EQ(f.subjects().back(), 4022);
    EXPECT_EQ(f.windows.trends, (std::vector<std::size_t>{2}));
  }
}

TEST(HallClicks, AFailedTrendOpensTheWindowEmptyWithTheMessage) {
  AsianHall f;
  f.refresh_with(kThreeLeagues);
  f.reply({"0|没有走势"});
  f.hall.click(0, Column::kTrend);
  EXPECT_EQ(f.windows.trends, (std::vector<std::size_t>{0}));
  EXPECT_EQ(f.windows.last_trend.error, "没有走势");
  EXPECT_EQ(f.windows.last_trend.team, "曼联");
  EXPECT_TRUE(f.messages.texts.empty());  // the window shows it, over its empty chart
}

// The windows run event loops of their own; a timed refresh under them replaces the rows they came
// from, which must not reach what the windows were handed.
TEST(HallClicks, HistoryAndTrendHoldNothingOfTheRowsAcrossTheirWindows) {
  // Names longer than a string holds in itself: a row the refresh destroyed leaves freed memory.
  const std::vector<std::string> list =
      reply_of({{match_line(1, "英超", kFirstDay, "曼彻斯特联足球俱乐部", "利物浦足球俱乐部")},
                pair_lines(1, 11, 3, "0.95", "0.95")});
  AsianHall f;
  f.refresh_with(list);
  // Two refreshes: the hall keeps the rows it replaced until its next fetch.
  const auto two_refreshes = [&] {
    f.refresh_with(reply_of({}));
    f.refresh_with(reply_of({}));
  };
  f.windows.on_open = two_refreshes;
  f.hall.click(0, Column::kHistory);
  EXPECT_EQ(f.windows.histories, (std::vector<std::string>{"1 曼彻斯特联足球俱乐部 利物浦足球俱乐部"}));
  f.refresh_with(list);
  f.windows.on_open = nullptr;
  // The refresh comes in while the 4022 request's Progress window pumps events.
  f.transport.during_exchange = two_refreshes;
  f.reply({"1|ok", "45352.5|3|0.9|0"});
  f.hall.click(0, Column::kTrend);
  EXPECT_EQ(f.windows.last_trend.team, "曼彻斯特联足球俱乐部");
}

TEST(HallRooms, PrivateRoomCommandByLoginModeAndRoomList) {
  AsianHall f;
  EXPECT_EQ(f.hall.location_text(), " 您现在的位置：亚洲让球盘 — 公共房间");
  EXPECT_EQ(f.hall.context_menu(), (std::vector<std::string>{"刷新数据", "投注记录", "私人房间"}));

  f.context.login_mode = net::kLoginModeVisitor;
  EXPECT_EQ(f.hall.context_menu(), (std::vector<std::string>{"刷新数据"}));
  f.hall.private_room_command();
  EXPECT_EQ(f.messages.texts, (std::vector<std::string>{"您现在不能使用私人房间！"}));
  EXPECT_EQ(f.windows.room_lists, 0);

  f.context.login_mode = net::kLoginModeMember;
  f.hall.private_room_command();  // the room list is cancelled
  EXPECT_EQ(f.windows.room_lists, 1);
  EXPECT_EQ(f.hall.room(), HallRoom::kPublic);
  ASSERT_EQ(f.frame.posted.size(), 1u);
  EXPECT_EQ(f.frame.posted[0], std::make_tuple(ports::WindowMessage::private_rooms, 0, 0));

  f.windows.room_to_enter = "老王的房间";
  f.context.room_number = 0;
  f.hall.private_room_command();
  EXPECT_EQ(f.hall.room(), HallRoom::kPrivate);
  EXPECT_EQ(f.hall.location_text(), " 您现在的位置：亚洲让球盘私人房间 — 老王的房间");
  EXPECT_EQ(f.hall.context_menu(), (std::vector<std::string>{"刷新数据", "投注记录", "公共房间"}));
  EXPECT_EQ(f.frame.posted.back(), std::make_tuple(ports::WindowMessage::private_rooms, 1, 0));

  f.context.room_number = 17;
  f.hall.private_room_command();
  EXPECT_EQ(f.hall.room(), HallRoom::kPublic);
  EXPECT_EQ(f.context.room_number, 0);
  EXPECT_EQ(f.view.events.back(), "room");
}

TEST(HallRooms, AnEnteredRoomNeedsNoRoomListAndAVisibleHallFollowsTheUser) {
  AsianHall f;
  f.context.room_number = 5;
  f.hall.became_visible();
  EXPECT_EQ(f.hall.room(), HallRoom::kPrivate);
  EXPECT_EQ(f.windows.room_lists, 0);
  f.hall.switch_room(HallRoom::kPrivate);  // already there: nothing
  EXPECT_EQ(f.view.events, (std::vector<std::string>{"room"}));
}

TEST(HallButtons, InPlayButtonByWebModeAndFrozenAccount) {
  {
    AsianHall f;
    f.hall.page_button(kInPlayPage);
    EXPECT_EQ(f.frame.posted, (std::vector{std::make_tuple(ports::WindowMessage::go_to_page, 3, 0)}));
    EXPECT_TRUE(f.transport.exchanges().empty());
  }
  {
    AsianHall f;
    f.context.member_details.in_play_web_mode = 1;
    f.reply({"1|ok|1"});
    f.hall.page_button(kInPlayPage);
    EXPECT_EQ(f.messages.texts, (std::vector<std::string>{"账户被冻结！"}));
    EXPECT_TRUE(f.frame.posted.empty());
    EXPECT_TRUE(f.windows.web_tokens.empty());
  }
  {
    AsianHall f;
    f.context.member_details.in_play_web_mode = 1;
    f.reply({"1|ok|0"});
    f.reply({"1|ok|" + std::string(40, 'a')});
    f.hall.page_button(kInPlayPage);
    EXPECT_EQ(f.subjects(), (std::vector<int>{3033, 4061}));
    ASSERT_EQ(f.windows.web_tokens.size(), 1u);
    EXPECT_EQ(f.frame.posted, (std::vector{std::make_tuple(ports::WindowMessage::go_to_page, 1, 0)}));
  }
  {
    AsianHall f;
    f.hall.page_button(kOutrightPage);
    f.hall.mobile_button();
    EXPECT_EQ(f.frame.posted, (std::vector{std::make_tuple(ports::WindowMessage::go_to_page, 6, 0)}));
    EXPECT_EQ(f.shell.opened, (std::vector<std::string>{"http://srv.example:8443/IOS.html"}));
    EXPECT_EQ(f.hall.advertisement_address(), "http://srv.example:8443/clientad/promo.html");
  }
}

}  // namespace
