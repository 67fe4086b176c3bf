// The in-play web mode against the seeded reference server: the operator turns it on with the real
// admin command, the member signs in and presses the in-play button, the hall checks the account
// and fetches the web token, and the page that the 走地 window posts the token to lists the running
// matches and takes a delayed bet, which the records and the balance then show.

#include "server/web/in_play_web.h"

#include <gtest/gtest.h>

#include <string>

#include "core/betting/asian_handicap_hall.h"
#include "core/betting/in_play_web_page.h"
#include "core/net/member_details.h"
#include "core/protocol/account_requests.h"
#include "core/protocol/bet_submission.h"
#include "core/protocol/records_queries.h"
#include "seeded_market.h"
#include "server/market/market.h"
#include "server/market/market_store.h"
#include "server/storage/database.h"
#include "wire/gbk.h"

namespace {

using namespace brindle;

class InPlayWebAgainstServer : public brindle::testing::SeededMarketTest {
 protected:
  void SetUp() override {
    // No feed: the line stays as the page showed it while the bet waits out its delay.
    if (!start_server(/*run_feed=*/false)) return;
    ASSERT_TRUE(run_server_command(" in-play-web --data-dir " + data().string() + " demo_rmb on",
                                   dir_ / "in-play-web.txt"))
        << brindle::testing::read_file(dir_ / "in-play-web.txt");
    ASSERT_TRUE(sign_in("demo_rmb", "rmb12345")) << error_;
    ASSERT_TRUE(net::member_details_request(context_, transport_, progress_, error_)) << error_;
  }

  // The page as the 走地 window's browser gets it: the form posted over HTTPS, the reply in UTF-8.
  Result<std::string> post(const std::string& path, const std::string& form) {
    net::HttpExchange exchange;
    exchange.url = "https://" + context_.current_server + path;
    exchange.body = form;
    exchange.has_body = true;
    auto lines = transport_.exchange(exchange, progress_);
    if (!lines) return Result<std::string>::failure(lines.error());
    std::string html;
    for (const auto& line : lines.value()) html += wire::gbk_to_utf8(line) + "\n";
    return html;
  }

  static std::string value_after(const std::string& html, const std::string& marker) {
    const auto at = html.find(marker);
    if (at == std::string::npos) return {};
    const auto start = at + marker.size();
    return html.substr(start, html.find('\'', start) - start);
  }

  void server_sql(const std::string& statement) {
    auto done = server_->services().db->transaction([&](server::storage::Connection& c) -> Result<void> {
      if (auto ran = c.execute_script(statement); !ran) return ran;
      return server::market::bump_market_version(c);
    });
    ASSERT_TRUE(done.ok()) << done.error();
    ASSERT_TRUE(server_->services().market->refresh().ok());
  }

  const std::string bet_path_{server::web::kInPlayBetPath};
  betting::AsianHandicapHall hall_{services()};
};

TEST_F(InPlayWebAgainstServer, TheButtonFetchesATokenAndThePageTakesADelayedBetThatTheRecordsShow) {
  ASSERT_EQ(context_.member_details.in_play_web_mode, 1) << "the admin command reached the member details";
  hall_.page_button(betting::kInPlayPage);
  ASSERT_TRUE(messages_.texts.empty()) << messages_.texts.front();
  ASSERT_EQ(windows_.web_tokens.size(), 1u);
  const std::string token = windows_.web_tokens[0];
  EXPECT_EQ(token.size(), protocol::kWebTokenLength);
  ASSERT_EQ(frame_.posted.size(), 1u);
  EXPECT_EQ(frame_.posted[0], std::make_tuple(ports::WindowMessage::go_to_page, 1, 0));

  const auto page = betting::in_play_web_page(context_.current_server, token);
  auto list = post(betting::kInPlayWebPath, page.form_body);
  ASSERT_TRUE(list) << list.error();
  EXPECT_NE(list->find("用户：demo_rmb"), std::string::npos);
  EXPECT_NE(list->find("主:客(比分)"), std::string::npos);
  const std::string pick = value_after(list.value(), "name='pick' value='");
  ASSERT_FALSE(pick.empty()) << "the demo market has no running match with an open in-play price";
  const auto* line = server_->services().market->snapshot()->find_line(std::stoi(pick));
  ASSERT_NE(line, nullptr);
  server_sql("UPDATE market_matches SET handicap_delay = 2, totals_delay = 2 WHERE id = " +
             std::to_string(line->match_id));

  auto slip = post(betting::kInPlayWebPath, page.form_body + "&pick=" + pick);
  ASSERT_TRUE(slip) << slip.error();
  const std::string price = value_after(slip.value(), "name='price' value='");
  const std::string key = value_after(slip.value(), "name='key' value='");
  ASSERT_FALSE(price.empty()) << slip.value();
  ASSERT_EQ(key.size(), 32u);

  protocol::AccountBalance before;
  ASSERT_TRUE(protocol::fetch_balance(session_, before));
  const std::string bet_form =
      page.form_body + "&selection=" + pick + "&price=" + price + "&stake=100&key=" + key;
  auto placed = post(bet_path_, bet_form);
  ASSERT_TRUE(placed) << placed.error();
  ASSERT_NE(placed->find("秒后确认结果"), std::string::npos) << placed.value();
  const std::string follow = value_after(placed.value(), "name='follow' value='");
  ASSERT_FALSE(follow.empty());

  // Waiting out the delay, the bet is in the records and nothing is frozen yet.
  std::vector<protocol::SingleBetRecord> records;
  ASSERT_TRUE(protocol::fetch_unsettled_single_bets(session_, records));
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(std::to_string(records[0].serial_number), follow);
  EXPECT_EQ(records[0].status, 2);

  // The page asks again once the delay has run out on the market clock.
  server_sql("UPDATE market_meta SET value = value + 3 WHERE key = 'clock_offset'");
  auto judged = post(betting::kInPlayWebPath, page.form_body + "&follow=" + follow);
  ASSERT_TRUE(judged) << judged.error();
  EXPECT_NE(judged->find("已确认"), std::string::npos) << judged.value();

  // The same form once more: refused, nothing moves.
  auto again = post(bet_path_, bet_form);
  ASSERT_TRUE(again) << again.error();
  EXPECT_NE(again->find("该注单已经提交"), std::string::npos);

  records.clear();
  ASSERT_TRUE(protocol::fetch_unsettled_single_bets(session_, records));
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].status, protocol::kInPlayBetAccepted);
  EXPECT_DOUBLE_EQ(records[0].stake, 100);
  protocol::AccountBalance after;
  ASSERT_TRUE(protocol::fetch_balance(session_, after));
  EXPECT_DOUBLE_EQ(after.balance, before.balance - 100);

  // A token the server never gave is refused before anything is read.
  EXPECT_FALSE(post(betting::kInPlayWebPath, "token=" + std::string(40, 'A')));
}

}  // namespace
