// A banker's market through the client's own requests against the seeded reference server:
// demo_star opens a 1X2 offer, demo_rmb takes it, the result is posted, and both holdings and
// statements move by what the odds give; a fourth market on one match and kind is refused.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <string>
#include <vector>

#include "core/protocol/account_requests.h"
#include "core/protocol/bet_submission.h"
#include "core/protocol/market_data.h"
#include "core/protocol/records_queries.h"
#include "seeded_market.h"
#include "server/betting/match_settlement.h"
#include "server/market/match_result.h"
#include "server/server.h"

namespace {

using namespace brindle;

using Client = brindle::testing::SeededClient;

class BankerMarketAgainstServer : public brindle::testing::SeededMarketTest {
 protected:
  void SetUp() override {
    if (!start_server()) return;
    ASSERT_TRUE(sign_in(star_, "demo_star", "star1234")) << error_;
    ASSERT_TRUE(sign_in(rmb_, "demo_rmb", "rmb12345")) << error_;
  }

  static protocol::AccountBalance holding(Client& client) {
    protocol::AccountBalance balance;
    EXPECT_TRUE(protocol::fetch_balance(client.session, balance));
    return balance;
  }

  static std::vector<protocol::StatementEntry> statement(Client& client) {
    std::vector<protocol::StatementEntry> entries;
    const auto fetched = protocol::fetch_statement(client.session, brindle::testing::around_now(), entries);
    EXPECT_TRUE(fetched) << fetched.error();
    return entries;
  }

  Client star_;
  Client rmb_;
};

TEST_F(BankerMarketAgainstServer, OpenTakeSettleMovesBothHoldingsByTheOdds) {
  std::vector<protocol::MatchRecord> matches;
  ASSERT_TRUE(protocol::fetch_open_market_matches(star_.session, 1, matches));
  ASSERT_FALSE(matches.empty());
  const int openable = matches.back().match_number;  // the latest kick-off stays open throughout
  std::vector<protocol::SuggestedPriceRow> prices;
  ASSERT_TRUE(protocol::fetch_suggested_prices(star_.session, openable, prices));
  ASSERT_FALSE(prices.empty());
  const auto home = std::find_if(prices.begin(), prices.end(), [](const auto& p) { return p.second == 1; });
  ASSERT_NE(home, prices.end());
  const double net = std::round(home->price * 100.0) / 100.0;  // two decimals, as the window sends

  const double star_before = holding(star_).amount;
  const double rmb_before = holding(rmb_).amount;
  std::string text;
  const auto opened = protocol::open_market(star_.session, openable, 1000, {{home->option_code, net}}, text);
  ASSERT_TRUE(opened) << opened.error();
  EXPECT_EQ(text.size(), 10u);  // the open-market serial number

  std::vector<protocol::BankerMarketGroup> groups;
  ASSERT_TRUE(protocol::fetch_banker_markets(rmb_.session, 1, groups));
  const protocol::BankerMarketRow* offer = nullptr;
  for (const auto& g : groups) {
    for (const auto& row : g.rows) {
      if (row.match_number * 10 + 1 == openable && row.choice_code == 1) offer = &row;
    }
  }
  ASSERT_NE(offer, nullptr);
  EXPECT_EQ(offer->banker_nickname, "星级庄家");
  EXPECT_DOUBLE_EQ(offer->banker_stake, 1000);
  ASSERT_TRUE(protocol::bet_against_banker(rmb_.session, *offer, 100, text));

  const int match = openable / 10;
  ASSERT_TRUE(server::market::post_result(*server_->services().db, match, 2, 1).ok());
  ASSERT_TRUE(server::betting::settle_match(*server_->services().db, match).ok());

  const double won = 100 * net;
  EXPECT_NEAR(holding(rmb_).amount, rmb_before + won, 0.005);
  EXPECT_NEAR(holding(star_).amount, star_before - won, 0.005);
  const auto rmb_entries = statement(rmb_);
  ASSERT_FALSE(rmb_entries.empty());
  EXPECT_EQ(rmb_entries.back().transaction_type, 6);
  EXPECT_NEAR(rmb_entries.back().amount, won, 0.005);
  const auto star_entries = statement(star_);
  ASSERT_FALSE(star_entries.empty());
  EXPECT_EQ(star_entries.back().transaction_type, 14);
  EXPECT_NEAR(star_entries.back().amount, -won, 0.005);
}

TEST_F(BankerMarketAgainstServer, TheFourthMarketOnOneMatchAndKindIsRefused) {
  std::vector<protocol::MatchRecord> matches;
  ASSERT_TRUE(protocol::fetch_open_market_matches(star_.session, 1, matches));
  ASSERT_FALSE(matches.empty());
  const int openable = matches.back().match_number;
  std::vector<protocol::SuggestedPriceRow> prices;
  ASSERT_TRUE(protocol::fetch_suggested_prices(star_.session, openable, prices));
  ASSERT_FALSE(prices.empty());
  const double net = std::round(prices[0].price * 100.0) / 100.0;
  std::string text;
  for (int i = 0; i < 3; ++i) {
    const auto opened =
        protocol::open_market(star_.session, openable, 100, {{prices[0].option_code, net}}, text);
    ASSERT_TRUE(opened) << opened.error();
  }
  const auto fourth =
      protocol::open_market(star_.session, openable, 100, {{prices[0].option_code, net}}, text);
  ASSERT_FALSE(fourth);
  EXPECT_EQ(fourth.error(), "同一帐户、同一赛事相同盘口最多可开出三个盘！");
}

}  // namespace
