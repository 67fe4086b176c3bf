#include "server/operations/operations_service.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <latch>
#include <memory>
#include <thread>
#include <vector>

namespace brindle::server::operations {
namespace {

using namespace std::chrono_literals;

struct Harness {
  std::chrono::steady_clock::time_point now{};
  std::atomic<int> probes{0};
  std::function<Result<void>()> verdict = [] { return Result<void>{}; };
  std::shared_ptr<Metrics> metrics = std::make_shared<Metrics>();
  OperationsService service{[this] {
                              ++probes;
                              return verdict();
                            },
                            metrics, [this] { return now; }};
};

TEST(OperationsService, HealthFollowsTheProbeOnceItsVerdictHasAged) {
  Harness h;
  auto answer = h.service.answer("GET", "/healthz");
  EXPECT_EQ(answer.status, 200u);
  EXPECT_EQ(answer.body, "ok\n");
  EXPECT_EQ(answer.content_type, "text/plain; charset=utf-8");

  h.verdict = [] { return Result<void>::failure("database: connection refused\nis the server running?"); };
  h.now += 150ms;
  EXPECT_EQ(h.service.answer("GET", "/healthz").status, 200u) << "a verdict younger than its life is reused";
  EXPECT_EQ(h.probes, 1);

  h.now += 50ms;
  answer = h.service.answer("GET", "/healthz");
  EXPECT_EQ(answer.status, 503u);
  EXPECT_EQ(answer.body, "database: connection refused is the server running?\n");
  EXPECT_EQ(answer.content_type, "text/plain; charset=utf-8");
  EXPECT_EQ(h.probes, 2);

  h.verdict = [] { return Result<void>{}; };
  h.now += 199ms;
  EXPECT_EQ(h.service.answer("GET", "/healthz").status, 503u);
  h.now += 1ms;
  EXPECT_EQ(h.service.answer("GET", "/healthz").status, 200u);
  EXPECT_EQ(h.probes, 3);
}

TEST(OperationsService, AFloodOfChecksAsksTheDatabaseOnce) {
  Harness h;
  std::promise<void> release;
  auto released = release.get_future().share();
  h.verdict = [released] {
    released.wait();
    return Result<void>{};
  };
  constexpr int kThreads = 16;
  std::latch started(kThreads);
  std::atomic<int> healthy{0};
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) {
    threads.emplace_back([&] {
      started.arrive_and_wait();
      for (int j = 0; j < 50; ++j) healthy += h.service.answer("GET", "/healthz").status == 200u;
    });
  }
  std::this_thread::sleep_for(50ms);  // let them pile up behind the first probe
  release.set_value();
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(h.probes, 1);
  EXPECT_EQ(healthy, kThreads * 50);
}

TEST(OperationsService, ChecksDoNotQueueBehindASlowProbe) {
  Harness h;
  ASSERT_EQ(h.service.answer("GET", "/healthz").status, 200u);
  h.now += 1s;
  std::promise<void> entered, release;
  auto released = release.get_future().share();
  h.verdict = [&entered, released] {
    entered.set_value();
    released.wait();
    return Result<void>::failure("database: timed out");
  };
  auto slow = std::async(std::launch::async, [&] { return h.service.answer("GET", "/healthz").status; });
  entered.get_future().wait();
  // The last verdict stands while the new one is being found.
  EXPECT_EQ(h.service.answer("GET", "/healthz").status, 200u);
  release.set_value();
  EXPECT_EQ(slow.get(), 503u);
  EXPECT_EQ(h.service.answer("GET", "/healthz").status, 503u);
  EXPECT_EQ(h.probes, 2);
}

TEST(OperationsService, MetricsAndTheOtherPaths) {
  Harness h;
  h.metrics->bets_accepted().inc();
  auto metrics = h.service.answer("GET", "/metrics?from=prometheus");
  EXPECT_EQ(metrics.status, 200u);
  EXPECT_EQ(metrics.content_type, "text/plain; version=0.0.4; charset=utf-8");
  EXPECT_NE(metrics.body.find("\nbrindle_bets_accepted_total 1\n"), std::string::npos);

  for (auto path : {"/healthz", "/metrics"}) {
    auto refused = h.service.answer("POST", path);
    EXPECT_EQ(refused.status, 405u) << path;
    EXPECT_EQ(refused.allow, "GET");
  }
  EXPECT_EQ(h.service.answer("GET", "/").status, 404u);
  EXPECT_EQ(h.service.answer("GET", "/healthz/x").status, 404u);
  EXPECT_EQ(h.service.answer("DELETE", "/betengine/VTServer220.dll").status, 404u);
  EXPECT_EQ(h.probes, 0);
}

}  // namespace
}  // namespace brindle::server::operations
