#include "server/matchinfo/history_handlers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../market/market_fixture.h"
#include "server/matchinfo/match_records.h"
#include "server/matchinfo/past_results.h"
#include "wire/field_reader.h"
#include "wire/gbk.h"

namespace brindle::server {
namespace {

using matchinfo::PastLine;
using matchinfo::PastMatch;

TEST(PastLine, ResultSeenFromTheGivingSide) {
  const struct {
    const char* name;
    int home_code;
    int home_goals, away_goals;
    PastLine expected;
  } cases[] = {
      {"home gives one goal and wins by two", 5, 2, 0, {5, false, 1, 0.95}},
      {"home gives one goal and wins by one", 5, 1, 0, {5, false, 0, 0.95}},
      {"home gives a quarter and draws", 2, 1, 1, {2, false, 4, 0.95}},
      // The away side gives half a goal: the home side's code is negative beyond the thousand.
      {"away gives half and draws", -1003, 0, 0, {3, true, 3, 0.9}},
      {"away gives half and wins", -1003, 0, 1, {3, true, 1, 0.9}},
      {"level line, home loses", 1, 0, 1, {1, false, 3, 0.95}},
  };
  for (const auto& c : cases) {
    PastMatch m;
    m.has_line = true;
    m.home_code = c.home_code;
    m.home_price_milli = 950;
    m.away_price_milli = 900;
    m.result = {c.home_goals, c.away_goals};
    const PastLine got = matchinfo::past_line(m);
    EXPECT_EQ(got.code, c.expected.code) << c.name;
    EXPECT_EQ(got.home_received, c.expected.home_received) << c.name;
    EXPECT_EQ(got.result_code, c.expected.result_code) << c.name;
    EXPECT_DOUBLE_EQ(got.odds, c.expected.odds) << c.name;
  }
}

class HistorySubjects : public ::testing::Test {
 protected:
  HistorySubjects() : fixture_(false) {
    fixture_.exec("INSERT INTO market_leagues (id, name, sport) VALUES (1, '测试联赛', 0)");
    // 30001 is the coming match 红队 v 蓝队; the others are finished, oldest first.
    add_match(30001, "红队", "蓝队", 100, 0, -1, -1);
    add_match(30002, "红队", "绿队", 10, 2, 2, 0);
    add_match(30003, "蓝队", "红队", 20, 2, 1, 1);
    add_match(30004, "黄队", "蓝队", 30, 2, 0, 3);
    add_match(30005, "红队", "蓝队", 40, 2, 1, 0);
    add_match(30006, "红队", "黄队", 150, 2, 4, 0);  // after the coming match's kick-off: not history
    fixture_.exec(
        "INSERT INTO market_lines (selection_id, match_id, market_type, slot, line_code, price_milli,"
        " price_sum_target, status) VALUES (1, 30002, 0, 0, 5, 950, 190, 3), (2, 30002, 0, 1, -5, 950, 190, "
        "3),"
        " (3, 30003, 0, 0, 3, 900, 190, 3), (4, 30003, 0, 1, -3, 1000, 190, 3),"
        " (5, 30001, 0, 0, -1003, 920, 190, 0), (6, 30001, 0, 1, 1003, 980, 190, 0)");
    // Two moves of the coming match's line after it was put up.
    fixture_.exec("UPDATE market_lines SET price_milli = 880 WHERE selection_id = 5");
    fixture_.exec("UPDATE market_lines SET price_milli = 1020 WHERE selection_id = 6");
    fixture_.exec("UPDATE market_lines SET status = 2 WHERE selection_id = 6");  // no price move: no point
    market_ = fixture_.open_market();
    services_.market = market_;
    services_.db = fixture_.shared_db();
    EXPECT_TRUE(add_history_handlers(dispatcher_, services_));
  }

