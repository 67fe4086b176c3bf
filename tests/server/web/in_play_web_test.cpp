// The in-play web page that the client's 走地 window opens: what it lists, how its token stands for
// one account and for a short time only, and that a bet placed from it is the in-play bet of 3020,
// with its checks, its money and its records.

#include "server/web/in_play_web.h"

#include <map>
#include <memory>
#include <string>

#include "../betting/bet_fixture.h"
#include "server/accounts/account_store.h"
#include "server/accounts/ledger.h"
#include "server/betting/bet_taking.h"
#include "server/http/router.h"
#include "server/storage/timestamp.h"
#include "server/web/in_play_page.h"
#include "wire/gbk.h"

namespace {

using brindle::testing::BetFixture;
namespace accounts = brindle::server::accounts;
namespace betting = brindle::server::betting;
namespace web = brindle::server::web;
using brindle::server::storage::Connection;

class InPlayWebTest : public BetFixture {
 protected:
  void SetUp() override {
    BetFixture::SetUp();
    alice_ = add_account("alice", 100000);  // 1000.00
    match_ = add_match(false, true);
    set_score(match_, 1, 0);
    giving_ = add_line(match_, 8, 4, 900);      // home gives 0.5/1
    receiving_ = add_line(match_, 8, -4, 950);  // away receives it
    over_ = add_line(match_, 9, 11, 880);       // over 2.5
    under_ = add_line(match_, 9, -11, 960, 2);  // under, suspended
    pages_ = std::make_unique<web::InPlayWeb>(services_.db, services_.market);
  }

  std::string token_of(const std::string& user) {
    brindle::wire::SingleRecordReply reply(send("DATA_QUERY", 4061, user, ""));
    EXPECT_TRUE(reply.success()) << reply.message();
    return reply.fields().text();
  }

  struct Page {
    unsigned status = 0;
    std::string html;  // UTF-8
    web::WebAnswer answer;
  };
  Page post(std::string_view path, const std::string& body) {
    Page page;
    page.answer = pages_->answer(true, "POST", path, body);
    page.status = page.answer.status;
    page.html = brindle::wire::gbk_to_utf8(page.answer.gbk_html);
    return page;
  }
  // The slip of a price, as a click on it opens it; the one-time key of its form.
  std::string slip_key(const std::string& token, int selection) {
    const Page slip = post(web::kInPlayPath, "token=" + token + "&pick=" + std::to_string(selection));
    EXPECT_EQ(slip.status, 200u);
    const auto at = slip.html.find("name='key' value='");
    EXPECT_NE(at, std::string::npos) << slip.html;
    return at == std::string::npos ? std::string() : slip.html.substr(at + 18, 32);
  }
  Page bet(const std::string& token, int selection, int price, const std::string& stake,
           const std::string& key, const std::string& more = {}) {
    return post(web::kInPlayBetPath, "token=" + token + "&selection=" + std::to_string(selection) +
                                         "&price=" + std::to_string(price) + "&stake=" + stake +
                                         "&key=" + key + more);
  }
  std::size_t open_bets(const std::string& user) { return list(4054, user, "").row_count(); }
  static bool has(const Page& page, std::string_view text) {
    return page.html.find(text) != std::string::npos;
  }

