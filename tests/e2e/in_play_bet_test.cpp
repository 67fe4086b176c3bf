// An in-play bet from the in-play hall to the seeded reference server: the ticket fetches the fresh
// line, the pre-bet check asks for a delay, and the follow-up on its one-second timer has the bet
// accepted and says so. The client's timers and the server's market clock move together, one
// scripted second at a time, so nothing sleeps.

#include <gtest/gtest.h>

#include <string>

#include "core/betting/in_play_hall.h"
#include "core/betting/in_play_ticket.h"
#include "core/ports/notice_port.h"
#include "core/protocol/bet_submission.h"
#include "core/protocol/market_type.h"
#include "core/protocol/records_queries.h"
#include "seeded_market.h"
#include "server/market/market.h"
#include "server/market/market_store.h"
#include "server/server.h"
#include "server/storage/database.h"
#include "support/scripted_clock.h"

namespace {

using namespace brindle;
using C = betting::InPlayHall::Column;

struct RecordingNotices final : ports::NoticePort {
  void notice(const std::string& text) override { texts.push_back(text); }
  std::vector<std::string> texts;
};

class InPlayBetAgainstServer : public brindle::testing::SeededMarketTest {
 protected:
  void SetUp() override {
    // Prices move only when the test moves them: a feed tick between the ticket's fresh line and
    // the bet would refuse the bet with "赔率已经改变". The one tick start_server makes brings the
    // running matches to now, with their in-play lines.
    if (!start_signed_in(/*run_feed=*/false)) return;
    ASSERT_NO_FATAL_FAILURE(refresh_quietly(hall_));
  }

  void server_sql(const std::string& statement) {
    auto done = server_->services().db->transaction([&](server::storage::Connection& c) -> Result<void> {
      if (auto ran = c.execute_script(statement); !ran) return ran;
      return server::market::bump_market_version(c);
    });
    ASSERT_TRUE(done.ok()) << done.error();
    ASSERT_TRUE(server_->services().market->refresh().ok());
  }

  // One second on the client's timers and on the server's market clock.
  void advance_seconds(int seconds) {
    for (int i = 0; i < seconds; ++i) {
      auto done = server_->services().db->transaction([](server::storage::Connection& c) -> Result<void> {
        return c.execute_script("UPDATE market_meta SET value = value + 1 WHERE key = 'clock_offset'");
      });
      ASSERT_TRUE(done.ok()) << done.error();
      clock_.advance_seconds(1);
    }
  }

  // The first running match whose giving side has an in-play handicap price.
  std::optional<std::size_t> open_line() const {
    for (std::size_t i = 0; i < hall_.line_count(); ++i) {
      if (hall_.cell_text(i, C::kPositiveOdds) != betting::kNoLineText) return i;
    }
    return std::nullopt;
  }

  brindle::testing::ScriptedClock clock_;
  RecordingNotices notices_;
  betting::InPlayFollowUps follow_ups_{session_, clock_, notices_};
  betting::InPlayHall hall_{services(), clock_, follow_ups_};
};

TEST_F(InPlayBetAgainstServer, ADelayedBetIsFollowedUpAcceptedAndShowsInTheRecords) {
  const auto line = open_line();
  ASSERT_TRUE(line) << "the demo market has no running match with an in-play handicap line";
  const int match = hall_.matches()[*line].match_number;
  server_sql("UPDATE market_matches SET handicap_delay = 3 WHERE id = " + std::to_string(match));

  const double before = context_.balance;
  ASSERT_GE(before, 100);
  stake_window_.answers = {"100"};
  hall_.click(*line, C::kPositiveOdds);
  ASSERT_EQ(messages_.texts.size(), 1u);
  const std::string suffix = betting::kDelayedBetPlacedSuffix;
  ASSERT_GE(messages_.texts[0].size(), suffix.size());
  EXPECT_EQ(messages_.texts[0].substr(messages_.texts[0].size() - suffix.size()), suffix)
      << messages_.texts[0];
  EXPECT_EQ(context_.in_play_delay, 3);
  ASSERT_EQ(frame_.posted.size(), 1u);
  EXPECT_EQ(frame_.posted[0], std::make_tuple(ports::WindowMessage::bet_placed, 0, 100));
  EXPECT_EQ(follow_ups_.waiting(), 1u);
  const int bet_number = context_.in_play_bet_number;

  // Waiting out the delay: in the records, nothing frozen yet.
  std::vector<protocol::SingleBetRecord> records;
  ASSERT_TRUE(protocol::fetch_unsettled_single_bets(session_, records));
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].serial_number, bet_number);
  EXPECT_EQ(records[0].market_type, protocol::kTypeInPlayAsianHandicap);
  EXPECT_EQ(records[0].status, 2);  // still waiting out its delay

  advance_seconds(4);
  EXPECT_EQ(follow_ups_.waiting(), 1u);
  EXPECT_TRUE(notices_.texts.empty());
  advance_seconds(1);  // the fifth tick
  EXPECT_EQ(follow_ups_.waiting(), 0u);
  EXPECT_EQ(notices_.texts, std::vector<std::string>{betting::delayed_bet_notice(bet_number, 0)});
  EXPECT_EQ(context_.in_play_confirmation, 0);

  records.clear();
  ASSERT_TRUE(protocol::fetch_unsettled_single_bets(session_, records));
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].serial_number, bet_number);
  EXPECT_EQ(records[0].status, protocol::kInPlayBetAccepted);
  EXPECT_DOUBLE_EQ(records[0].stake, 100);
  EXPECT_EQ(records[0].home_team, hall_.matches()[*line].home_team);
}

}  // namespace
