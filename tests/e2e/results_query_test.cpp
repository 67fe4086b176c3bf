// The results window's model against the seeded reference server: a match finished by the operator
// shows among yesterday's and today's results with its score, the coming matches are the fixtures, and
// a decided index event shows its winner on the third tab.

#include "core/matchinfo/results_query.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <string>

#include "seeded_market.h"
#include "server/market/market.h"

namespace {

using namespace brindle;
using brindle::testing::civil;
using brindle::testing::read_file;

class ResultsQueryAgainstServer : public brindle::testing::SeededMarketTest {
 protected:
  void post(int id, int home, int away) {
    const auto printed = dir_ / "result.txt";
    ASSERT_TRUE(run_server_command(" post-result --data-dir " + data().string() + " " + std::to_string(id) +
                                       " " + std::to_string(home) + " " + std::to_string(away),
                                   printed))
        << read_file(printed);
  }
};

TEST_F(ResultsQueryAgainstServer, ResultsFixturesAndOutrightResults) {
  if (!start_signed_in(/*run_feed=*/false)) return;
  auto market = server_->services().market;
  const auto before = market->snapshot();
  // The first match still to be decided (the seed adds finished ones with their results); the index
  // event is decided within a day.
  const auto open_match = std::find_if(before->matches.begin(), before->matches.end(),
                                       [](const server::market::Match& m) { return !m.result; });
  ASSERT_NE(open_match, before->matches.end());
  const server::market::Match& match = *open_match;
  const server::market::OutrightEvent* index_event = nullptr;
  for (const auto& e : before->events) {
    if (e.name == "本轮总进球数指数") index_event = &e;
  }
  ASSERT_NE(index_event, nullptr);
  const int event_id = index_event->id;
  const std::int64_t decided_at = index_event->decided_at;
  post(match.id, 3, 1);
  post(event_id, 2, 0);
  ASSERT_TRUE(market->refresh());

  matchinfo::ResultsQueryModel model(session_, messages_,
                                     matchinfo::opening_results_range(civil(std::time(nullptr))));
  model.open();
  ASSERT_TRUE(messages_.texts.empty()) << messages_.texts.front();
  // Our result among any seeded ones of the last two days.
  const auto& rows = model.rows();
  const auto ours = std::find_if(rows.begin(), rows.end(), [&](const std::vector<std::string>& r) {
    return r.size() > 4 && r[2] == match.home + " vs " + match.away;
  });
  ASSERT_NE(ours, rows.end());
  EXPECT_EQ((*ours)[1], match.league_name);
  EXPECT_EQ((*ours)[3], "3 : 1");
  EXPECT_FALSE((*ours)[4].empty());

  model.select_tab(matchinfo::ResultsTab::fixtures);
  EXPECT_GT(model.rows().size(), 10u);

  auto range = model.range();
  range.end = civil(static_cast<std::time_t>(decided_at + 3600));
  model.set_range(range);
  model.select_tab(matchinfo::ResultsTab::outright_index);
  ASSERT_EQ(model.rows().size(), 1u);
  EXPECT_EQ(model.rows()[0][2], "本轮总进球数指数");
  EXPECT_EQ(model.rows()[0][3], "16至20球");
  EXPECT_TRUE(messages_.texts.empty());
}

}  // namespace
