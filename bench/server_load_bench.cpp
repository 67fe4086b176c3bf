// Load on the reference server over loopback TLS: several keep-alive connections send one request
// after another for a fixed time; requests per second and the 99th percentile latency are reported,
// with the server on SQLite and on PostgreSQL side by side (clusters of the bench's own). The same generator
// against a static document of the same size over the same TLS stack gives the limit the server's own work is
// measured against.

#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <boost/asio/connect.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/ssl.hpp>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
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
#include "server/storage/timestamp.h"
#include "support/temp_dir.h"
#include "wire/gbk.h"

namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
namespace ssl = asio::ssl;
using brindle::server::Server;

constexpr int kConnections = 4;
constexpr auto kRunFor = std::chrono::seconds(3);
constexpr unsigned kBenchIterations = 1000;  // PBKDF2 rounds: sign-in cost is not what is measured
constexpr const char* kPassword = "bench1234";

// One bettor per connection, as real clients are: what two engines do with one hot row is the
// races' concern, not this figure's.
std::string user_of(int connection) { return "bench" + std::to_string(connection); }

// Two pairs of like durability: SQLite's default synchronous=NORMAL beside PostgreSQL with
// synchronous_commit=off (a crash of the machine may lose the last commits), and SQLite with
// full_sync beside PostgreSQL's default synchronous_commit=on (every acknowledged commit survives
// a power cut).
enum Engine : int { kSqlite = 0, kPostgresql = 1, kPostgresqlAsync = 2, kSqliteFull = 3 };
const char* engine_name(int engine) {
  switch (engine) {
    case kSqlite:
      return "sqlite";
    case kPostgresql:
      return "postgresql";
    case kPostgresqlAsync:
      return "pg-async";
    default:
      return "sqlite-full";
  }
}

struct Target {
  http::verb method;
  std::string path;
  std::string body;
};

struct LoadFigures {
  double requests_per_second = 0;
  double p99_microseconds = 0;
  std::size_t reply_bytes = 0;
  std::size_t failures = 0;
};

// One keep-alive TLS connection sending the same request until the deadline.
void drive(unsigned short port, const Target& target, std::chrono::steady_clock::time_point until,
           std::vector<double>& latencies, std::size_t& bytes, std::size_t& failures) {
  asio::io_context io;
  ssl::context tls(ssl::context::tls_client);
  tls.set_verify_mode(ssl::verify_none);  // the client accepts any certificate
  beast::ssl_stream<beast::tcp_stream> stream(io, tls);
  asio::ip::tcp::resolver resolver(io);
  beast::get_lowest_layer(stream).connect(resolver.resolve("127.0.0.1", std::to_string(port)));
  stream.handshake(ssl::stream_base::client);

  http::request<http::string_body> request{target.method, target.path, 11};
  request.set(http::field::host, "127.0.0.1");
  request.keep_alive(true);
  if (target.method == http::verb::post) {
    request.set(http::field::content_type, "application/x-www-form-urlencoded");
    request.body() = target.body;
    request.prepare_payload();
  }
  beast::flat_buffer buffer;
  while (std::chrono::steady_clock::now() < until) {
    const auto start = std::chrono::steady_clock::now();
    http::write(stream, request);
    http::response<http::string_body> response;
    http::read(stream, buffer, response);
    const auto took = std::chrono::steady_clock::now() - start;
    latencies.push_back(std::chrono::duration<double, std::micro>(took).count());
    bytes = response.body().size();
    const bool refused = target.method == http::verb::post && response.body().rfind("1|", 0) != 0;
    if (response.result() != http::status::ok || refused) ++failures;
  }
  beast::error_code ignored;
  beast::get_lowest_layer(stream).socket().shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
}

LoadFigures load(const std::function<unsigned short(int)>& port_of,
                 const std::function<Target(int)>& target_of, int connections = kConnections) {
  const auto until = std::chrono::steady_clock::now() + kRunFor;
  const auto count = static_cast<std::size_t>(connections);
  std::vector<std::vector<double>> latencies(count);
  std::vector<std::size_t> bytes(count), failures(count);
  std::vector<std::thread> threads;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < connections; ++i) {
    const auto at = static_cast<std::size_t>(i);
    threads.emplace_back([&, at, i] {
      const Target target = target_of(i);
      drive(port_of(i), target, until, latencies[at], bytes[at], failures[at]);
    });
  }
  for (auto& t : threads) t.join();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::vector<double> all;
  for (auto& l : latencies) all.insert(all.end(), l.begin(), l.end());
  std::sort(all.begin(), all.end());
  LoadFigures figures;
  figures.requests_per_second = static_cast<double>(all.size()) / seconds;
  if (!all.empty()) figures.p99_microseconds = all[std::min(all.size() - 1, all.size() * 99 / 100)];
  figures.reply_bytes = bytes.front();
  for (auto f : failures) figures.failures += f;
  return figures;
}

