// The operator's pages of a running server: /metrics counts exactly the requests sent, in text that
// Prometheus's own parser reads, and /healthz follows the database away and back within a second.
// Neither answers on the betting listener.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include "server/accounts/account_store.h"
#include "server/accounts/ledger.h"
#include "server/accounts/password_hash.h"
#include "server/server.h"
#include "server/services.h"
#include "support/own_cluster.h"
#include "support/postgresql_schema.h"
#include "support/temp_dir.h"
#include "support/test_client.h"

namespace {

using namespace brindle;
using namespace std::chrono_literals;
using brindle::testing::TestConnection;
using server::storage::Connection;

void add_bettor(const std::filesystem::path& data_dir, const std::string& address) {
  auto db = server::open_server_database(data_dir, address);
  ASSERT_TRUE(db.ok()) << db.error();
  server::accounts::PasswordHasher hasher(1000);
  auto made = db.value()->transaction([&](Connection& c) -> Result<void> {
    server::accounts::NewAccount fresh;
    fresh.user_name = "watched";
    fresh.password = "watched1";
    auto id = server::accounts::create_account(c, hasher, fresh);
    if (!id) return Result<void>::failure(id.error());
    auto paid = server::accounts::credit(c, id.value(), 100'000, server::accounts::Currency::rmb, "test");
    if (!paid) return Result<void>::failure(paid.error());
    return {};
  });
  ASSERT_TRUE(made.ok()) << made.error();
}

std::unique_ptr<server::Server> start(const std::filesystem::path& data_dir, const std::string& address) {
  server::ServerOptions options;
  options.data_dir = data_dir;
  options.config.database = address;
  options.password_iterations = 1000;
  options.market.run_feed = false;
  options.operations = server::ListenAddress{"127.0.0.1", 0};
  auto started = server::Server::start(std::move(options));
  EXPECT_TRUE(started.ok()) << started.error();
  return started.ok() ? std::move(started).value() : nullptr;
}

std::string request(const std::string& user, const std::string& password, int subject) {
  return "txtLanguage=1&txtSubjectID=" + std::to_string(subject) + "&txtUserName=" + user +
         "&txtPwd=" + password + "&txtPara=";
}

TEST(OperationsPages, MetricsCountTheRequestsSentInTextPrometheusReads) {
  brindle::testing::TempDir dir;
  add_bettor(dir.path(), {});
  auto server = start(dir.path(), {});
  ASSERT_TRUE(server);
  ASSERT_NE(server->operations_port(), 0);
  {
    auto client = TestConnection::tls(server->port());
    for (int i = 0; i < 5; ++i)
      EXPECT_EQ(
          client.post("/betengine/VTServer220.dll?DATA_QUERY", request("watched", "watched1", 4012)).status,
          200u);
    for (int i = 0; i < 2; ++i)
      client.post("/betengine/VTServer220.dll?DATA_QUERY", request("watched", "wrong999", 4012));
    // Not on the betting listener.
    EXPECT_EQ(client.get("/metrics").status, 404u);
  }
  auto scraped = TestConnection::plain(server->operations_port()).get("/metrics");
  ASSERT_EQ(scraped.status, 200u);
  EXPECT_EQ(scraped.content_type, "text/plain; version=0.0.4; charset=utf-8");

  brindle::testing::TempDir out;
  const auto file = out.path() / "metrics.txt";
  std::ofstream(file) << scraped.body;
  const std::string script =
      "import sys\n"
      "from prometheus_client.parser import text_string_to_metric_families\n"
      "seen = {}\n"
      "for family in text_string_to_metric_families(open(sys.argv[1]).read()):\n"
      "    for s in family.samples:\n"
      "        seen[(s.name, tuple(sorted(s.labels.items())))] = s.value\n"
      "def value(name, **labels):\n"
      "    return seen.get((name, tuple(sorted(labels.items()))), 0)\n"
      "print(int(value('brindle_requests_total', subject='4012', outcome='ok')),\n"
      "      int(value('brindle_requests_total', subject='4012', outcome='refused')),\n"
      "      int(value('brindle_sign_in_refusals_total')),\n"
      "      int(value('brindle_request_duration_seconds_count', subject='4012')),\n"
      "      int(value('brindle_market_clock_holder')))\n";
  std::ofstream(out.path() / "check.py") << script;
  const std::string command = "/usr/bin/python3 " + (out.path() / "check.py").string() + " " + file.string() + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string printed;
  char chunk[512];
  while (std::fgets(chunk, sizeof chunk, pipe) != nullptr) printed += chunk;
  ASSERT_EQ(pclose(pipe), 0) << printed << scraped.body;
  // No feed thread runs here, so this server does not hold the clock.
  EXPECT_EQ(printed, "5 2 2 7 0\n") << scraped.body;
}

TEST(OperationsPages, HealthFollowsTheDatabaseAwayAndBackWithinASecond) {
  if (!brindle::testing::on_postgresql()) GTEST_SKIP() << "a database server to stop";
  brindle::testing::OwnCluster cluster(BRINDLE_PG_CLUSTER_SCRIPT);
  brindle::testing::TempDir dir;
  add_bettor(dir.path(), cluster.address());
  auto server = start(dir.path(), cluster.address());
  ASSERT_TRUE(server);
  auto health = [&] { return TestConnection::plain(server->operations_port()).get("/healthz"); };
  EXPECT_EQ(health().status, 200u);

  cluster.halt();
  const auto halted = std::chrono::steady_clock::now();
  auto answer = health();
  while (answer.status == 200 && std::chrono::steady_clock::now() - halted < 3s) {
    std::this_thread::sleep_for(50ms);
    answer = health();
  }
  EXPECT_EQ(answer.status, 503u);
  EXPECT_LE(std::chrono::steady_clock::now() - halted, 1s);
  EXPECT_NE(answer.body.find("database"), std::string::npos) << answer.body;

  cluster.start();
  const auto back = std::chrono::steady_clock::now();
  while (health().status != 200 && std::chrono::steady_clock::now() - back < 5s)
    std::this_thread::sleep_for(50ms);
  EXPECT_EQ(health().status, 200u);
  EXPECT_LE(std::chrono::steady_clock::now() - back, 1s + 200ms);
}

}  // namespace
