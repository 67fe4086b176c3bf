#include "market_fixture.h"

#include <stdexcept>

#include "server/market/market_store.h"
#include "server/services.h"
#include "server/storage/timestamp.h"
#include "support/postgresql_schema.h"

namespace brindle::testing {

std::chrono::system_clock::time_point at_unix(std::int64_t seconds) {
  return std::chrono::system_clock::time_point(std::chrono::seconds(seconds));
}

MarketFixture::MarketFixture(bool seeded, server::market::DemoOptions options) {
  // Two fixtures in one test are two markets, on PostgreSQL too.
  auto db = server::open_server_database(dir_.path(), testing::fresh_postgresql_database());
  if (!db) throw std::runtime_error(db.error());
  db_ = db.value();
  // The demo is made at a fixed moment; the market clock is put back to it so the tests do not
  // depend on today's date.
  const std::int64_t real_now = server::storage::now_unix_seconds();
  const std::int64_t behind = kNow - real_now;
  exec("UPDATE market_meta SET value = " + std::to_string(behind) + " WHERE key = 'clock_offset'");
  if (seeded) {
    auto report = server::market::seed_market(*db_, at_unix(real_now), kSeed, options);
    if (!report) throw std::runtime_error(report.error());
  }
}

std::shared_ptr<server::market::Market> MarketFixture::open_market() {
  server::market::MarketOptions options;
  options.run_feed = false;
  auto market = server::market::Market::open(db_, options);
  if (!market) throw std::runtime_error(market.error());
  return market.value();
}

server::market::MarketSnapshot MarketFixture::snapshot() {
  auto loaded = db_->read([](server::storage::Connection& c) { return server::market::load_snapshot(c); });
  if (!loaded) throw std::runtime_error(loaded.error());
  auto snapshot = std::move(loaded).value();
  snapshot.index();
  return snapshot;
}

void MarketFixture::exec(std::string_view sql) {
  auto done = db_->transaction([&](server::storage::Connection& c) { return c.execute_script(sql); });
  if (!done) throw std::runtime_error(done.error());
}

std::vector<std::string> reply_lines(std::string_view gbk) {
  std::vector<std::string> lines;
  while (!gbk.empty()) {
    auto end = gbk.find("\r\n");
    lines.emplace_back(gbk.substr(0, end));
    if (end == std::string_view::npos) break;
    gbk.remove_prefix(end + 2);
  }
  return lines;
}

}  // namespace brindle::testing
