// One user's bet latency (3010 over keep-alive TLS) on a quiet server and while 64 other
// connections send wrong sign-ins, each a full password check at the production cost. Arg 0 runs
// the flood with the failure limits off (only the worker pool keeps the bets quick), arg 1 with
// the default limits.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/ssl.hpp>
#include <chrono>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "server/accounts/account_store.h"
#include "server/accounts/ledger.h"
#include "server/accounts/password_hash.h"
#include "server/market/demo_generator.h"
#include "server/server.h"
#include "server/services.h"
#include "support/temp_dir.h"

namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
namespace server = brindle::server;
using namespace std::chrono_literals;

constexpr int kFloodConnections = 64;
constexpr int kBets = 200;
constexpr std::string_view kTrans = "/betengine/VTServer220.dll?DATA_TRANS";

class Client {
 public:
  explicit Client(unsigned short port) : tls_(asio::ssl::context::tls_client), stream_(io_, tls_) {
    tls_.set_verify_mode(asio::ssl::verify_none);
    asio::ip::tcp::resolver resolver(io_);
    beast::get_lowest_layer(stream_).connect(resolver.resolve("127.0.0.1", std::to_string(port)));
    stream_.handshake(asio::ssl::stream_base::client);
  }
  std::string post(const std::string& body) {
    http::request<http::string_body> request{http::verb::post, std::string(kTrans), 11};
    request.set(http::field::host, "127.0.0.1");
    request.set(http::field::content_type, "application/x-www-form-urlencoded");
    request.keep_alive(true);
    request.body() = body;
    request.prepare_payload();
    http::write(stream_, request);
    http::response<http::string_body> response;
    http::read(stream_, buffer_, response);
    return response.body();
  }

 private:
  asio::io_context io_;
  asio::ssl::context tls_;
  beast::ssl_stream<beast::tcp_stream> stream_;
  beast::flat_buffer buffer_;
};

std::string body(std::string_view subject, std::string_view user, std::string_view password,
                 std::string_view para) {
  return "txtLanguage=1&txtSubjectID=" + std::string(subject) + "&txtUserName=" + std::string(user) +
         "&txtPwd=" + std::string(password) + "&txtPara=" + std::string(para);
}

struct FloodServer {
  brindle::testing::TempDir dir;
  std::unique_ptr<server::Server> server;
  std::string bet;

  explicit FloodServer(bool limits) {
    auto db = server::open_server_database(dir.path());
    if (!db) throw std::runtime_error(db.error());
    const server::accounts::PasswordHasher hasher;  // the production cost
    for (const auto* name : {"bettor", "victim"}) {
      auto made = db.value()->transaction([&](server::storage::Connection& c) -> brindle::Result<void> {
        server::accounts::NewAccount account;
        account.user_name = name;
        account.password = "secret1";
        auto id = server::accounts::create_account(c, hasher, account);
        if (!id) return brindle::Result<void>::failure(id.error());
        auto bought =
            server::accounts::credit(c, id.value(), 100'000'000'00, server::accounts::Currency::rmb, "bench");
        if (!bought) return brindle::Result<void>::failure(bought.error());
        return {};
      });
      if (!made) throw std::runtime_error(made.error());
    }
    server::market::DemoOptions demo;
    demo.football_matches = 4;
    demo.basketball_matches = 0;
    if (auto seeded = server::market::seed_market(*db.value(), std::chrono::system_clock::now(), 7, demo);
        !seeded)
      throw std::runtime_error(seeded.error());
    auto line = db.value()->read([](server::storage::Connection& c) -> brindle::Result<std::string> {
      auto found = c.prepare(
          "SELECT l.selection_id, l.price_milli FROM market_lines l JOIN market_matches m ON m.id = "
          "l.match_id"
          " WHERE l.market_type = 0 AND l.status = 0 AND m.status = 0 ORDER BY m.kickoff DESC LIMIT 1");
      if (!found) return brindle::Result<std::string>::failure(found.error());
      auto row = found->step();
      if (!row || !row.value()) return brindle::Result<std::string>::failure("no open handicap line");
      char para[64];
      std::snprintf(para, sizeof para, "1|%.10lld|%.8lld|1|00000001|000001|0",
                    static_cast<long long>(found->column_int64(0)),
                    static_cast<long long>(found->column_int64(1)));
      return std::string(para);
    });
    if (!line) throw std::runtime_error(line.error());
    bet = body("3010", "bettor", "secret1", line.value());
    db.value().reset();

    server::ServerOptions options;
    options.data_dir = dir.path();
    options.market.run_feed = false;
    if (!limits) {
      for (auto* policy : {&options.config.sign_in_per_name, &options.config.sign_in_per_address}) {
        policy->backoff = 0s;
        policy->lock_after = 0;
      }
    }
    auto started = server::Server::start(std::move(options));
    if (!started) throw std::runtime_error(started.error());
    server = std::move(started).value();
  }
};

void bet_latency(benchmark::State& state, bool flood, bool limits) {
  FloodServer s(limits);
  Client bettor(s.server->port());
  bettor.post(body("3001", "bettor", "secret1", "1|00E04C6A1B2C"));
  std::atomic<bool> stop{false};
  std::atomic<long> wrong{0};
  std::vector<std::thread> threads;
  if (flood) {
    for (int i = 0; i < kFloodConnections; ++i) {
      threads.emplace_back([&, i] {
        Client client(s.server->port());
        const auto guess = body("3001", "victim", "guess" + std::to_string(i), "1|00E04C6A1B2C");
        while (!stop) {
          client.post(guess);
          ++wrong;
        }
      });
    }
    while (wrong < kFloodConnections) std::this_thread::sleep_for(10ms);
  }
  std::vector<double> took;
  std::size_t refused = 0;
  for (auto _ : state) {
    for (int i = 0; i < kBets; ++i) {
      const auto start = std::chrono::steady_clock::now();
      if (bettor.post(s.bet).rfind("1|", 0) != 0) ++refused;
      took.push_back(
          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
  }
  stop = true;
  for (auto& t : threads) t.join();
  std::sort(took.begin(), took.end());
  state.counters["p50_ms"] = took[took.size() / 2];
  state.counters["p99_ms"] = took[took.size() * 99 / 100];
  state.counters["refused"] = static_cast<double>(refused);
  state.counters["wrong_sign_ins"] = static_cast<double>(wrong.load());
}

void BM_BetQuiet(benchmark::State& state) { bet_latency(state, false, true); }
BENCHMARK(BM_BetQuiet)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BetDuringWrongSignInFlood(benchmark::State& state) { bet_latency(state, true, state.range(0) != 0); }
BENCHMARK(BM_BetDuringWrongSignInFlood)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
