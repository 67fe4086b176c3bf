// A single bet from the Asian handicap hall to the seeded reference server and back: the balance
// moves by the stake, the account panel shows it, the bet is in the unsettled records, and a stale
// price comes back refused in the server's words with the stake window reopened.

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "core/app/account_panel.h"
#include "core/betting/asian_handicap_hall.h"
#include "core/betting/single_ticket.h"
#include "core/protocol/account_requests.h"
#include "core/protocol/records_queries.h"
#include "seeded_market.h"

namespace {

using namespace brindle;

class SingleBetAgainstServer : public brindle::testing::SeededMarketTest {
 protected:
  void SetUp() override {
    if (!start_signed_in()) return;
    ASSERT_NO_FATAL_FAILURE(refresh_quietly(hall_));
    ASSERT_GT(hall_.line_count(), 0u);
    frame_.posted.clear();
  }

  // The demo market starts some matches at once and closes their lines; the latest kick-off is days
  // away, so its lines stay open for the whole test.
  std::size_t latest_row() const {
    std::size_t latest = 0;
    const auto& rows = hall_.rows();
    for (std::size_t i = 1; i < rows.size(); ++i) {
      const auto& r = rows[i];
      const auto& l = rows[latest];
      if (std::tie(r.kick_off_date, r.kick_off_time) > std::tie(l.kick_off_date, l.kick_off_time)) latest = i;
    }
    return latest;
  }

  betting::AsianHandicapHall hall_{services()};
};

TEST_F(SingleBetAgainstServer, APlacedBetDebitsTheStakeAndShowsInTheUnsettledRecords) {
  const double before = context_.balance;
  const std::string panel_before = app::account_panel_text(context_);
  ASSERT_GE(before, 100);
  stake_window_.answers = {"100"};
  const std::size_t row = latest_row();
  hall_.click(row, betting::AsianHandicapHall::kBetGiving);

  ASSERT_EQ(messages_.texts.size(), 1u);
  const std::string suffix = betting::kBetPlacedSuffix;
  ASSERT_GE(messages_.texts[0].size(), suffix.size());
  EXPECT_EQ(messages_.texts[0].substr(messages_.texts[0].size() - suffix.size()), suffix)
      << messages_.texts[0];
  EXPECT_DOUBLE_EQ(context_.balance, before - 100);
  EXPECT_EQ(std::get<0>(frame_.posted.back()), ports::WindowMessage::bet_placed);
  EXPECT_EQ(std::get<2>(frame_.posted.back()), 100);
  EXPECT_NE(app::account_panel_text(context_), panel_before);

  // The next balance request: the stake has left the free amount and waits, frozen, for settlement.
  const double frozen_before = context_.frozen_amount - 100;
  protocol::AccountBalance balance;
  ASSERT_TRUE(protocol::fetch_balance(session_, balance));
  EXPECT_DOUBLE_EQ(balance.balance, before - 100);
  EXPECT_DOUBLE_EQ(balance.amount, before);  // the whole holding, frozen stake included
  EXPECT_DOUBLE_EQ(balance.frozen_amount, frozen_before + 100);

  std::vector<protocol::SingleBetRecord> records;
  const auto fetched = protocol::fetch_unsettled_single_bets(session_, records);
  ASSERT_TRUE(fetched) << fetched.error();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_DOUBLE_EQ(records[0].stake, 100);
  EXPECT_EQ(records[0].home_team, hall_.rows()[row].home_team);
}

TEST_F(SingleBetAgainstServer, AStalePriceIsRefusedInTheServersWordsAndTheStakeWindowReturns) {
  const double before = context_.balance;
  auto line = hall_.ticket_line(latest_row());
  line.row.home_price += 0.2;  // what the ticket would hold after the server moved the line
  line.row.away_price += 0.2;
  stake_window_.answers = {"100", std::nullopt};
  betting::TicketServices ticket{session_, messages_, stake_window_, confirmation_, frame_};
  EXPECT_EQ(betting::run_asian_handicap_ticket(ticket, line, notation::HandicapSide::kGiving),
            betting::TicketOutcome::kCancelled);
  ASSERT_EQ(messages_.texts.size(), 1u);
  EXPECT_FALSE(messages_.texts[0].empty());
  EXPECT_EQ(messages_.texts[0].find(betting::kBetPlacedSuffix), std::string::npos) << messages_.texts[0];
  ASSERT_EQ(stake_window_.typed_on_show.size(), 2u);
  EXPECT_EQ(stake_window_.typed_on_show[1], "100");
  EXPECT_TRUE(frame_.posted.empty());
  EXPECT_DOUBLE_EQ(context_.balance, before);
}

}  // namespace