LoadFigures load(unsigned short port, const std::function<Target(int)>& target_of) {
  return load([port](int) { return port; }, target_of);
}

void report(benchmark::State& state, const LoadFigures& figures) {
  state.counters["req_per_s"] = figures.requests_per_second;
  state.counters["p99_us"] = figures.p99_microseconds;
  state.counters["reply_bytes"] = static_cast<double>(figures.reply_bytes);
  state.counters["failures"] = static_cast<double>(figures.failures);
}

// The reference server with 200 matches and one funded account, its feed still so that every
// reply is the same size.
struct OpenLine {
  std::int64_t selection = 0;
  std::int64_t price_milli = 0;
};

// A PostgreSQL cluster of the bench's own in a temporary folder, stopped at exit.
struct BenchCluster {
  brindle::testing::TempDir dir;
  std::string folder;
  std::string address;

  explicit BenchCluster(bool synchronous) {
    folder = (dir.path() / "pg").string();
    ::chmod(dir.path().c_str(), 0755);
    const std::string options = std::string("-c fsync=on -c full_page_writes=on -c synchronous_commit=") +
                                (synchronous ? "on" : "off");
    const std::string line =
        "PG_CLUSTER_OPTIONS='" + options + "' " + BRINDLE_PG_CLUSTER_SCRIPT + " start " + folder;
    FILE* pipe = popen(line.c_str(), "r");
    if (pipe == nullptr) throw std::runtime_error("cannot start a PostgreSQL cluster");
    char chunk[512];
    while (std::fgets(chunk, sizeof chunk, pipe) != nullptr) address += chunk;
    if (pclose(pipe) != 0) throw std::runtime_error("cannot start a PostgreSQL cluster: " + address);
    while (!address.empty() && address.back() == '\n') address.pop_back();
  }
  ~BenchCluster() { std::system((std::string(BRINDLE_PG_CLUSTER_SCRIPT) + " stop " + folder).c_str()); }
};

// The reference server with 200 matches and one funded account per connection, its feed still so
// that every reply is the same size.
struct MarketServer {
  brindle::testing::TempDir dir;
  std::unique_ptr<BenchCluster> cluster;
  std::unique_ptr<Server> server;
  OpenLine bet_line;

  explicit MarketServer(int engine, int accounts = kConnections) {
    std::string address;
    if (engine != kSqlite) {
      cluster = std::make_unique<BenchCluster>(engine == kPostgresql);
      address = cluster->address;
    }
    auto db = brindle::server::open_server_database(dir.path(), address);
    if (!db) throw std::runtime_error(db.error());
    brindle::server::accounts::PasswordHasher hasher(kBenchIterations);
    for (int i = 0; i < accounts; ++i) {
      auto account = db.value()->transaction([&](brindle::server::storage::Connection& c) {
        brindle::server::accounts::NewAccount fresh;
        fresh.user_name = user_of(i);
        fresh.password = kPassword;
        fresh.currency = brindle::server::accounts::Currency::rmb;
        auto id = brindle::server::accounts::create_account(c, hasher, fresh);
        if (!id) return id;
        // Enough for every bet the run places at one unit each.
        auto bought = brindle::server::accounts::credit(c, id.value(), 100'000'000'000,
                                                        brindle::server::accounts::Currency::rmb, "bench");
        if (!bought) return decltype(id)::failure(bought.error());
        return id;
      });
      if (!account) throw std::runtime_error(account.error());
    }
    brindle::server::market::DemoOptions options;
    options.football_matches = 160;
    options.basketball_matches = 40;
    auto seeded =
        brindle::server::market::seed_market(*db.value(), std::chrono::system_clock::now(), 7, options);
    if (!seeded) throw std::runtime_error(seeded.error());
    // An open Asian handicap line of a match that has not started, to bet on.
    auto line = db.value()->read([](brindle::server::storage::Connection& c) -> brindle::Result<OpenLine> {
      auto found = c.prepare(
          "SELECT l.selection_id, l.price_milli FROM market_lines l JOIN market_matches m ON m.id = "
          "l.match_id"
          " WHERE l.market_type = 0 AND l.status = 0 AND m.status = 0 ORDER BY m.kickoff DESC, l.selection_id"
          " LIMIT 1");
      if (!found) return brindle::Result<OpenLine>::failure(found.error());
      auto row = found->step();
      if (!row || !row.value()) return brindle::Result<OpenLine>::failure("no open handicap line");
      return OpenLine{found->column_int64(0), found->column_int64(1)};
    });
    if (!line) throw std::runtime_error(line.error());
    bet_line = line.value();
    db.value().reset();

    brindle::server::ServerOptions server_options;
    server_options.data_dir = dir.path();
    server_options.config.database = address;
    server_options.config.full_sync = engine == kSqliteFull;
    server_options.password_iterations = kBenchIterations;
    server_options.market.run_feed = false;
    auto started = Server::start(std::move(server_options));
    if (!started) throw std::runtime_error(started.error());
    server = std::move(started).value();
  }

