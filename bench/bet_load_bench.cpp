// Accepted bets per second (3010, single-selection form) with several clients at once, through the
// dispatcher as the listener hands requests over: authentication, the quote read inside the
// transaction, the stake frozen and the bet recorded, one committed transaction per bet.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

#include "server/accounts/account_store.h"
#include "server/accounts/authenticator.h"
#include "server/accounts/ledger.h"
#include "server/accounts/password_hash.h"
#include "server/http/dispatcher.h"
#include "server/accounts/account_handlers.h"
#include "server/betting/bet_handlers.h"
#include "server/market/market.h"
#include "server/market/market_store.h"
#include "server/services.h"
#include "server/storage/timestamp.h"
#include "support/temp_dir.h"

namespace {

namespace server = brindle::server;
using server::storage::Connection;

constexpr int kClients = 8;
constexpr int kSelection = 500001;

struct BetServer {
  brindle::testing::TempDir dir;
  server::ServerServices services;
  server::Dispatcher dispatcher;
};

void must(const brindle::Result<void>& done) {
  if (!done) {
    std::fprintf(stderr, "set-up failed: %s\n", done.error().c_str());
    std::abort();
  }
}

BetServer& bet_server() {
  static std::unique_ptr<BetServer> made;
  static std::once_flag once;
  std::call_once(once, [] {
    made = std::make_unique<BetServer>();
    auto& s = *made;
    auto db = server::open_server_database(s.dir.path());
    if (!db) must(brindle::Result<void>::failure(db.error()));
    s.services.config = std::make_shared<const server::ServerConfig>();
    s.services.db = db.value();
    s.services.hasher = std::make_shared<const server::accounts::PasswordHasher>(1000);
    s.services.authenticator =
        std::make_shared<const server::accounts::Authenticator>(s.services.db, s.services.hasher);
    const long long kickoff = server::storage::now_unix_seconds() + 24 * 3600;
    const std::string market_rows =
        "INSERT INTO market_leagues (id, name, sport) VALUES (1, '测试联赛', 0);"
        "INSERT INTO market_matches (id, league_id, home, away, kickoff, ends_at, neutral, offers_in_play,"
        " in_parlay, script, supremacy, expected_total, handicap_delay, totals_delay) VALUES (1001, 1, '甲', "
        "'乙', " +
        std::to_string(kickoff) + ", " + std::to_string(kickoff + 7200) +
        ", 0, 0, 1, '', 0, 250, 0, 0);"
        "INSERT INTO market_lines (selection_id, match_id, market_type, slot, line_code, price_milli,"
        " price_sum_target) VALUES (500001, 1001, 0, 1, 3, 950, 190);";
    must(s.services.db->transaction([&](Connection& c) -> brindle::Result<void> {
      if (auto ran = c.execute_script(market_rows); !ran) return ran;
      if (auto bumped = server::market::bump_market_version(c); !bumped) return bumped;
      for (int i = 0; i < kClients; ++i) {
        server::accounts::NewAccount account;
        account.user_name = "load" + std::to_string(i);
        account.password = "pw";
        account.currency = server::accounts::Currency::rmb;
        auto id = server::accounts::create_account(c, *s.services.hasher, account);
        if (!id) return brindle::Result<void>::failure(id.error());
        auto bought =
            server::accounts::credit(c, id.value(), 100'000'000'000, server::accounts::Currency::rmb, "load");
        if (!bought) return brindle::Result<void>::failure(bought.error());
      }
      return {};
    }));
    auto market = server::market::Market::open(s.services.db);
    if (!market) must(brindle::Result<void>::failure(market.error()));
    s.services.market = market.value();
    must(server::add_account_handlers(s.dispatcher, s.services));
    must(server::add_bet_handlers(s.dispatcher, s.services));
  });
  return *made;
}

void BM_AcceptedBets3010(benchmark::State& state) {
  auto& s = bet_server();
  const std::string body = "txtLanguage=1&txtSubjectID=3010&txtUserName=load" +
                           std::to_string(state.thread_index()) + "&txtPwd=pw&txtPara=1|" + "0000" +
                           std::to_string(kSelection) + "|00000950|1|00000001|000001|0";
  std::int64_t refused = 0;
  for (auto _ : state) {
    auto reply = s.dispatcher.dispatch("DATA_TRANS", body);
    if (reply.result_code() != server::kResultSuccess) ++refused;
    benchmark::DoNotOptimize(reply);
  }
  state.SetItemsProcessed(state.iterations() - refused);
  state.counters["refused"] = static_cast<double>(refused);
}
BENCHMARK(BM_AcceptedBets3010)->ThreadRange(1, kClients)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
