// A day of demo betting against the seeded reference server, read back through the client's record
// and statement fetchers: a buy-in and a credit line booked by the operator, an Asian handicap
// single, a parlay, an outright bet and a bet against a banker's market. Every record kind holds the
// bets before settlement (unsettled kinds) and after it (settled kinds), and each statement chains
// its balance from entry to entry up to the holding that 4012 reports. Transfers (2009) and room
// commissions have their own test (star_room_test.cpp).

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <tuple>
#include <vector>

#include "core/accounts/bet_record_tabs.h"
#include "core/accounts/records_window_model.h"
#include "core/accounts/statement_rows.h"
#include "core/protocol/account_requests.h"
#include "core/protocol/bet_submission.h"
#include "core/protocol/market_data.h"
#include "core/protocol/market_type.h"
#include "core/protocol/records_queries.h"
#include "loopback_server.h"
#include "seeded_market.h"
#include "server/market/market.h"

namespace {

using namespace brindle;
using brindle::testing::around_now;
using brindle::testing::civil;
using brindle::testing::read_file;

std::string ten(int serial) {
  char text[16];
  std::snprintf(text, sizeof text, "%.10d", serial);
  return text;
}

class RecordsAndStatementAgainstServer : public brindle::testing::SeededMarketTest {
 protected:
  void SetUp() override {
    // Without the feed the prices fetched are the prices the bets are taken at.
    if (!start_signed_in(/*run_feed=*/false)) return;
    ASSERT_TRUE(sign_in(star_, "demo_star", "star1234")) << error_;
  }

  void admin(const std::string& words) {
    const auto printed = dir_ / "admin.txt";
    ASSERT_TRUE(run_server_command(" " + words, printed)) << words << ": " << read_file(printed);
  }

  // The statement of the day, checked to chain: each balance before is the previous one plus its
  // amount, and the last sum is the holding 4012 reports. Returns the entries.
  static std::vector<protocol::StatementEntry> chained_statement(protocol::Session& session) {
    std::vector<protocol::StatementEntry> entries;
    const auto fetched = protocol::fetch_statement(session, around_now(), entries);
    EXPECT_TRUE(fetched) << fetched.error();
    if (entries.empty()) return entries;
    double running = entries.front().balance_before;
    EXPECT_NEAR(running, 0.0, 0.005) << "the day began with the account";
    for (const auto& e : entries) {
      EXPECT_NEAR(e.balance_before, running, 0.005) << e.time << " type " << e.transaction_type;
      running += e.amount;
    }
    protocol::AccountBalance balance;
    EXPECT_TRUE(protocol::fetch_balance(session, balance));
    EXPECT_NEAR(running, balance.amount, 0.005);
    EXPECT_NEAR(balance.amount, balance.balance + balance.frozen_amount, 0.005);
    return entries;
  }