  // Another server on the same database, as a node of the same service.
  std::unique_ptr<Server> another_node() {
    auto node_dir = std::make_unique<brindle::testing::TempDir>();
    brindle::server::ServerOptions options;
    options.data_dir = node_dir->path();
    options.config.database = cluster ? cluster->address : std::string();
    options.password_iterations = kBenchIterations;
    options.market.run_feed = false;
    auto started = Server::start(std::move(options));
    if (!started) throw std::runtime_error(started.error());
    node_dirs.push_back(std::move(node_dir));
    return std::move(started).value();
  }
  std::vector<std::unique_ptr<brindle::testing::TempDir>> node_dirs;
};

Target market_list_target(int code, int connection = 0) {
  return Target{
      http::verb::post, "/betengine/VTServer220.dll?DATA_QUERY",
      brindle::wire::utf8_to_gbk("txtLanguage=1&txtSubjectID=4027&txtUserName=" + user_of(connection) +
                                 "&txtPwd=" + kPassword + "&txtPara=" + std::to_string(code) + "|1|1")};
}

MarketServer& market_server(int engine = kSqlite) {
  static std::map<int, std::unique_ptr<MarketServer>> servers;
  auto& made = servers[engine];
  if (!made) made = std::make_unique<MarketServer>(engine);
  return *made;
}

// Requests per second of each measure on each engine, for the comparison printed at the end.
std::map<std::string, std::map<int, double>> g_figures;

void BM_MarketList4027(benchmark::State& state) {
  const int engine = static_cast<int>(state.range(0));
  const int code = static_cast<int>(state.range(1));
  auto& server = market_server(engine);
  LoadFigures figures;
  for (auto _ : state)
    figures =
        load(server.server->port(), [code](int connection) { return market_list_target(code, connection); });
  report(state, figures);
  g_figures["4027 list " + std::to_string(code)][engine] = figures.requests_per_second;
}
BENCHMARK(BM_MarketList4027)
    ->ArgNames({"engine", "code"})
    ->Args({kSqlite, 0})
    ->Args({kPostgresql, 0})
    ->Args({kSqlite, 2})
    ->Args({kPostgresql, 2})
    ->Args({kSqlite, -1})
    ->Args({kPostgresql, -1})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Single bets of one unit on one open line, each its own debit and record, through HTTPS.
void BM_AcceptedBets3010(benchmark::State& state) {
  const int engine = static_cast<int>(state.range(0));
  auto& server = market_server(engine);
  char para[64];
  std::snprintf(para, sizeof para, "1|%.10lld|%.8lld|1|00000001|000001|0",
                static_cast<long long>(server.bet_line.selection),
                static_cast<long long>(server.bet_line.price_milli));
  LoadFigures figures;
  for (auto _ : state) {
    figures = load(server.server->port(), [&](int connection) {
      return Target{http::verb::post, "/betengine/VTServer220.dll?DATA_TRANS",
                    "txtLanguage=1&txtSubjectID=3010&txtUserName=" + user_of(connection) +
                        "&txtPwd=" + kPassword + "&txtPara=" + para};
    });
  }
  report(state, figures);
  g_figures["3010 bets"][engine] = figures.requests_per_second;
}
BENCHMARK(BM_AcceptedBets3010)
    ->ArgName("engine")
    ->Arg(kSqlite)
    ->Arg(kPostgresql)
    ->Arg(kPostgresqlAsync)
    ->Arg(kSqliteFull)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The same single bets from six connections spread evenly over one, two or three servers on one
// PostgreSQL database (synchronous_commit=off, as pg-async above), all on this machine.
constexpr int kNodeConnections = 6;
std::map<int, double> g_nodes;