  void add_match(int id, const char* home, const char* away, int day, int status, int home_goals,
                 int away_goals) {
    const std::int64_t kickoff = testing::MarketFixture::kNow + (day - 100) * 86400;
    fixture_.exec(
        "INSERT INTO market_matches (id, league_id, home, away, kickoff, ends_at, neutral, offers_in_play,"
        " in_parlay, status, result_home, result_away, script, supremacy, expected_total, handicap_delay,"
        " totals_delay) VALUES (" +
        std::to_string(id) + ", 1, '" + home + "', '" + away + "', " + std::to_string(kickoff) + ", " +
        std::to_string(kickoff + 7000) + ", 0, 0, 0, " + std::to_string(status) + ", " +
        (home_goals < 0 ? "NULL" : std::to_string(home_goals)) + ", " +
        (away_goals < 0 ? "NULL" : std::to_string(away_goals)) + ", '', 0, 0, 0, 0)");
  }

  // The header's result code and message, then each row's fields.
  std::vector<std::vector<std::string>> ask(int subject, const std::string& para) {
    const std::string body = "txtLanguage=1&txtSubjectID=" + std::to_string(subject) +
                             "&txtUserName=demo&txtPwd=secret&txtPara=" + para;
    const auto lines =
        testing::reply_lines(dispatcher_.dispatch("DATA_QUERY", wire::utf8_to_gbk(body)).to_gbk());
    std::vector<std::vector<std::string>> out;
    for (const auto& line : lines) {
      wire::FieldReader reader(line);
      std::vector<std::string> fields;
      std::string field;
      while (reader.next(field) > 0) fields.push_back(field);  // the reader hands back UTF-8
      out.push_back(fields);
    }
    return out;
  }

