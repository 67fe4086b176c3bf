// A parlay through the hall's ticket to the seeded reference server: three legs from the 1X2
// columns, stakes on 三串一 and 三串三, the debit of exactly the total stake, the bet's legs in the
// unsettled parlay records, and after the results the return the leg prices give.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <set>
#include <string>
#include <thread>
#include <tuple>

#include "core/betting/parlay_hall.h"
#include "core/betting/single_ticket.h"
#include "core/protocol/account_requests.h"
#include "core/protocol/records_queries.h"
#include "seeded_market.h"
#include "server/server.h"

namespace {

using namespace brindle;
using brindle::testing::read_file;
using C = betting::ParlayHall::Column;

class ParlayAgainstServer : public brindle::testing::SeededMarketTest {
 protected:
  void SetUp() override {
    if (!start_signed_in()) return;
    ASSERT_NO_FATAL_FAILURE(refresh_quietly(hall_));
    frame_.posted.clear();
  }

  // Three lines of the list with a home-win price, latest kick-off first: their lines stay open for
  // the whole test.
  std::vector<std::size_t> latest_three() const {
    std::vector<std::size_t> lines;
    for (std::size_t i = 0; i < hall_.matches().size(); ++i) {
      if (hall_.outcome_line(i, betting::kHomeWinCode)) lines.push_back(i);
    }
    std::sort(lines.begin(), lines.end(), [this](std::size_t a, std::size_t b) {
      const auto& x = hall_.matches()[a];
      const auto& y = hall_.matches()[b];
      return std::tie(x.kick_off_date, x.kick_off_time) > std::tie(y.kick_off_date, y.kick_off_time);
    });
    if (lines.size() > 3) lines.resize(3);
    return lines;
  }

  brindle::testing::ScriptedParlayWindows parlay_windows_;
  betting::ParlayHall hall_{services(), parlay_windows_};
};

TEST_F(ParlayAgainstServer, ThreeLegsWithTwoTypesDebitTheTotalShowInTheRecordsAndSettleAtTheirPrices) {
  const auto lines = latest_three();
  ASSERT_EQ(lines.size(), 3u) << "the demo market needs three matches with 1X2 lines";
  for (const std::size_t line : lines) hall_.click(line, C::kHomeWin);
  ASSERT_TRUE(messages_.texts.empty()) << messages_.texts.front();
  betting::ParlayTicket& ticket = hall_.ticket();
  ASSERT_EQ(ticket.legs().size(), 3u);
  ASSERT_EQ(ticket.type_name(0), "三串一");
  ASSERT_EQ(ticket.type_name(1), "三串三");
  ticket.edit_stake(0, "100");
  ticket.edit_stake(1, "20");
  EXPECT_EQ(ticket.stake_line(), "总投注彩金：160 元");

  // A refresh under the ticket: same prices, the legs stay.
  hall_.refresh();
  ASSERT_EQ(ticket.legs().size(), 3u);
  EXPECT_TRUE(messages_.texts.empty()) << messages_.texts.front();

  std::vector<double> odds;
  std::set<int> matches;
  for (const auto& leg : ticket.legs()) {
    // The server holds prices in thousandths.
    odds.push_back(std::round(leg.price * 1000) / 1000 + 1.0);
    matches.insert(leg.match_number);
  }
  // Each type row is a bet of its own on the server, paid in whole cents rounded down.
  const auto cents_down = [](double amount) { return std::floor(amount * 100 + 1e-6) / 100; };
  const double expected_return = cents_down(100 * odds[0] * odds[1] * odds[2]) +
                                 cents_down(20 * (odds[0] * odds[1] + odds[0] * odds[2] + odds[1] * odds[2]));

  const double before = context_.balance;
  ticket.bet();
  ASSERT_EQ(parlay_windows_.overviews.size(), 1u);
  ASSERT_FALSE(messages_.texts.empty());
  EXPECT_NE(messages_.texts.back().find(betting::kBetPlacedSuffix), std::string::npos)
      << messages_.texts.back();
  EXPECT_TRUE(ticket.legs().empty());
  ASSERT_FALSE(frame_.posted.empty());
  EXPECT_EQ(frame_.posted.back(), std::make_tuple(ports::WindowMessage::bet_placed, 0, 160));
  EXPECT_DOUBLE_EQ(context_.balance, before - 160);

  std::vector<protocol::GroupedBetRecord> records;
  const auto fetched = protocol::fetch_unsettled_parlays(session_, records);
  ASSERT_TRUE(fetched) << fetched.error();
  std::set<int> masks;
  std::set<std::string> homes;
  for (const auto& r : records) {
    masks.insert(r.combination_mask);
    homes.insert(r.home_team);
    EXPECT_EQ(r.leg_count, 3);
  }
  EXPECT_EQ(masks, (std::set<int>{2, 4}));
  EXPECT_EQ(homes.size(), 3u);

  // Every home team wins: every combination pays.
  for (const int match : matches) {
    const auto printed = dir_ / "result.txt";
    ASSERT_TRUE(run_server_command(
        " post-result --data-dir " + data().string() + " " + std::to_string(match) + " 2 0", printed))
        << read_file(printed);
  }
  protocol::AccountBalance balance;
  const double settled = before - 160 + expected_return;
  for (int tries = 0; tries < 50; ++tries) {
    ASSERT_TRUE(protocol::fetch_balance(session_, balance));
    if (balance.balance > before - 160 + 0.001) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  EXPECT_NEAR(balance.balance, settled, 0.005) << "return " << expected_return;
}

}  // namespace
