// Markets opened by bankers: opening, taking, cancelling and settling through the real subjects,
// with the ledger checked after every movement.

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "../betting/bet_fixture.h"
#include "server/accounts/account_store.h"
#include "server/accounts/ledger.h"
#include "server/banker/banker_store.h"

namespace {

using brindle::testing::BetFixture;
using brindle::testing::fields_of;
namespace accounts = brindle::server::accounts;
namespace banker = brindle::server::banker;
using brindle::server::storage::Connection;

std::string ten(std::int64_t v) {
  char t[24];
  std::snprintf(t, sizeof t, "%.10lld", static_cast<long long>(v));
  return t;
}
std::string seven(std::int64_t v) {
  char t[24];
  std::snprintf(t, sizeof t, "%.7lld", static_cast<long long>(v));
  return t;
}

class BankerMarkets : public BetFixture {
 protected:
  void SetUp() override {
    BetFixture::SetUp();
    banker_ = add_account("banker", 1'000'000);  // 10000.00
    taker_ = add_account("taker", 100'000);      // 1000.00
  }

  // 3008 for one option: the option's net price in thousandths and the stake in units.
  brindle::wire::SingleRecordReply open(const std::string& user, int match, int type, int option, int price,
                                        int stake) {
    return single(3008, user,
                  std::to_string(banker::openable_number(match, type)) + "|1|" + std::to_string(stake) + "|" +
                      ten(option) + "|" + seven(price));
  }

  // The one offer id of the latest market.
  std::int64_t latest_offer() {
    auto id = services_.db->read([&](Connection& c) -> brindle::Result<std::int64_t> {
      auto s = c.prepare("SELECT MAX(id) FROM banker_offers");
      if (!s) return brindle::Result<std::int64_t>::failure(s.error());
      auto row = s->step();
      if (!row) return brindle::Result<std::int64_t>::failure(row.error());
      return s->column_int64(0);
    });
    return id.ok() ? id.value() : -1;
  }

  brindle::wire::SingleRecordReply take(const std::string& user, std::int64_t offer, int stake) {
    return single(3009, user, std::to_string(offer) + "|" + std::to_string(stake));
  }

  brindle::wire::SingleRecordReply cancel(const std::string& user, const std::string& market) {
    return brindle::wire::SingleRecordReply(send("DATA_UPDATE", 2014, user, market));
  }

  void expect_ledger_clean() {
    auto mismatches = services_.db->read([](Connection& c) { return accounts::check_ledger(c); });
    ASSERT_TRUE(mismatches.ok()) << mismatches.error();
    for (const auto& m : mismatches.value()) ADD_FAILURE() << m.user_name << ": " << m.problem;
  }

  // Types of the account's statement entries after its buy-in.
  std::vector<int> statement_types(std::int64_t account) {
    std::vector<int> types;
    auto read = services_.db->read([&](Connection& c) -> brindle::Result<void> {
      auto s =
          c.prepare("SELECT type FROM statement_entries WHERE account_id = ?1 AND type != 1 ORDER BY id");
      if (!s) return brindle::Result<void>::failure(s.error());
      s->bind(1, account);
      for (;;) {
        auto row = s->step();
        if (!row) return brindle::Result<void>::failure(row.error());
        if (!row.value()) return {};
        types.push_back(static_cast<int>(s->column_int64(0)));
      }
    });
    EXPECT_TRUE(read.ok());
    return types;
  }

  std::int64_t banker_ = 0;
  std::int64_t taker_ = 0;
};

TEST_F(BankerMarkets, SettlementPerKindPaysTheOddsBothWays) {
  struct Case {
    const char* name;
    bool basketball;
    int type;
    int choice;
    int price;  // net, thousandths; also the suggestion
    int stake;  // banker's, units
    int home, away;
    bool taker_wins;
    int taker_type, banker_type;
  };
  const Case cases[] = {
      {"1X2 home wins", false, 1, 1, 850, 100, 2, 1, true, 6, 14},
      {"1X2 draw or away loses", false, 1, 6, 850, 100, 2, 1, false, 6, 14},
      {"correct score 2:1 hits", false, 2, 3, 8000, 500, 2, 1, true, 7, 15},
      {"correct score other scores", false, 2, 26, 9000, 500, 5, 0, true, 7, 15},
      {"correct score misses", false, 2, 11, 8000, 500, 2, 1, false, 7, 15},
      {"over 2.5 with three goals", false, 3, 11, 900, 100, 2, 1, true, 9, 16},
      {"under 2.5 with three goals", false, 3, -11, 900, 100, 2, 1, false, 9, 16},
      {"basketball over 180.5", true, 6, 723, 900, 100, 100, 90, true, 11, 18},
      {"basketball odd", true, 7, 1, 900, 100, 100, 91, true, 12, 19},
      {"basketball even on an odd total", true, 7, 2, 900, 100, 100, 91, false, 12, 19},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto banker_before = balances_of(banker_);
    const auto taker_before = balances_of(taker_);
    const int match = add_match(true, false, c.basketball);
    const int option = add_line(match, c.type, c.choice, c.price);
    auto opened = open("banker", match, c.type, option, c.price, c.stake);
    ASSERT_TRUE(opened.success()) << opened.message();
    auto taken = take("taker", latest_offer(), 50);
    ASSERT_TRUE(taken.success()) << taken.message();
    expect_ledger_clean();
    finish(match, c.home, c.away);
    const std::int64_t winnings = 50LL * c.price / 10;  // cents
    const std::int64_t taker_change = c.taker_wins ? winnings : -5000;
    EXPECT_EQ(balances_of(taker_).available, taker_before.available + taker_change);
    EXPECT_EQ(balances_of(banker_).available, banker_before.available - taker_change);
    EXPECT_EQ(balances_of(taker_).frozen, 0);
    EXPECT_EQ(balances_of(banker_).frozen, 0);
    EXPECT_EQ(statement_types(taker_).back(), c.taker_type);
    EXPECT_EQ(statement_types(banker_).back(), c.banker_type);
    expect_ledger_clean();
    finish(match, c.home, c.away);  // a second notice pays nothing twice
    EXPECT_EQ(balances_of(taker_).available, taker_before.available + taker_change);
  }
}

TEST_F(BankerMarkets, ConcurrentTakersNeverExceedTheAcceptableStake) {
  const int match = add_match();
  const int option = add_line(match, 1, 1, 1000);
  ASSERT_TRUE(open("banker", match, 1, option, 1000, 100).success());  // odds 2.00: 100 acceptable
  const auto offer = latest_offer();
  constexpr int kTakers = 8;
  for (int i = 0; i < kTakers; ++i) add_account("t" + std::to_string(i), 100'000);
  std::atomic<int> accepted{0};
  std::vector<std::thread> threads;
  for (int i = 0; i < kTakers; ++i) {
    threads.emplace_back([&, i] {
      if (take("t" + std::to_string(i), offer, 30).success()) ++accepted;
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(accepted.load(), 3);  // 90 of 100; a fourth 30 would need 120
  auto list = this->list(4017, "taker", "1");
  ASSERT_TRUE(list.success());
  const auto row = fields_of(list, 1, 10);
  EXPECT_DOUBLE_EQ(std::stod(row[7]), 90.0);  // taken × price = the reserved 90.00
  EXPECT_EQ(balances_of(banker_).frozen, 10'000);
  expect_ledger_clean();
}

TEST_F(BankerMarkets, CancellationAfterAPartialTakeRefundsExactlyTheRest) {
  const int match = add_match();
  const int option = add_line(match, 1, 1, 850);
  ASSERT_TRUE(open("banker", match, 1, option, 850, 100).success());
  const auto start = balances_of(banker_);                   // after freezing 100.00
  ASSERT_TRUE(take("taker", latest_offer(), 40).success());  // reserves 34.00
  auto market = fields_of(list(4020, "banker", ""), 0, 8);
  auto cancelled = cancel("banker", market[0]);
  ASSERT_TRUE(cancelled.success()) << cancelled.message();
  EXPECT_EQ(balances_of(banker_).available, start.available + 6'600);
  EXPECT_EQ(balances_of(banker_).frozen, 3'400);
  EXPECT_FALSE(cancel("banker", market[0]).success());       // nothing left to cancel
  EXPECT_FALSE(take("taker", latest_offer(), 1).success());  // the offer is closed
  auto records = fields_of(list(4020, "banker", ""), 0, 8);
  EXPECT_EQ(records[7], "66.00");
  expect_ledger_clean();
  finish(match, 0, 1);  // the taker loses his 40.00 to the banker
  EXPECT_EQ(balances_of(banker_).available, start.available + 10'000 + 4'000);
  EXPECT_EQ(balances_of(banker_).frozen, 0);
  expect_ledger_clean();
}

TEST_F(BankerMarkets, AFourthMarketOnOneMatchAndKindIsRefused) {
  const int match = add_match();
  const int option = add_line(match, 1, 1, 850);
  const int other_kind = add_line(match, 3, 11, 900);
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(open("banker", match, 1, option, 850, 100).success());
  auto fourth = open("banker", match, 1, option, 850, 100);
  EXPECT_FALSE(fourth.success());
  EXPECT_EQ(fourth.message(), banker::kTooManyMarketsText);
  EXPECT_TRUE(open("banker", match, 3, other_kind, 900, 100).success());
  EXPECT_EQ(balances_of(banker_).frozen, 40'000);
  expect_ledger_clean();
}

TEST_F(BankerMarkets, OpeningIsCheckedAgainOnTheServer) {
  const int match = add_match();
  const int one = add_line(match, 1, 1, 500);    // odds 1.50: 1X2 band 1.40–1.60
  const int over = add_line(match, 3, 11, 500);  // 1.50: band 1.20–1.80
  const int draw_or_home = add_line(match, 1, 3, 300);
  const int score = add_line(match, 2, 3, 11000);  // 12.0
  struct Case {
    int type, option, price, stake;
    std::string refusal;  // empty: accepted
  } const cases[] = {
      {1, one, 410, 100, ""},
      {1, one, 590, 100, ""},
      {1, one, 390, 100, std::string(banker::kBandText)},
      {1, one, 610, 100, std::string(banker::kBandText)},
      {1, one, 855, 100, std::string(banker::kTwoDecimalsText)},
      {1, one, 500, 4, "开盘彩金不能低于任意一个赔率减1乘以10！"},
      {1, one, 500, 0, "开盘彩金不能低于任意一个赔率减1乘以10！"},
      {3, over, 250, 100, ""},
      {3, over, 190, 100, std::string(banker::kBandText)},
      {2, score, 11500, 200, ""},
      {2, score, 11250, 200, std::string(banker::kOneDecimalText)},
      {1, over, 500, 100, std::string(banker::kNoSuchOptionText)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.type) + " " + std::to_string(c.price) + " " + std::to_string(c.stake));
    // Each accepted market is cancelled so the three-markets limit stays out of the way.
    auto reply = open("banker", match, c.type, c.option, c.price, c.stake);
    if (c.refusal.empty()) {
      EXPECT_TRUE(reply.success()) << reply.message();
      const std::string serial = reply.fields().text();
      ASSERT_TRUE(cancel("banker", std::to_string(std::stoll(serial))).success());
    } else {
      EXPECT_FALSE(reply.success());
      EXPECT_EQ(reply.message(), c.refusal);
    }
  }
  // Two conflicting 1X2 outcomes in one market (both lines were there when the suggestions were fixed).
  auto clash = single(3008, "banker",
                      std::to_string(banker::openable_number(match, 1)) + "|2|100|" + ten(one) +
                          ten(draw_or_home) + "|" + seven(500) + seven(300));
  EXPECT_EQ(clash.message(), banker::kConflictText);
  EXPECT_FALSE(single(3008, "banker", "x|1|100|0|0").success());
  expect_ledger_clean();
}

TEST_F(BankerMarkets, TakingRefusalsLeaveEverythingAsItWas) {
  const int match = add_match();
  const int option = add_line(match, 1, 1, 850);
  ASSERT_TRUE(open("banker", match, 1, option, 850, 100).success());  // 117.64 acceptable
  const auto offer = latest_offer();
  add_account("poor", 2'000);
  auto usd = services_.db->transaction([&](Connection& c) -> brindle::Result<std::int64_t> {
    accounts::NewAccount account;
    account.user_name = "dollar";
    account.password = "pw";
    account.currency = accounts::Currency::usd;
    auto created = accounts::create_account(c, *services_.hasher, account);
    if (!created) return created;
    if (auto bought = accounts::credit(c, created.value(), 100'000, accounts::Currency::usd, "buy-in");
        !bought)
      return brindle::Result<std::int64_t>::failure(bought.error());
    return created;
  });
  ASSERT_TRUE(usd.ok()) << usd.error();
  struct Case {
    std::string user;
    int stake;
    std::string refusal;
  } const cases[] = {
      {"banker", 10, std::string(banker::kOwnMarketText)},
      {"dollar", 10, std::string(banker::kCurrencyText)},
      {"taker", 118, std::string(banker::kOverAcceptableText)},
      {"taker", 0, std::string(banker::kBetZeroText)},
      {"poor", 21, std::string(accounts::kNotEnoughBalanceText)},
  };
  const auto taker_before = balances_of(taker_);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.user + " " + std::to_string(c.stake));
    auto reply = take(c.user, offer, c.stake);
    EXPECT_FALSE(reply.success());
    EXPECT_EQ(reply.message(), c.refusal);
  }
  EXPECT_EQ(balances_of(taker_), taker_before);
  EXPECT_FALSE(take("taker", 999'999, 10).success());
  auto accepted = take("taker", offer, 117);
  ASSERT_TRUE(accepted.success()) << accepted.message();
  expect_ledger_clean();
}

// The window fills the suggested odds in as they stand, so a suggestion must pass the window's and
// the server's decimals checks: the market's thousandths are rounded to the kind's step.
TEST_F(BankerMarkets, SuggestionsComeAtTheDecimalsABankerMayOpenAt) {
  const int match = add_match();
  const int one_x_two = add_line(match, 1, 1, 2954);
  const int score = add_line(match, 2, 3, 8949);
  EXPECT_EQ(fields_of(list(4032, "taker", std::to_string(banker::openable_number(match, 1))), 0, 3)[2],
            "2.950");
  EXPECT_EQ(fields_of(list(4032, "taker", std::to_string(banker::openable_number(match, 2))), 0, 3)[2],
            "8.900");
  EXPECT_TRUE(open("banker", match, 1, one_x_two, 2950, 100).success());
  EXPECT_TRUE(open("banker", match, 2, score, 8900, 100).success());
  expect_ledger_clean();
}

TEST_F(BankerMarkets, RepliesCarryTheFieldsInTheClientsOrder) {
  const int match = add_match();
  const int option = add_line(match, 1, 1, 850);
  auto matches = list(4016, "taker", "1");
  ASSERT_TRUE(matches.success());
  const auto openable = fields_of(matches, 0, 7);
  EXPECT_EQ(openable[0], std::to_string(banker::openable_number(match, 1)));
  auto prices = list(4032, "taker", openable[0]);
  ASSERT_EQ(prices.row_count(), 1u);
  EXPECT_EQ(fields_of(prices, 0, 3), (std::vector<std::string>{std::to_string(option), "1", "0.850"}));
  set_line(option, 1, 700);  // the market moves; the suggestion stays
  EXPECT_EQ(fields_of(list(4032, "taker", openable[0]), 0, 3)[2], "0.850");

  auto opened = open("banker", match, 1, option, 800, 100);
  ASSERT_TRUE(opened.success());
  EXPECT_EQ(opened.fields().text(), "0000000001");
  ASSERT_TRUE(take("taker", latest_offer(), 20).success());  // reserves 16.00

  auto offers = list(4017, "taker", "1");
  ASSERT_EQ(offers.row_count(), 2u);
  EXPECT_EQ(fields_of(offers, 0, 6)[0], std::to_string(match));
  const auto offer = fields_of(offers, 1, 10);
  EXPECT_EQ(offer[0], std::to_string(match));
  EXPECT_EQ(offer[3], std::to_string(latest_offer()));
  EXPECT_EQ(offer[4], "1");
  EXPECT_EQ(offer[5], "100.00");
  EXPECT_EQ(offer[6], "0.800");
  EXPECT_DOUBLE_EQ(std::stod(offer[7]), 20.0);
  EXPECT_EQ(offer[8], "banker");
  EXPECT_EQ(offer[9], "1");

  const auto unsettled_bet = fields_of(list(4018, "taker", ""), 0, 10);
  EXPECT_EQ(unsettled_bet[0], "1");
  EXPECT_EQ(unsettled_bet[4], "1");
  EXPECT_EQ(unsettled_bet[6], "20.00");
  EXPECT_EQ(unsettled_bet[8], "banker");
  const auto open_market = list(4020, "banker", "");
  EXPECT_EQ(fields_of(open_market, 0, 8)[5], "100.00");
  EXPECT_EQ(fields_of(open_market, 1, 4), (std::vector<std::string>{"1", "1", "20.00", "16.00"}));

  finish(match, 1, 0);
  EXPECT_EQ(list(4018, "taker", "").row_count(), 0u);
  const auto settled_bet = fields_of(list(4019, "taker", range_today()), 0, 14);
  EXPECT_EQ(settled_bet[4], "1:0");
  EXPECT_EQ(settled_bet[11], "16.00");
  EXPECT_EQ(settled_bet[13], "0");
  const auto settled_market = list(4021, "banker", range_today());
  EXPECT_EQ(fields_of(settled_market, 0, 9)[5], "1:0");
  const auto bet_line = fields_of(settled_market, 1, 7);
  EXPECT_EQ(bet_line[5], "-16.00");  // the banker's result on this bet
  expect_ledger_clean();
}

}  // namespace