  brindle::testing::SeededClient star_;
  std::map<int, std::pair<int, int>> results_;  // match → the score to post
};

TEST_F(RecordsAndStatementAgainstServer, EveryKindShowsTheDaysBetsAndTheStatementEndsAtTheBalance) {
  // A buy-in and a credit line booked by the operator.
  admin("credit --data-dir " + data().string() + " demo_rmb 500 --memo 柜台买彩");
  admin("credit-line --data-dir " + data().string() + " demo_rmb 300 --memo 增加信用额度");

  // An Asian handicap single of 100 on the latest match not in play.
  std::vector<protocol::AsianHandicapRow> rows;
  ASSERT_TRUE(protocol::fetch_asian_handicap_list(session_, rows));
  std::size_t latest = rows.size();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].in_play) continue;
    if (latest == rows.size() || std::tie(rows[i].kick_off_date, rows[i].kick_off_time) >
                                     std::tie(rows[latest].kick_off_date, rows[latest].kick_off_time))
      latest = i;
  }
  ASSERT_LT(latest, rows.size());
  const auto single =
      protocol::place_single_bet(session_, rows, latest, notation::HandicapSide::kGiving, 100);
  ASSERT_TRUE(single) << single.error();
  results_[rows[latest].match_number] = {2, 1};

  // A double of 50 on the home wins of the two latest parlay matches.
  std::vector<protocol::MatchRecord> matches;
  std::vector<protocol::OddsLine> odds;
  ASSERT_TRUE(protocol::fetch_market_list(session_, protocol::kTypeParlayList, matches, odds));
  std::sort(matches.begin(), matches.end(), [](const auto& a, const auto& b) {
    return std::tie(a.kick_off_date, a.kick_off_time) > std::tie(b.kick_off_date, b.kick_off_time);
  });
  std::vector<protocol::SelectionEntry> legs;
  for (const auto& m : matches) {
    const auto home = std::find_if(odds.begin(), odds.end(), [&](const protocol::OddsLine& o) {
      return o.match_number == m.match_number && o.market_type == 1 && o.line_code == 1;
    });
    if (m.in_play || home == odds.end() || legs.size() == 2) continue;
    legs.push_back({home->selection_number, home->line_code, home->price, home->match_number});
    results_[m.match_number] = {2, 1};
  }
  ASSERT_EQ(legs.size(), 2u) << "the demo market needs two parlay matches with a home-win price";
  const auto parlay = protocol::place_bets(session_, protocol::kPlaceBetsSubject, legs, {{2, 50}});
  ASSERT_TRUE(parlay) << parlay.error();

  // An outright bet of 20 on the first selection of the first event that takes it.
  std::vector<protocol::MatchRecord> events;
  std::vector<protocol::OddsLine> event_odds;
  ASSERT_TRUE(protocol::fetch_outright_list(session_, events, event_odds));
  std::pair<int, int> outright{0, 0};  // event, place
  for (const auto& event : events) {
    std::vector<protocol::OutrightEntry> entries;
    if (!protocol::fetch_outright_entries(session_, {event.match_number}, entries)) continue;
    const auto first =
        std::find_if(entries.begin(), entries.end(), [](const auto& e) { return e.extra1 != 0; });
    if (first == entries.end()) continue;
    const protocol::SelectionEntry chosen{first->extra1, first->line_code, first->price};
    if (protocol::place_bets(session_, protocol::kPlaceOutrightBetsSubject, {chosen}, {{1, 20}})) {
      outright = {event.match_number, first->line_code};
      break;
    }
  }
  ASSERT_NE(outright.first, 0) << "no outright event took the bet";

  // demo_star opens a 1X2 market of 1000 on the latest openable match; demo_rmb takes 100 of it.
  std::vector<protocol::MatchRecord> openable;
  ASSERT_TRUE(protocol::fetch_open_market_matches(star_.session, 1, openable));
  ASSERT_FALSE(openable.empty());
  const int market_match = openable.back().match_number;
  std::vector<protocol::SuggestedPriceRow> prices;
  ASSERT_TRUE(protocol::fetch_suggested_prices(star_.session, market_match, prices));
  const auto home = std::find_if(prices.begin(), prices.end(), [](const auto& p) { return p.second == 1; });
  ASSERT_NE(home, prices.end());
  std::string text;
  const auto opened =
      protocol::open_market(star_.session, market_match, 1000,
                            {{home->option_code, std::round(home->price * 100.0) / 100.0}}, text);
  ASSERT_TRUE(opened) << opened.error();
  const int open_market_number = std::stoi(text);
  std::vector<protocol::BankerMarketGroup> groups;
  ASSERT_TRUE(protocol::fetch_banker_markets(session_, 1, groups));
  const protocol::BankerMarketRow* offer = nullptr;
  for (const auto& g : groups) {
    for (const auto& row : g.rows) {
      if (row.match_number * 10 + 1 == market_match && row.choice_code == 1) offer = &row;
    }
  }
  ASSERT_NE(offer, nullptr);
  ASSERT_TRUE(protocol::bet_against_banker(session_, *offer, 100, text)) << text;
  results_[market_match / 10] = {2, 1};

  // Before settlement: the unsettled kinds hold every bet.
  std::vector<protocol::SingleBetRecord> singles;
  ASSERT_TRUE(protocol::fetch_unsettled_single_bets(session_, singles));
  ASSERT_EQ(singles.size(), 1u);
  EXPECT_DOUBLE_EQ(singles[0].stake, 100);
  const int single_serial = singles[0].serial_number;
  std::vector<protocol::GroupedBetRecord> grouped;
  ASSERT_TRUE(protocol::fetch_unsettled_parlays(session_, grouped));
  ASSERT_EQ(grouped.size(), 2u) << "one record per leg";
  EXPECT_EQ(grouped[0].group_number, grouped[1].group_number);
  const int parlay_serial = grouped[0].group_number;
  ASSERT_TRUE(protocol::fetch_unsettled_outrights(session_, grouped));
  ASSERT_EQ(grouped.size(), 1u);
  const int outright_serial = grouped[0].group_number;
  std::vector<protocol::BankerBetRecord> banker_bets;
  ASSERT_TRUE(protocol::fetch_unsettled_banker_bets(session_, banker_bets));
  ASSERT_EQ(banker_bets.size(), 1u);
  EXPECT_EQ(banker_bets[0].banker_name, "星级庄家");
  const std::string banker_bet_serial = banker_bets[0].serial_number;
  std::vector<protocol::OpenedMarketRecord> markets;
  ASSERT_TRUE(protocol::fetch_unsettled_opened_markets(star_.session, markets));
  const auto ours = [&](const protocol::OpenedMarketRecord& r) {
    return r.open_market_number == open_market_number;
  };
  EXPECT_TRUE(std::any_of(markets.begin(), markets.end(), ours));
  chained_statement(session_);

  // Settlement through the operator's commands, then the settled kinds over the day.
  for (const auto& [match, score] : results_) {
    admin("post-result --data-dir " + data().string() + " " + std::to_string(match) + " " +
          std::to_string(score.first) + " " + std::to_string(score.second));
  }
  admin("post-result --data-dir " + data().string() + " " + std::to_string(outright.first) + " " +
        std::to_string(outright.second) + " 0");
  ASSERT_TRUE(server_->services().market->refresh().ok());

  ASSERT_TRUE(protocol::fetch_unsettled_single_bets(session_, singles));
  EXPECT_TRUE(singles.empty());
  ASSERT_TRUE(protocol::fetch_settled_single_bets(session_, around_now(), singles));
  ASSERT_EQ(singles.size(), 1u);
  EXPECT_EQ(singles[0].serial_number, single_serial);
  ASSERT_TRUE(protocol::fetch_unsettled_parlays(session_, grouped));
  EXPECT_TRUE(grouped.empty());
  ASSERT_TRUE(protocol::fetch_settled_parlays(session_, around_now(), grouped));
  ASSERT_EQ(grouped.size(), 2u);
  EXPECT_EQ(grouped[0].group_number, parlay_serial);
  ASSERT_TRUE(protocol::fetch_unsettled_outrights(session_, grouped));
  EXPECT_TRUE(grouped.empty());
  ASSERT_TRUE(protocol::fetch_settled_outrights(session_, around_now(), grouped));
  ASSERT_EQ(grouped.size(), 1u);
  EXPECT_EQ(grouped[0].group_number, outright_serial);
  EXPECT_EQ(grouped[0].leg_result, "赢");
  ASSERT_TRUE(protocol::fetch_unsettled_banker_bets(session_, banker_bets));
  EXPECT_TRUE(banker_bets.empty());
  ASSERT_TRUE(protocol::fetch_settled_banker_bets(session_, around_now(), banker_bets));
  ASSERT_EQ(banker_bets.size(), 1u);
  EXPECT_EQ(banker_bets[0].serial_number, banker_bet_serial);
  ASSERT_TRUE(protocol::fetch_unsettled_opened_markets(star_.session, markets));
  EXPECT_FALSE(std::any_of(markets.begin(), markets.end(), ours));
  ASSERT_TRUE(protocol::fetch_settled_opened_markets(star_.session, around_now(), markets));
  EXPECT_TRUE(std::any_of(markets.begin(), markets.end(), ours));

  // The statements: each movement under its type with its serial number, chained to the balance.
  const auto entries = chained_statement(session_);
  const auto entry_of = [&](int type, const std::string& content) {
    return std::count_if(entries.begin(), entries.end(), [&](const protocol::StatementEntry& e) {
      return e.transaction_type == type && e.content == content;
    });
  };
  EXPECT_EQ(entries.size(), 7u) << "the seed's buy-in, ours, the credit line and the four results";
  EXPECT_EQ(entry_of(1, "柜台买彩"), 1);
  EXPECT_EQ(entry_of(23, "增加信用额度"), 1);
  EXPECT_EQ(entry_of(13, ten(single_serial)), 1) << "Asian handicap";
  EXPECT_EQ(entry_of(50, ten(parlay_serial)), 1);
  EXPECT_EQ(entry_of(13, ten(outright_serial)), 1) << "outright";
  EXPECT_EQ(entry_of(6, banker_bet_serial), 1) << "a 1X2 bet against a banker";
  const auto star_entries = chained_statement(star_.session);
  EXPECT_EQ(std::count_if(star_entries.begin(), star_entries.end(),
                          [&](const protocol::StatementEntry& e) {
                            return e.transaction_type == 14 && e.content == ten(open_market_number);
                          }),
            1);

  // The windows' lists of the day: every settled tab shows the day's bets with a summary line, a
  // parlay's 详细 lists its two legs, and the statement's last 本期结存 is the holding 4012 reports.
  const auto range_end = around_now().end;
  for (const auto& [session, tab, shown] :
       {std::tuple{&session_, 1, 1u}, std::tuple{&session_, 3, 1u}, std::tuple{&star_.session, 5, 1u},
        std::tuple{&session_, 7, 1u}, std::tuple{&session_, 9, 1u}}) {
    accounts::RecordLists lists;
    const auto fetched = accounts::fetch_record_tab(*session, tab, around_now(), lists);
    ASSERT_TRUE(fetched) << "tab " << tab << ": " << fetched.error();
    const auto list = accounts::records_list(tab, lists, around_now(), range_end);
    EXPECT_EQ(list.rows.size(), shown) << "tab " << tab;
    ASSERT_EQ(list.summary.size(), 1u) << "tab " << tab;
    if (tab == 7) {
      const auto detail = accounts::record_detail(tab, lists, 0);
      ASSERT_TRUE(detail);
      EXPECT_EQ(detail->rows.size(), 2u);
    }
  }
  protocol::AccountBalance holding;
  ASSERT_TRUE(protocol::fetch_balance(session_, holding));
  const auto statement = accounts::statement_list(entries, around_now());
  ASSERT_EQ(statement.rows.size(), entries.size());
  char holding_text[32];
  std::snprintf(holding_text, sizeof holding_text, "%.2f", holding.amount);
  EXPECT_EQ(statement.rows.back().at(3), holding_text);

  // The records menu's seven-column list through brindle-cli: today placed and settled all four.
  brindle::testing::write_cli_settings(dir_ / "Vantora.ini", context_.current_server);
  const auto cli =
      brindle::testing::run_cli(dir_, "--ini " + (dir_ / "Vantora.ini").string() +
                                          " --user demo_rmb --password rmb12345 call seven-integer-list");
  ASSERT_EQ(cli.exit_code, 0) << cli.out << cli.err;
  ASSERT_EQ(cli.err, "");
  const auto listed = nlohmann::json::parse(cli.out, nullptr, false);
  ASSERT_FALSE(listed.is_discarded()) << cli.out;
  const auto& days = listed["rows"];
  ASSERT_EQ(days.size(), 7u) << listed.dump();
  const auto today = civil(std::time(nullptr));
  EXPECT_EQ(days[0][0].get<int>(), today.year * 10000 + today.month * 100 + today.day);
  EXPECT_EQ(days[0][1].get<int>(), 4) << "placed";
  EXPECT_EQ(days[0][2].get<int>(), 100 + 50 + 20 + 100) << "staked";
  EXPECT_EQ(days[0][3].get<int>(), 4) << "settled";
}

}  // namespace