void BM_BetsThroughNodes(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  static std::unique_ptr<MarketServer> first;
  if (!first) first = std::make_unique<MarketServer>(kPostgresqlAsync, kNodeConnections);
  std::vector<std::unique_ptr<Server>> more;
  for (int i = 1; i < count; ++i) more.push_back(first->another_node());
  std::vector<unsigned short> ports{first->server->port()};
  for (const auto& node : more) ports.push_back(node->port());
  char para[64];
  std::snprintf(para, sizeof para, "1|%.10lld|%.8lld|1|00000001|000001|0",
                static_cast<long long>(first->bet_line.selection),
                static_cast<long long>(first->bet_line.price_milli));
  LoadFigures figures;
  for (auto _ : state) {
    figures = load([&](int connection) { return ports[static_cast<std::size_t>(connection) % ports.size()]; },
                   [&](int connection) {
                     return Target{http::verb::post, "/betengine/VTServer220.dll?DATA_TRANS",
                                   "txtLanguage=1&txtSubjectID=3010&txtUserName=" + user_of(connection) +
                                       "&txtPwd=" + kPassword + "&txtPara=" + para};
                   },
                   kNodeConnections);
  }
  report(state, figures);
  g_nodes[count] = figures.requests_per_second;
}
BENCHMARK(BM_BetsThroughNodes)
    ->ArgName("nodes")
    ->Arg(1)
    ->Arg(2)
    ->Arg(3)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The same TLS stack serving a fixed document (the server list, grown to the size of the 4027
// code-0 reply): what the listener costs with no work behind it.
void BM_StaticDocumentOfTheSameSize(benchmark::State& state) {
  auto& reference = market_server();
  const LoadFigures probe = [&] {
    // One short run to learn the size to match.
    return load(reference.server->port(), [](int connection) { return market_list_target(0, connection); });
  }();
  brindle::testing::TempDir dir;
  brindle::server::ServerOptions options;
  options.data_dir = dir.path();
  options.market.run_feed = false;
  std::vector<brindle::server::ListEntry> entries;
  std::size_t size = 0;
  for (int i = 1; size < probe.reply_bytes; ++i) {
    std::string text = "static" + std::to_string(i) + ".bench.invalid:443";
    text.resize(200, 'x');
    size += text.size() + std::to_string(i).size() + 3;
    entries.push_back({text, i});
  }
  options.config.servers = entries;
  auto server = Server::start(std::move(options));
  if (!server) {
    state.SkipWithError(server.error().c_str());
    return;
  }
  const Target target{http::verb::get, "/betengine/ServerList.htm", {}};
  LoadFigures figures;
  for (auto _ : state) figures = load(server.value()->port(), [&](int) { return target; });
  report(state, figures);
}
BENCHMARK(BM_StaticDocumentOfTheSameSize)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::printf("\n%-14s %10s %10s %7s %12s %12s %7s\n", "requests/s", engine_name(kSqlite),
              engine_name(kPostgresqlAsync), "ratio", engine_name(kSqliteFull), engine_name(kPostgresql),
              "ratio");
  for (const auto& [measure, by_engine] : g_figures) {
    auto figure = [&](int engine) {
      const auto found = by_engine.find(engine);
      return found == by_engine.end() ? 0.0 : found->second;
    };
    auto ratio = [](double part, double whole) { return whole > 0 ? 100.0 * part / whole : 0.0; };
    const double sqlite = figure(kSqlite), async = figure(kPostgresqlAsync);
    const double full = figure(kSqliteFull), postgresql = figure(kPostgresql);
    // The reads commit nothing: there both engines run with their defaults.
    if (full <= 0) {
      std::printf("%-14s %10.0f %10s %7s %12s %12.0f %6.0f%%\n", measure.c_str(), sqlite, "", "", "",
                  postgresql, ratio(postgresql, sqlite));
      continue;
    }
    std::printf("%-14s %10.0f %10.0f %6.0f%% %12.0f %12.0f %6.0f%%\n", measure.c_str(), sqlite, async,
                ratio(async, sqlite), full, postgresql, ratio(postgresql, full));
  }
  if (!g_nodes.empty()) {
    std::printf("\n%-14s", "bets/s, nodes");
    for (const auto& [nodes, figure] : g_nodes) std::printf(" %8d", nodes);
    std::printf("\n%-14s", "");
    for (const auto& [nodes, figure] : g_nodes) std::printf(" %8.0f", figure);
    std::printf("\n");
  }
  return 0;
}
