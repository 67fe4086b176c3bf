// A banker's market through the real brindle-cli against the seeded reference server: demo_star opens
// a 1X2 offer, demo_rmb takes part of it, brindle-server posts the result, and both holdings,
// statements and records move by exactly what the odds give; the fourth market on one match and kind
// is refused.

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "loopback_server.h"
#include "seeded_market.h"
#include "server/server.h"

namespace {

using namespace brindle;
using brindle::testing::CommandResult;
using brindle::testing::read_file;
using nlohmann::json;

struct Account {
  const char* user;
  const char* password;
};
constexpr Account kStar{"demo_star", "star1234"};
constexpr Account kRmb{"demo_rmb", "rmb12345"};

std::string civil(std::time_t t) {
  std::tm tm{};
  localtime_r(&t, &tm);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%d%H%M%S", &tm);
  return text;
}

// From yesterday to tomorrow: the server answers at most a week.
std::string around_now() {
  const std::time_t now = std::time(nullptr);
  return civil(now - 86400) + " " + civil(now + 86400);
}

std::string last_line(const std::string& text) {
  auto end = text.find_last_not_of('\n');
  if (end == std::string::npos) return {};
  const auto start = text.rfind('\n', end);
  return text.substr(start == std::string::npos ? 0 : start + 1,
                     end - (start == std::string::npos ? 0 : start + 1) + 1);
}

class BankerMarketThroughCli : public brindle::testing::SeededMarketTest {
 protected:
  void SetUp() override {
    // The suggested prices must not move between 4032 and 3008.
    if (!start_server(/*run_feed=*/false)) return;
    brindle::testing::write_cli_settings(dir_ / "Vantora.ini", context_.current_server);
  }

  CommandResult cli(const Account& account, const std::string& arguments) {
    return brindle::testing::run_cli(dir_, "--ini " + (dir_ / "Vantora.ini").string() + " --user " +
                                               account.user + " --password " + account.password + " " +
                                               arguments);
  }

  json call(const Account& account, const std::string& arguments) {
    const auto result = cli(account, "call " + arguments);
    EXPECT_EQ(result.exit_code, 0) << arguments << ": " << result.err;
    const auto parsed = json::parse(result.out, nullptr, false);
    EXPECT_FALSE(parsed.is_discarded()) << arguments << ": " << result.out;
    return parsed;
  }

  json balance(const Account& account) { return call(account, "balance")["balance"]; }

  // The latest openable 1X2 match: the seed's own markets sit on the first ones.
  int openable_match() {
    const auto matches = call(kStar, "open-market-matches 1")["matches"];
    EXPECT_GT(matches.size(), 2u);
    return matches.empty() ? 0 : matches.back()["match_number"].get<int>();
  }

  // The suggested net price of the home win, from 4032's "option|choice|net price" lines.
  double suggested_home_net(int id) {
    const auto result = cli(kStar, "request 4032 " + std::to_string(id));
    EXPECT_EQ(result.exit_code, 0) << result.err;
    std::istringstream lines(result.out);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "1|null");
    while (std::getline(lines, line)) {
      int option = 0;
      int choice = 0;
      double net = 0;
      if (std::sscanf(line.c_str(), "%d|%d|%lf", &option, &choice, &net) == 3 && choice == 1) return net;
    }
    ADD_FAILURE() << "no home win among " << result.out;
    return 0;
  }
};

// Returns every statement entry of one type.
std::vector<json> entries_of(const json& statement, int type) {
  std::vector<json> found;
  for (const auto& e : statement["entries"]) {
    if (e["transaction_type"] == type) found.push_back(e);
  }
  return found;
}

struct SettleCase {
  const char* name;
  int home_goals;
  int away_goals;
  bool taker_wins;
};

class BankerSettlementThroughCli : public BankerMarketThroughCli,
                                   public ::testing::WithParamInterface<SettleCase> {};