  std::int64_t alice_ = 0;
  int match_ = 0, giving_ = 0, receiving_ = 0, over_ = 0, under_ = 0;
  std::unique_ptr<web::InPlayWeb> pages_;
};

TEST_F(InPlayWebTest, ListsTheRunningMatchesWithScoreLinesAndOddsAndEscapesEveryText) {
  sql("UPDATE market_matches SET home = '<b>红&''星\"' WHERE id = " + std::to_string(match_));
  const int coming = add_match(false, false);
  const Page page = post(web::kInPlayPath, "token=" + token_of("alice"));
  ASSERT_EQ(page.status, 200u) << page.html;
  EXPECT_TRUE(has(page, "1 : 0"));
  EXPECT_TRUE(has(page, "0.5/1"));  // handicap
  EXPECT_TRUE(has(page, ">2.5<"));  // totals line
  for (const int odds : {1900, 1950, 1880}) {
    EXPECT_TRUE(
        has(page, ">" + std::to_string(odds / 1000) + "." + std::to_string(odds % 1000) + "</button>"))
        << odds;
  }
  EXPECT_FALSE(has(page, "value='" + std::to_string(under_) + "'")) << "a suspended side offers no price";
  EXPECT_TRUE(has(page, "&lt;b&gt;红&amp;&#39;星&quot;(主)"));
  EXPECT_FALSE(has(page, "<b>红"));
  EXPECT_FALSE(has(page, "客队" + std::to_string(coming))) << "a coming match is not in play";
  EXPECT_TRUE(has(page, "用户：alice"));
  EXPECT_TRUE(has(page, "可用彩金：1000.00 元"));

  std::map<std::string, std::string> headers(page.answer.headers.begin(), page.answer.headers.end());
  EXPECT_EQ(headers["Cache-Control"], "no-store, no-cache, must-revalidate");
  EXPECT_EQ(headers["Referrer-Policy"], "no-referrer");
  EXPECT_NE(headers["Content-Security-Policy"].find("frame-ancestors 'none'"), std::string::npos);
  EXPECT_FALSE(headers.contains("Strict-Transport-Security"));

  // A slip names the side in words; a price no longer offered opens none.
  const Page slip =
      post(web::kInPlayPath, "token=" + token_of("alice") + "&pick=" + std::to_string(receiving_));
  EXPECT_TRUE(has(slip, "走地亚洲盘投注"));
  EXPECT_TRUE(has(slip, "客队" + std::to_string(match_) + " 受让0.5/1"));
  const Page closed =
      post(web::kInPlayPath, "token=" + token_of("alice") + "&pick=" + std::to_string(under_));
  EXPECT_TRUE(has(closed, web::kNotOfferedText));
  EXPECT_FALSE(has(closed, "name='stake'"));
}

TEST_F(InPlayWebTest, EachLeagueIsOneGroupWhateverTheOrderOfKickOff) {
  const int basketball = add_match(false, true, true);
  add_line(basketball, 8, 12, 900);
  const int second = add_match(false, true);
  add_line(second, 9, 11, 900);
  const Page page = post(web::kInPlayPath, "token=" + token_of("alice"));
  std::size_t groups = 0;
  for (auto at = page.html.find("<tr class='league'>"); at != std::string::npos;
       at = page.html.find("<tr class='league'>", at + 1)) {
    ++groups;
  }
  EXPECT_EQ(groups, 2u) << page.html;
  EXPECT_LT(page.html.find("客队" + std::to_string(second)), page.html.find("测试篮球联赛"));
  EXPECT_TRUE(has(page, ">5.5<")) << "a basketball handicap in half points";
}

TEST(InPlayWebNotation, LineValuesAsThePageWritesThem) {
  EXPECT_EQ(web::handicap_value_text(1, 1), "0");
  EXPECT_EQ(web::handicap_value_text(2, 1), "0/0.5");
  EXPECT_EQ(web::handicap_value_text(-1007, 1), "1.5");
  EXPECT_EQ(web::handicap_value_text(1008, 1), "1.5/2");
  EXPECT_EQ(web::handicap_value_text(12, 9), "5.5");  // basketball counts half points
  EXPECT_EQ(web::totals_value_text(-10), "2/2.5");
  EXPECT_EQ(web::totals_value_text(13), "3");
}

TEST_F(InPlayWebTest, ABetWithTheTokenMovesTheMoneyOnceAndIsInTheRecords) {
  const std::string token = token_of("alice");
  const std::string key = slip_key(token, giving_);
  const Page placed = bet(token, giving_, 900, "100", key);
  ASSERT_EQ(placed.status, 200u);
  EXPECT_TRUE(has(placed, "投注成功，注单号")) << placed.html;
  EXPECT_EQ(balances_of(alice_).available, 90000);
  EXPECT_EQ(balances_of(alice_).frozen, 10000);
  EXPECT_TRUE(has(placed, "可用彩金：900.00 元"));
  ASSERT_EQ(open_bets("alice"), 1u);

  // The same form again (a double click, a reload) places nothing more.
  const Page again = bet(token, giving_, 900, "100", key);
  EXPECT_TRUE(has(again, web::kAlreadyPlacedText));
  EXPECT_EQ(balances_of(alice_).available, 90000);
  EXPECT_EQ(open_bets("alice"), 1u);

  // Settled as the protocol's in-play bets are: 1:0 at the bet and 3:1 at the end make 2:1 after
  // it, a one-goal margin, so home giving 0.5/1 wins half: 100 × (1 + 0.9 / 2) back.
  EXPECT_EQ(finish(match_, 3, 1), 1);
  EXPECT_EQ(open_bets("alice"), 0u);
  EXPECT_EQ(balances_of(alice_).available, 90000 + 14500);
}

TEST_F(InPlayWebTest, TheTokenStandsForItsOwnAccountOnly) {
  const auto bob = add_account("bob", 50000);
  const std::string bobs = token_of("bob");
  ASSERT_TRUE(bet(bobs, giving_, 900, "10", slip_key(bobs, giving_)).html.find("投注成功") !=
              std::string::npos);
  EXPECT_EQ(balances_of(bob).available, 49000);
  EXPECT_EQ(balances_of(alice_).available, 100000);
  EXPECT_EQ(open_bets("alice"), 0u);
  const Page page = post(web::kInPlayPath, "token=" + bobs);
  EXPECT_TRUE(has(page, "用户：bob"));
}

TEST_F(InPlayWebTest, UnknownExpiredAndStaleTokensAreRefusedAndMoveNothing) {
  const std::string good = token_of("alice");
  const std::string key = slip_key(good, giving_);
  const auto now = brindle::server::storage::now_unix_seconds();
  const auto refused = [&](const std::string& token, const char* why) {
    const Page page = bet(token, giving_, 900, "100", key);
    EXPECT_EQ(page.status, 403u) << why;
    EXPECT_TRUE(has(page, web::kTokenExpiredText)) << why;
    EXPECT_FALSE(has(page, "可用彩金")) << why;
    EXPECT_EQ(balances_of(alice_).available, 100000) << why;
    EXPECT_EQ(open_bets("alice"), 0u) << why;
  };
  refused(std::string(40, 'A'), "unknown");
  refused("", "missing");
  refused(good.substr(0, 39), "cut short");
  refused(good + "%00", "trailing bytes");

  // Never opened within its first minutes.
  const std::string unopened = token_of("alice");
  sql("UPDATE web_tokens SET issued_at = " + std::to_string(now - accounts::kWebTokenFirstUseSeconds - 1) +
      " WHERE token = '" + unopened + "'");
  refused(unopened, "not opened in time");
  // Opened, then left alone longer than the idle time.
  sql("UPDATE web_tokens SET used_at = " + std::to_string(now - accounts::kWebTokenIdleSeconds - 1) +
      " WHERE token = '" + good + "'");
  refused(good, "idle");
  // In use, but older than its whole lifetime.
  const std::string old = token_of("alice");
  ASSERT_EQ(post(web::kInPlayPath, "token=" + old).status, 200u);
  sql("UPDATE web_tokens SET issued_at = " + std::to_string(now - accounts::kWebTokenLifetimeSeconds - 1) +
      " WHERE token = '" + old + "'");
  refused(old, "past its lifetime");
  // Issued under a password the account no longer has.
  const std::string before_change = token_of("alice");
  ASSERT_TRUE(services_.db
                  ->transaction([&](Connection& c) {
                    return accounts::set_password(c, *services_.hasher, alice_, "new1pw");
                  })
                  .ok());
  refused(before_change, "password changed");
}

TEST_F(InPlayWebTest, TheBetTakingRefusalsReachThePageInChineseAndTheSlipKeepsTheStake) {
  const std::string token = token_of("alice");
  // The price moved since the slip opened.
  set_line(giving_, 4, 920);
  Page page = bet(token, giving_, 900, "100", slip_key(token, over_));
  EXPECT_TRUE(has(page, betting::kOddsChangedText));
  EXPECT_TRUE(has(page, "value='100'")) << "the slip opens again with the stake kept";
  EXPECT_TRUE(has(page, "1.920"));
  page = bet(token, giving_, 920, "5000", slip_key(token, giving_));
  EXPECT_TRUE(has(page, accounts::kNotEnoughBalanceText));
  for (const char* stake : {"0", "abc", "", "1.234", "-5"}) {
    page = bet(token, giving_, 920, stake, slip_key(token, giving_));
    EXPECT_TRUE(has(page, accounts::kBadStakeText)) << stake;
  }
  page = bet(token, giving_, 920, "10|0", slip_key(token, giving_));
  EXPECT_TRUE(has(page, accounts::kBadStakeText)) << "nothing from the form reaches the request's fields";
  page = bet(token, giving_, 920, "10", "short");
  EXPECT_TRUE(has(page, web::kBadFormText));
  EXPECT_EQ(balances_of(alice_).available, 100000);
  EXPECT_EQ(open_bets("alice"), 0u);

  const auto frozen = add_account("icy", 100000, true);
  const std::string icy = token_of("icy");
  page = bet(icy, giving_, 920, "10", slip_key(icy, giving_));
  EXPECT_TRUE(has(page, accounts::kAccountFrozenText));
  EXPECT_EQ(balances_of(frozen).available, 100000);
}

TEST_F(InPlayWebTest, ADelayedBetWaitsAndThePageFollowsItUp) {
  set_delays(match_, 5, 5);
  const std::string token = token_of("alice");
  const Page placed = bet(token, giving_, 900, "100", slip_key(token, giving_));
  ASSERT_TRUE(has(placed, "秒后确认结果")) << placed.html;
  EXPECT_EQ(balances_of(alice_).frozen, 0);
  const auto at = placed.html.find("name='follow' value='");
  ASSERT_NE(at, std::string::npos);
  const std::string serial = placed.html.substr(at + 21, placed.html.find('\'', at + 21) - at - 21);
  EXPECT_TRUE(has(placed, "setTimeout")) << "the page asks again by itself";

  Page early = post(web::kInPlayPath, "token=" + token + "&follow=" + serial);
  EXPECT_TRUE(has(early, "name='follow' value='" + serial + "'")) << "still waiting";
  advance_clock(6);
  Page judged = post(web::kInPlayPath, "token=" + token + "&follow=" + serial);
  EXPECT_TRUE(has(judged, "已确认")) << judged.html;
  EXPECT_FALSE(has(judged, "name='follow'"));
  EXPECT_EQ(balances_of(alice_).frozen, 10000);

  // Another account's bet number tells bob nothing.
  add_account("bob", 1000);
  Page other = post(web::kInPlayPath, "token=" + token_of("bob") + "&follow=" + serial);
  EXPECT_FALSE(has(other, "注单"));
  EXPECT_FALSE(has(other, "name='follow'"));
}

TEST_F(InPlayWebTest, OnlyFormPostsOverTlsAreServed) {
  const std::string token = token_of("alice");
  auto config = std::make_shared<const brindle::server::ServerConfig>();
  const brindle::server::Router router(std::make_shared<brindle::server::Dispatcher>(), config, "127.0.0.1:1",
                                       std::shared_ptr<const web::InPlayWeb>(pages_.get(), [](auto*) {}));
  using brindle::server::Channel;
  const auto plain = router.route(Channel::plain, "POST", "/inplay/", "token=" + token);
  EXPECT_EQ(plain.status, 403u);
  EXPECT_NE(brindle::wire::gbk_to_utf8(plain.body).find(web::kInPlayHttpsOnlyText), std::string::npos);
  const auto get = router.route(Channel::tls, "GET", "/inplay/?token=" + token, {});
  EXPECT_EQ(get.status, 405u);
  EXPECT_EQ(get.allow, "POST");
  const auto served = router.route(Channel::tls, "POST", "/inplay/", "token=" + token);
  EXPECT_EQ(served.status, 200u);
  EXPECT_EQ(served.content_type, "text/html; charset=GBK");
  EXPECT_FALSE(served.headers.empty());
  EXPECT_EQ(router.route(Channel::tls, "POST", "/inplay/", "token=" + token + "&token=" + token).status,
            400u);
  EXPECT_EQ(router.route(Channel::tls, "POST", "/inplay/other", "token=" + token).status, 404u);
}

}  // namespace