  testing::MarketFixture fixture_;
  std::shared_ptr<market::Market> market_;
  ServerServices services_;
  Dispatcher dispatcher_;
};

TEST_F(HistorySubjects, TeamFormNewestFirstFromTheTeamsSide) {
  const auto home = ask(4023, "30001|1");
  ASSERT_EQ(home.size(), 4u);
  EXPECT_EQ(home[0][0], "1");
  // 红队 v 蓝队 1:0 without a line, then away at 蓝队 1:1 (蓝队 gave half and lost), then 绿队.
  EXPECT_EQ(std::vector<std::string>(home[1].begin() + 2, home[1].end()),
            (std::vector<std::string>{"蓝队", "1", "1", "0", "0", "0", "0", "0.000"}));
  EXPECT_EQ(std::vector<std::string>(home[2].begin() + 2, home[2].end()),
            (std::vector<std::string>{"蓝队", "0", "1", "1", "3", "0", "3", "0.900"}));
  EXPECT_EQ(std::vector<std::string>(home[3].begin() + 2, home[3].end()),
            (std::vector<std::string>{"绿队", "1", "2", "0", "5", "0", "1", "0.950"}));

  const auto away_venue = ask(4024, "30001|0");  // 蓝队 away: at 红队, then at 黄队
  ASSERT_EQ(away_venue.size(), 3u);
  EXPECT_EQ(away_venue[1][2], "红队");
  EXPECT_EQ(away_venue[2][2], "黄队");
  EXPECT_EQ(away_venue[2][4], "3");
  const auto home_venue = ask(4024, "30001|1");  // 红队 at home: 蓝队 and 绿队
  EXPECT_EQ(home_venue.size(), 3u);
}

TEST_F(HistorySubjects, HeadToHeadEitherWayRound) {
  const auto met = ask(4026, "30001");
  ASSERT_EQ(met.size(), 3u);
  EXPECT_EQ((std::vector<std::string>(met[1].begin() + 1, met[1].begin() + 5)),
            (std::vector<std::string>{"红队", "蓝队", "1", "0"}));
  EXPECT_EQ((std::vector<std::string>(met[2].begin() + 1, met[2].end())),
            (std::vector<std::string>{"蓝队", "红队", "1", "1", "3", "0", "3", "0.900"}));
}

TEST_F(HistorySubjects, TrendFollowsTheShownSidesRecordedPrices) {
  const auto home = ask(4022, "30001|0");
  ASSERT_EQ(home.size(), 3u);
  EXPECT_EQ((std::vector<std::string>(home[1].begin() + 1, home[1].end())),
            (std::vector<std::string>{"3", "0.920", "1"}));
  EXPECT_EQ((std::vector<std::string>(home[2].begin() + 1, home[2].end())),
            (std::vector<std::string>{"3", "0.880", "1"}));
  const auto away = ask(4022, "30001|1");
  ASSERT_EQ(away.size(), 3u);
  EXPECT_EQ(away[2][2], "1.020");
}

TEST_F(HistorySubjects, RefusesMalformedRequestsAndUnknownMatches) {
  const struct {
    int subject;
    const char* para;
    const char* message;
  } cases[] = {{4023, "30001", "请求参数格式错误。"}, {4023, "30001|2", "请求参数格式错误。"},
               {4024, "x|1", "请求参数格式错误。"},   {4026, "30001|1", "请求参数格式错误。"},
               {4022, "99999|0", "没有这场比赛。"},   {4026, "99999", "没有这场比赛。"}};
  for (const auto& c : cases) {
    const auto reply = ask(c.subject, c.para);
    ASSERT_FALSE(reply.empty());
    EXPECT_EQ(reply[0], (std::vector<std::string>{"0", c.message})) << c.subject << " " << c.para;
  }
}

TEST(LineHistory, KeepsTheLatestPointsOfASide) {
  testing::MarketFixture fixture(false);
  fixture.exec("INSERT INTO market_leagues (id, name, sport) VALUES (1, 'L', 0)");
  fixture.exec(
      "INSERT INTO market_matches (id, league_id, home, away, kickoff, ends_at, neutral, offers_in_play,"
      " in_parlay, script, supremacy, expected_total, handicap_delay, totals_delay)"
      " VALUES (7, 1, 'A', 'B', 0, 1, 0, 0, 0, '', 0, 0, 0, 0)");
  fixture.exec(
      "INSERT INTO market_lines (selection_id, match_id, market_type, slot, line_code, price_milli,"
      " price_sum_target) VALUES (1, 7, 0, 0, 5, 500, 190)");
  for (int i = 1; i <= 80; ++i)
    fixture.exec("UPDATE market_lines SET price_milli = " + std::to_string(500 + i) +
                 " WHERE selection_id = 1");
  auto points = fixture.db().read([](storage::Connection& c) { return matchinfo::line_history(c, 7, true); });
  ASSERT_TRUE(points);
  ASSERT_EQ(points.value().size(), static_cast<std::size_t>(matchinfo::kLineHistoryCap));
  EXPECT_EQ(points.value().back().price_milli, 580);
  EXPECT_EQ(points.value().front().price_milli, 580 - matchinfo::kLineHistoryCap + 1);
}

TEST(PastResults, SeedGivesEveryComingPairAMeetingAndEarlierPrices) {
  testing::MarketFixture fixture;  // the demo market
  auto report = matchinfo::seed_past_results(fixture.db(), testing::MarketFixture::kNow, 7);
  ASSERT_TRUE(report) << report.error();
  EXPECT_GT(report.value().matches, 0);
  EXPECT_GT(report.value().line_points, 0);
  auto market = fixture.open_market();
  const auto snapshot = market->snapshot();
  for (const auto& m : snapshot->matches) {
    if (m.status == market::MatchStatus::finished) continue;
    auto met = fixture.db().read(
        [&](storage::Connection& c) { return matchinfo::meetings(c, m.home, m.away, m.kickoff, 10); });
    ASSERT_TRUE(met);
    EXPECT_FALSE(met.value().empty()) << m.home << " v " << m.away;
  }
}

}  // namespace
}  // namespace brindle::server
