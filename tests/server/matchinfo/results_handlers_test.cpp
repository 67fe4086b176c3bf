#include "server/matchinfo/results_handlers.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "../market/market_fixture.h"
#include "server/market/line_pricing.h"
#include "server/market/match_result.h"
#include "wire/field_reader.h"
#include "wire/framing.h"
#include "wire/gbk.h"

namespace brindle::server {
namespace {

using testing::MarketFixture;
using Rows = std::vector<std::vector<std::string>>;

// "%Y%m%d%H%M%S" in local time, as the client sends a range.
std::string range_text(std::int64_t unix_seconds) {
  const std::time_t t = unix_seconds;
  std::tm local{};
  localtime_r(&t, &local);
  char text[16];
  std::strftime(text, sizeof text, "%Y%m%d%H%M%S", &local);
  return text;
}

class ResultsSubjects : public ::testing::Test {
 protected:
  ResultsSubjects() : market_(fixture_.open_market()) {
    services_.market = market_;
    EXPECT_TRUE(add_results_handlers(dispatcher_, services_));
  }

  // The header's code and message, then every row's fields in UTF-8.
  std::pair<std::string, Rows> ask(int subject, const std::string& para) {
    const std::string body = "txtLanguage=1&txtSubjectID=" + std::to_string(subject) +
                             "&txtUserName=demo&txtPwd=secret&txtPara=" + para;
    const auto lines =
        testing::reply_lines(dispatcher_.dispatch("DATA_QUERY", wire::utf8_to_gbk(body)).to_gbk());
    Rows rows;
    for (const auto& line : lines) {
      wire::FieldReader reader(line);
      std::vector<std::string> fields;
      std::string field;
      while (reader.next(field) > 0) fields.push_back(field);
      rows.push_back(fields);
    }
    std::string header = rows.empty() ? std::string() : rows.front().at(0) + "|" + rows.front().at(1);
    if (!rows.empty()) rows.erase(rows.begin());
    return {header, rows};
  }

  std::string range(std::int64_t from, std::int64_t to) { return range_text(from) + "|" + range_text(to); }

  MarketFixture fixture_;
  std::shared_ptr<market::Market> market_;
  ServerServices services_;
  Dispatcher dispatcher_;
};

TEST_F(ResultsSubjects, FinishedMatchesInTheRangeWithTheirScoreAndHandicap) {
  const auto snapshot = fixture_.snapshot();
  const market::Match& first = snapshot.matches.at(0);
  const market::Match& second = snapshot.matches.at(1);
  ASSERT_TRUE(market::post_result(fixture_.db(), first.id, 2, 1));
  ASSERT_TRUE(market::post_result(fixture_.db(), second.id, 0, 0));
  ASSERT_TRUE(market_->refresh());

  const auto [header, rows] = ask(4025, range(MarketFixture::kNow - 86400, MarketFixture::kNow + 86400));
  EXPECT_EQ(header, "1|");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0][0], first.league_name);
  EXPECT_EQ(rows[0][1], first.home);
  EXPECT_EQ((std::vector<std::string>{rows[0][3], rows[0][4]}), (std::vector<std::string>{"2", "1"}));
  EXPECT_EQ(rows[1][3] + ":" + rows[1][4], "0:0");
  EXPECT_EQ(rows[0][8], std::to_string(first.line_kind()));
  // The handicap of the side that gives; received when that is the away team.
  for (const market::Line* line : snapshot.lines_of(first.id)) {
    if (line->type != market::MarketType::asian_handicap || line->line_code <= 0) continue;
    EXPECT_EQ(rows[0][6], std::to_string(market::handicap_code_of(line->line_code)));
    EXPECT_EQ(rows[0][7], market::handicap_side_is_home(line->line_code) ? "0" : "1");
    break;
  }

  // A range that ends before the first kick-off finds nothing.
  EXPECT_TRUE(ask(4025, range(first.kickoff - 7200, first.kickoff - 1)).second.empty());
}

TEST_F(ResultsSubjects, FixturesAreTheMatchesStillToKickOff) {
  // The demo's times moved to the market clock's today: the one match already under way stays out.
  const std::int64_t shift = market_->now() - MarketFixture::kNow;
  fixture_.exec("UPDATE market_matches SET kickoff = kickoff + " + std::to_string(shift) +
                ", ends_at = ends_at + " + std::to_string(shift) +
                "; UPDATE market_meta SET value = value + 1 WHERE key = 'version'");
  ASSERT_TRUE(market_->refresh());
  std::vector<std::string> coming;
  for (const auto& m : market_->snapshot()->matches) {
    if (m.kickoff > market_->now()) coming.push_back(m.home);
  }
  const auto [header, rows] = ask(4025, "-1|-1");
  EXPECT_EQ(header, "1|");
  ASSERT_EQ(rows.size(), coming.size());
  ASSERT_FALSE(coming.empty());
  ASSERT_LT(rows.size(), market_->snapshot()->matches.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i][1], coming[i]);
    EXPECT_EQ(rows[i][3], "-1");
  }
}

TEST_F(ResultsSubjects, OutrightResultsNameTheWinner) {
  const auto snapshot = fixture_.snapshot();
  const market::OutrightEvent& event = snapshot.events.at(0);
  const market::OutrightSelection* winner = nullptr;
  for (const auto& s : snapshot.outright_selections) {
    if (s.event_id == event.id) {
      winner = &s;
      break;
    }
  }
  ASSERT_NE(winner, nullptr);
  ASSERT_TRUE(market::post_result(fixture_.db(), event.id, winner->place, 0));
  ASSERT_TRUE(market_->refresh());
  const auto [header, rows] = ask(4040, range(event.decided_at - 3600, event.decided_at + 3600));
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][0], event.competition);
  EXPECT_EQ(rows[0][1], event.name);
  EXPECT_EQ(rows[0][9], winner->name);
}

TEST_F(ResultsSubjects, BadRangesAreRefused) {
  struct Case {
    int subject;
    std::string para;
    std::string header;
  } cases[] = {
      {4025, range(MarketFixture::kNow, MarketFixture::kNow + 745LL * 3600), "0|只能查询31天的记录！"},
      {4040, range(MarketFixture::kNow, MarketFixture::kNow + 745LL * 3600), "0|只能查询31天的记录！"},
      {4025, range(MarketFixture::kNow, MarketFixture::kNow - 1), "0|选择查询的结束日期不能小于开始日期！"},
      {4040, "2025|x", "0|查询日期格式错误。"},
      {4025, "", "0|查询日期格式错误。"},
  };
  for (const auto& c : cases) EXPECT_EQ(ask(c.subject, c.para).first, c.header) << c.para;
  EXPECT_EQ(ask(4025, range(MarketFixture::kNow, MarketFixture::kNow + 745LL * 3600 - 1)).first, "1|");
}

}  // namespace
}  // namespace brindle::server