TEST_P(BankerSettlementThroughCli, BothHoldingsStatementsAndRecordsMoveByTheOdds) {
  const auto& c = GetParam();
  const int id = openable_match();
  ASSERT_NE(id, 0);
  const int match = id / 10;
  // Displayed odds are the net price + 1, sent with two decimals.
  char odds_text[16];
  std::snprintf(odds_text, sizeof odds_text, "%.2f", suggested_home_net(id) + 1.0);
  const double odds = std::stod(odds_text);

  const auto star_before = balance(kStar);
  const auto rmb_before = balance(kRmb);

  const auto opened = cli(kStar, "open-market 1 " + std::to_string(id) + " 1000 1:" + odds_text);
  ASSERT_EQ(opened.exit_code, 0) << opened.err;
  const auto serial = last_line(opened.out);
  EXPECT_EQ(serial.size(), 10u) << opened.out;

  const auto hall = call(kRmb, "banker-markets 1");
  long long offer = 0;
  for (const auto& group : hall["groups"]) {
    if (group["match_number"] != match) continue;
    for (const auto& row : group["rows"]) {
      EXPECT_EQ(row["banker_nickname"], "星级庄家");
      EXPECT_DOUBLE_EQ(row["banker_stake"].get<double>(), 1000);
      EXPECT_DOUBLE_EQ(row["amount_taken"].get<double>(), 0);
      EXPECT_NEAR(row["price"].get<double>(), odds - 1, 0.005);
      offer = row["offer_id"].get<long long>();
    }
  }
  ASSERT_NE(offer, 0) << hall.dump();
  const auto taken = cli(kRmb, "call bet-against-banker " + std::to_string(offer) + " 100");
  ASSERT_EQ(taken.exit_code, 0) << taken.err;

  const auto star_open = balance(kStar);
  const auto rmb_open = balance(kRmb);
  EXPECT_NEAR(rmb_open["frozen_amount"].get<double>(), rmb_before["frozen_amount"].get<double>() + 100,
              0.005);
  EXPECT_NEAR(rmb_open["balance"].get<double>(), rmb_before["balance"].get<double>() - 100, 0.005);
  EXPECT_NEAR(star_open["frozen_amount"].get<double>(), star_before["frozen_amount"].get<double>() + 1000,
              0.005);
  EXPECT_NEAR(star_open["balance"].get<double>(), star_before["balance"].get<double>() - 1000, 0.005);
  EXPECT_EQ(call(kRmb, "unsettled-banker-bets")["records"].size(), 1u);

  const auto posted_out = dir_ / "posted.txt";
  ASSERT_TRUE(run_server_command(" post-result --data-dir " + data().string() + " " + std::to_string(match) +
                                     " " + std::to_string(c.home_goals) + " " + std::to_string(c.away_goals),
                                 posted_out))
      << read_file(posted_out);
  ASSERT_TRUE(server_->services().market->refresh().ok());

  const double taker = c.taker_wins ? 100 * (odds - 1) : -100;
  const auto star_after = balance(kStar);
  const auto rmb_after = balance(kRmb);
  EXPECT_NEAR(rmb_after["balance"].get<double>(), rmb_before["balance"].get<double>() + taker, 0.005);
  EXPECT_NEAR(rmb_after["frozen_amount"].get<double>(), rmb_before["frozen_amount"].get<double>(), 0.005);
  EXPECT_NEAR(star_after["balance"].get<double>(), star_before["balance"].get<double>() - taker, 0.005);
  EXPECT_NEAR(star_after["frozen_amount"].get<double>(), star_before["frozen_amount"].get<double>(), 0.005);

  const auto rmb_result = entries_of(call(kRmb, "statement " + around_now()), 6);
  ASSERT_EQ(rmb_result.size(), 1u);
  EXPECT_NEAR(rmb_result[0]["amount"].get<double>(), taker, 0.005);
  const auto star_result = entries_of(call(kStar, "statement " + around_now()), 14);
  ASSERT_EQ(star_result.size(), 1u);
  EXPECT_NEAR(star_result[0]["amount"].get<double>(), -taker, 0.005);

  EXPECT_TRUE(call(kRmb, "unsettled-banker-bets")["records"].empty());
  const auto bets = call(kRmb, "settled-banker-bets " + around_now())["records"];
  ASSERT_EQ(bets.size(), 1u) << bets.dump();
  EXPECT_DOUBLE_EQ(bets[0]["stake"].get<double>(), 100);
  EXPECT_NEAR(bets[0]["win_loss"].get<double>(), taker, 0.005);
  EXPECT_EQ(bets[0]["banker_name"], "星级庄家");
  bool settled_market = false;
  const auto markets = call(kStar, "settled-opened-markets " + around_now())["records"];
  for (const auto& r : markets) {
    if (r["open_market_number"].get<long long>() != std::stoll(serial)) continue;
    settled_market = true;
    EXPECT_NEAR(r["banker_win_loss"].get<double>(), -taker, 0.005) << r.dump();
  }
  EXPECT_TRUE(settled_market) << serial << " " << markets.dump();
}

INSTANTIATE_TEST_SUITE_P(Outcomes, BankerSettlementThroughCli,
                         ::testing::Values(SettleCase{"HomeWinPaysTheTaker", 2, 1, true},
                                           SettleCase{"DrawPaysTheBanker", 1, 1, false}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(BankerMarketThroughCli, TheFourthMarketOnOneMatchAndKindIsRefused) {
  const int id = openable_match();
  ASSERT_NE(id, 0);
  char odds_text[16];
  std::snprintf(odds_text, sizeof odds_text, "%.2f", suggested_home_net(id) + 1.0);
  const std::string open = "open-market 1 " + std::to_string(id) + " 100 1:" + odds_text;
  const auto before = balance(kStar);
  std::vector<std::string> serials;
  for (int i = 0; i < 3; ++i) {
    const auto opened = cli(kStar, open);
    ASSERT_EQ(opened.exit_code, 0) << opened.err;
    serials.push_back(last_line(opened.out));
    EXPECT_EQ(serials.back().size(), 10u) << opened.out;
  }
  EXPECT_NE(serials[0], serials[1]);
  EXPECT_NE(serials[1], serials[2]);

  const auto fourth = cli(kStar, open);
  EXPECT_EQ(fourth.exit_code, 1);
  EXPECT_NE(fourth.err.find("同一帐户、同一赛事相同盘口最多可开出三个盘！"), std::string::npos) << fourth.err;
  const auto after = balance(kStar);
  EXPECT_NEAR(after["frozen_amount"].get<double>(), before["frozen_amount"].get<double>() + 300, 0.005);
  EXPECT_NEAR(after["balance"].get<double>(), before["balance"].get<double>() - 300, 0.005);
}

}  // namespace
