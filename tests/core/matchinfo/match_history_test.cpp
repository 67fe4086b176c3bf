#include "core/matchinfo/match_history.h"

#include <gtest/gtest.h>

#include "../protocol/catalogue_fixture.h"

namespace brindle::matchinfo {
namespace {

using protocol::HeadToHeadItem;
using protocol::HistoryItem;

constexpr int kFootball = 1;

HistoryItem item(int home_flag, int team_goals, int opponent_goals, int code, int received, int result,
                 double odds) {
  return {"2026-11-01", "20:00", "蓝队", home_flag, team_goals, opponent_goals, code, received, result, odds};
}

// The row item() gives: its kick-off, the team ("红队") first or second, then score, line, odds and result.
HistoryRow row(bool team_first, const char* score, const char* line, const char* odds, const char* result) {
  return {"2026-11-01 20:00", team_first ? "红队 vs 蓝队" : "蓝队 vs 红队", score, line, odds, result};
}

struct HistoryCase {
  const char* name;
  HistoryItem item;
  bool home_away_tab;
  HistoryRow expected;
};

class HistoryRows : public ::testing::TestWithParam<HistoryCase> {};

TEST_P(HistoryRows, ShowHomeFirstAndTheLineFromTheTeamsSide) {
  const HistoryCase& c = GetParam();
  EXPECT_EQ(history_row(c.item, "红队", kFootball, c.home_away_tab), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HistoryRows,
    ::testing::Values(
        // At home and giving: the team first, its win read as sent.
        HistoryCase{"home_gives", item(1, 2, 0, 5, 0, 1, 0.925), false,
                    row(true, "2 : 0", "一球", "0.925", "赢")},
        // Away with the flag clear: the team received; the opponent first, the result mirrored.
        HistoryCase{"away_receives", item(0, 1, 3, 3, 0, 1, 0.85), false,
                    row(false, "3 : 1", "受让半球", "0.850", "输")},
        // At home with the received flag set: the team received.
        HistoryCase{"home_receives", item(2, 1, 1, 4, 1, 4, 1.0), false,
                    row(true, "1 : 1", "受让半球/一球", "1.000", "赢一半")},
        // Away while the home side received: the team gave.
        HistoryCase{"away_gives", item(0, 2, 1, 5, 1, 0, 0.9), false,
                    row(false, "1 : 2", "一球", "0.900", "平")},
        HistoryCase{"void_match", item(1, -1, -1, 5, 0, 0, 0.9), false,
                    row(true, "无效比赛", "一球", "0.900", "平")},
        HistoryCase{"void_on_second_tab", item(0, 0, -1, 5, 0, 0, 0.9), true,
                    row(false, "无效比赛", "受让一球", "0.900", "平")},
        HistoryCase{"no_line", item(1, 2, 0, 5, 0, 1, 0.3), false, row(true, "2 : 0", "", "", "")},
        HistoryCase{"level_first_tab_keeps_prefix", item(0, 1, 0, 1, 0, 1, 0.9), false,
                    row(false, "0 : 1", "受让平手", "0.900", "输")},
        HistoryCase{"level_second_tab_drops_prefix", item(0, 1, 0, 1, 0, 1, 0.9), true,
                    row(false, "0 : 1", "平手", "0.900", "输")},
        HistoryCase{"odds_at_the_bound", item(1, 0, 0, 1, 0, 0, 0.5), false,
                    row(true, "0 : 0", "平手", "0.500", "平")}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(HeadToHeadRows, ShowTheNumbersAsSentAndPrefixOnlyRealHandicaps) {
  const auto item = [](int home_goals, int away_goals, int code, int received, int result, double odds) {
    return HeadToHeadItem{
        "2026-10-01 19:30:00", "红队", "蓝队", home_goals, away_goals, code, received, result, odds};
  };
  const auto row = [](const char* score, const char* line, const char* odds, const char* result) {
    return HistoryRow{"2026-10-01 19:30:00", "红队 vs 蓝队", score, line, odds, result};
  };
  const struct {
    HeadToHeadItem item;
    HistoryRow expected;
  } cases[] = {
      {item(-1, -1, 5, 0, 1, 0.95), row("-1 : -1", "一球", "0.950", "赢")},
      {item(0, 2, 3, 1, 3, 0.95), row("0 : 2", "受让半球", "0.950", "赢")},
      {item(1, 1, 1, 1, 0, 0.95), row("1 : 1", "平手", "0.950", "平")},
      {item(1, 1, 1, 1, 0, 0.3), row("1 : 1", "", "", "")},
  };
  for (const auto& c : cases) EXPECT_EQ(head_to_head_row(c.item, kFootball), c.expected);
}

TEST(HistoryCaptions, NameTheTeamsAndHideTheLowerListForHeadToHead) {
  EXPECT_EQ(tab_captions(HistoryTab::kRecentSix, "红队", "蓝队").upper, "红队近六场比赛成绩");
  EXPECT_EQ(tab_captions(HistoryTab::kRecentSix, "红队", "蓝队").lower, "蓝队近六场比赛成绩");
  EXPECT_EQ(tab_captions(HistoryTab::kHomeAway, "红队", "蓝队").upper, "红队近三个主场成绩");
  EXPECT_EQ(tab_captions(HistoryTab::kHomeAway, "红队", "蓝队").lower, "蓝队近三个客场成绩");
  const auto h2h = tab_captions(HistoryTab::kHeadToHead, "红队", "蓝队");
  EXPECT_EQ(h2h.upper, "两队历史交锋");
  EXPECT_FALSE(h2h.lower_shown);
}

struct HistoryWindowFixture : testing::CatalogueFixture {
  std::vector<std::string> paras() const {
    std::vector<std::string> out;
    for (const auto& e : transport.exchanges()) {
      const std::string body = wire::gbk_to_utf8(e.body);
      const auto subject = body.find("txtSubjectID=");
      const auto para = body.find("&txtPara=");
      out.push_back(body.substr(subject + 13, 4) + ":" + body.substr(para + 9));
    }
    return out;
  }
};

TEST(MatchHistoryWindow, SendsEachRequestOnceAndKeepsFailuresEmpty) {
  HistoryWindowFixture f;
  MatchHistory history(f.session, 77, "红队", "蓝队", kFootball);
  f.reply({"1|ok", "2026-11-01|20:00|蓝队|1|2|0|5|0|1|0.925"});
  f.reply({"0|暂无数据"});
  const HistoryTabView& recent = history.open_tab(HistoryTab::kRecentSix);
  ASSERT_EQ(recent.upper.size(), 1u);
  EXPECT_EQ(recent.upper[0][1], "红队 vs 蓝队");
  EXPECT_TRUE(recent.lower.empty());
  EXPECT_EQ(recent.failures, (std::vector<std::string>{"暂无数据"}));

  f.reply({"1|ok", "2026-10-01|15:00|绿队|0|1|1|1|0|0|0.9"});
  f.reply({"1|ok"});
  EXPECT_EQ(history.open_tab(HistoryTab::kHomeAway).upper[0][3], "平手");
  f.reply({"1|ok", "46296.8125|红队|蓝队|2|1|5|0|1|0.95"});
  EXPECT_EQ(history.open_tab(HistoryTab::kHeadToHead).upper.size(), 1u);

  // Back on the first tab: the kept rows, no request and no second message.
  const HistoryTabView& again = history.open_tab(HistoryTab::kRecentSix);
  EXPECT_EQ(again.upper.size(), 1u);
  EXPECT_TRUE(again.failures.empty());
  (void)history.open_tab(HistoryTab::kHeadToHead);
  EXPECT_EQ(f.paras(),
            (std::vector<std::string>{"4023:77|1", "4023:77|0", "4024:77|1", "4024:77|0", "4026:77"}));
}

}  // namespace
}  // namespace brindle::matchinfo
