#include "bet_fixture.h"

#include <cstdio>
#include <ctime>

#include "server/accounts/account_handlers.h"
#include "server/accounts/account_store.h"
#include "server/accounts/authenticator.h"
#include "server/accounts/password_hash.h"
#include "server/banker/banker_handlers.h"
#include "server/betting/bet_handlers.h"
#include "server/betting/match_settlement.h"
#include "server/market/market.h"
#include "server/market/market_store.h"
#include "server/market/match_result.h"
#include "server/storage/timestamp.h"

namespace brindle::testing {

namespace accounts = server::accounts;
using server::storage::Connection;

void BetFixture::SetUp() {
  auto db = server::open_server_database(dir_.path());
  ASSERT_TRUE(db.ok()) << db.error();
  services_.config = std::make_shared<const server::ServerConfig>();
  services_.db = db.value();
  services_.hasher = std::make_shared<const accounts::PasswordHasher>(1);
  services_.authenticator = std::make_shared<const accounts::Authenticator>(services_.db, services_.hasher);
  sql("INSERT INTO market_leagues (id, name, sport) VALUES (1, '测试甲级联赛', 0), (2, '测试篮球联赛', 1)");
  auto market = server::market::Market::open(services_.db);
  ASSERT_TRUE(market.ok()) << market.error();
  services_.market = market.value();
  dispatcher_ = std::make_unique<server::Dispatcher>();
  ASSERT_TRUE(server::add_account_handlers(*dispatcher_, services_).ok());
  auto added = server::add_bet_handlers(*dispatcher_, services_);
  ASSERT_TRUE(added.ok()) << added.error();
  auto banker_added = server::add_banker_handlers(*dispatcher_, services_);
  ASSERT_TRUE(banker_added.ok()) << banker_added.error();
}

void BetFixture::sql(const std::string& statement) {
  auto done = services_.db->transaction([&](Connection& c) -> Result<void> {
    if (auto ran = c.execute_script(statement); !ran) return ran;
    return server::market::bump_market_version(c);
  });
  ASSERT_TRUE(done.ok()) << done.error() << "\n" << statement;
  if (services_.market) {
    ASSERT_TRUE(services_.market->refresh().ok());
  }
}

std::int64_t BetFixture::add_account(const std::string& name, std::int64_t cents, bool frozen,
                                     bool no_currency) {
  auto id = services_.db->transaction([&](Connection& c) -> Result<std::int64_t> {
    accounts::NewAccount account;
    account.user_name = name;
    account.password = "pw";
    account.currency = no_currency ? accounts::Currency::none : accounts::Currency::rmb;
    auto created = accounts::create_account(c, *services_.hasher, account);
    if (!created) return created;
    if (cents > 0) {
      if (auto bought = accounts::credit(c, created.value(), cents, accounts::Currency::rmb, "buy-in");
          !bought) {
        return Result<std::int64_t>::failure(bought.error());
      }
    }
    if (frozen) {
      if (auto set = accounts::set_frozen(c, created.value(), true); !set) {
        return Result<std::int64_t>::failure(set.error());
      }
    }
    return created;
  });
  EXPECT_TRUE(id.ok()) << id.error();
  return id.ok() ? id.value() : 0;
}

int BetFixture::add_match(bool in_parlay, bool in_play, bool basketball) {
  const int id = 1000 + next_id_++;
  const std::int64_t now = server::storage::now_unix_seconds();
  const std::int64_t kickoff = in_play ? now - 600 : now + 3600;
  char text[512];
  std::snprintf(
      text, sizeof text,
      "INSERT INTO market_matches (id, league_id, home, away, kickoff, ends_at, neutral, offers_in_play,"
      " in_parlay, status, minute, script, supremacy, expected_total, handicap_delay, totals_delay)"
      " VALUES (%d, %d, '主队%d', '客队%d', %lld, %lld, 0, %d, %d, %d, %d, '', 0, 250, 0, 0)",
      id, basketball ? 2 : 1, id, id, static_cast<long long>(kickoff),
      static_cast<long long>(kickoff + 3 * 3600), in_play ? 1 : 0, in_parlay ? 1 : 0, in_play ? 1 : 0,
      in_play ? 10 : 0);
  sql(text);
  return id;
}

int BetFixture::add_line(int match, int type, int line_code, int price_milli, int status) {
  const int id = 500000 + next_id_++;
  sql("INSERT INTO market_lines (selection_id, match_id, market_type, slot, line_code, price_milli,"
      " price_sum_target, status) VALUES (" +
      std::to_string(id) + ", " + std::to_string(match) + ", " + std::to_string(type) + ", " +
      std::to_string(id) + ", " + std::to_string(line_code) + ", " + std::to_string(price_milli) + ", 190, " +
      std::to_string(status) + ")");
  return id;
}

int BetFixture::add_event() {
  const int id = 9000 + next_id_++;
  const std::int64_t decided = server::storage::now_unix_seconds() + 30 * 24 * 3600;
  sql("INSERT INTO market_events (id, competition, name, sport, decided_at, closed, market_closed, "
      "planned_place)"
      " VALUES (" +
      std::to_string(id) + ", '测试杯赛', '冠军" + std::to_string(id) + "', 0, " + std::to_string(decided) +
      ", 0, 0, 1)");
  return id;
}

int BetFixture::add_outright_selection(int event, int place, int price_milli, bool disabled,
                                       int market_type) {
  const int id = 700000 + next_id_++;
  sql("INSERT INTO market_outright_selections (selection_id, event_id, market_type, place, name, price_milli,"
      " disabled) VALUES (" +
      std::to_string(id) + ", " + std::to_string(event) + ", " + std::to_string(market_type) + ", " +
      std::to_string(place) + ", '球队" + std::to_string(place) + "', " + std::to_string(price_milli) + ", " +
      (disabled ? "1" : "0") + ")");
  return id;
}

void BetFixture::set_score(int match, int home, int away) {
  sql("UPDATE market_matches SET score_home = " + std::to_string(home) +
      ", score_away = " + std::to_string(away) + " WHERE id = " + std::to_string(match));
}

void BetFixture::set_delays(int match, int handicap_seconds, int totals_seconds) {
  sql("UPDATE market_matches SET handicap_delay = " + std::to_string(handicap_seconds) +
      ", totals_delay = " + std::to_string(totals_seconds) + " WHERE id = " + std::to_string(match));
}

void BetFixture::set_line(int selection, int line_code, int price_milli) {
  sql("UPDATE market_lines SET line_code = " + std::to_string(line_code) + ", price_milli = " +
      std::to_string(price_milli) + " WHERE selection_id = " + std::to_string(selection));
}

void BetFixture::advance_clock(int seconds) {
  sql("UPDATE market_meta SET value = value + " + std::to_string(seconds) + " WHERE key = 'clock_offset'");
}

int BetFixture::finish(int match, int home, int away) {
  auto posted = server::market::post_result(*services_.db, match, home, away);
  EXPECT_TRUE(posted.ok()) << posted.error();
  auto settled = server::betting::settle_match(*services_.db, match);
  EXPECT_TRUE(settled.ok()) << settled.error();
  EXPECT_TRUE(services_.market->refresh().ok());
  if (!settled.ok()) return -1;
  EXPECT_TRUE(settled->held.empty()) << settled->held.front().reason;
  return settled->settled;
}

std::vector<std::string> BetFixture::send(std::string_view category, int subject, const std::string& user,
                                          const std::string& para) {
  const std::string body = "txtLanguage=1&txtSubjectID=" + std::to_string(subject) + "&txtUserName=" + user +
                           "&txtPwd=pw&txtPara=" + para;
  const std::string gbk = dispatcher_->dispatch(category, body).to_gbk();
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < gbk.size()) {
    const auto end = gbk.find("\r\n", start);
    lines.push_back(gbk.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + 2;
  }
  return lines;
}

wire::SingleRecordReply BetFixture::single(int subject, const std::string& user, const std::string& para) {
  return wire::SingleRecordReply(send("DATA_TRANS", subject, user, para));
}

wire::ListReply BetFixture::list(int subject, const std::string& user, const std::string& para) {
  return wire::ListReply(send("DATA_QUERY", subject, user, para));
}

accounts::Balances BetFixture::balances_of(std::int64_t account) {
  auto read = services_.db->read([&](Connection& c) { return accounts::balances(c, account); });
  EXPECT_TRUE(read.ok()) << read.error();
  return read.ok() ? read.value() : accounts::Balances{};
}

std::string BetFixture::range_today() const {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char day[16];
  std::strftime(day, sizeof day, "%Y%m%d", &local);
  return std::string(day) + "000000|" + day + "235959";
}

std::string ten(std::int64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "%.10lld", static_cast<long long>(value));
  return text;
}

std::string eight(std::int64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "%.8lld", static_cast<long long>(value));
  return text;
}

std::string six(std::int64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "%.6lld", static_cast<long long>(value));
  return text;
}

std::string bet_form(const std::vector<int>& selections, const std::vector<int>& prices, std::uint32_t mask,
                     int stake_units) {
  std::string numbers;
  std::string priced;
  for (int s : selections) numbers += ten(s);
  for (int p : prices) priced += eight(p);
  return std::to_string(selections.size()) + "|" + numbers + "|" + priced + "|1|" + eight(mask) + "|" +
         six(stake_units) + "|0";
}

std::vector<std::string> fields_of(const wire::ListReply& reply, std::size_t row, std::size_t count) {
  auto reader = reply.row(row);
  std::vector<std::string> out;
  for (std::size_t i = 0; i < count; ++i) out.push_back(reader.text());
  return out;
}

}  // namespace brindle::testing
