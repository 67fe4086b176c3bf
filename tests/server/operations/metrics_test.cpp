#include "server/operations/metrics.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_dir.h"

namespace brindle::server::operations {
namespace {

// The Python interpreter that has prometheus_client (Debian's, when a newer one comes first on PATH).
std::optional<std::string> python_with_client() {
  for (std::string candidate : {"python3", "/usr/bin/python3"}) {
    const auto probe = candidate + " -c 'import prometheus_client.parser' >/dev/null 2>&1";
    if (std::system(probe.c_str()) == 0) return candidate;
  }
  return std::nullopt;
}

// Each sample as Prometheus's own parser reads it: "name {labels as sorted JSON}" -> value.
std::map<std::string, double> parse_with_prometheus(const std::string& python, const std::string& text) {
  testing::TempDir dir;
  testing::write_file(dir / "metrics.txt", text);
  const auto command = python + " -c '" + R"(import json, sys
from prometheus_client.parser import text_string_to_metric_families
for family in text_string_to_metric_families(open(sys.argv[1], encoding="utf-8").read()):
    for s in family.samples: print(s.name, json.dumps(s.labels, sort_keys=True), "\t", float(s.value)))" +
                       "' " + (dir / "metrics.txt").string();
  std::map<std::string, double> samples;
  FILE* out = popen(command.c_str(), "r");
  std::string output;
  char buffer[4096];
  for (std::size_t n; out && (n = std::fread(buffer, 1, sizeof buffer, out)) > 0;) output.append(buffer, n);
  EXPECT_EQ(out ? pclose(out) : -1, 0) << "the parser refused:\n" << text;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    const auto tab = line.find(" \t ");
    samples[line.substr(0, tab)] = std::stod(line.substr(tab + 3));
  }
  return samples;
}

TEST(Metrics, ConcurrentCountsReachPrometheusExactly) {
  const auto python = python_with_client();
  if (!python) GTEST_SKIP() << "python3 with prometheus_client is not installed (scripts/install-deps)";

  Registry registry;
  auto& requests =
      registry.counter_family("t_requests_total", "Requests.\nBy \\subject.", {"subject", "outcome"});
  auto& latency = registry.histogram_family("t_seconds", "Latency.", {"subject"}, {0.001, 0.5, 10});
  auto& bets = registry.counter("t_bets_total", "Bets.");
  double pool = 3;
  registry.gauge("t_pool", "Pool.", [&] { return pool; });
  const std::string awkward = "a\"b\\c\nd 中";

  constexpr int kThreads = 8, kRounds = 5000;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kRounds; ++i) {
        // Half the threads find their label sets already there, half race to add them.
        requests.with({t % 2 ? "2001" : "13002", "ok"}).inc();
        requests.with({"2001", "refused"}).inc();
        bets.inc(2);
        // One below the first bound, one on it (le: less than or equal), one in the middle, one over all.
        for (double value : {0.0005, 0.001, 0.3, 20.0}) latency.with({"2001"}).observe(value);
      }
      requests.with({awkward, "error"}).inc();
    });
  }
  for (auto& thread : threads) thread.join();
  pool = 7;

  const auto text = registry.render();
  const auto samples = parse_with_prometheus(*python, text);
  const double rounds = kThreads * kRounds;
  const std::map<std::string, double> expected = {
      {R"(t_requests_total {"outcome": "ok", "subject": "2001"})", rounds / 2},
      {R"(t_requests_total {"outcome": "ok", "subject": "13002"})", rounds / 2},
      {R"(t_requests_total {"outcome": "refused", "subject": "2001"})", rounds},
      {R"(t_requests_total {"outcome": "error", "subject": "a\"b\\c\nd \u4e2d"})", kThreads},
      {R"(t_bets_total {})", 2 * rounds},
      {R"(t_pool {})", 7},
      {R"(t_seconds_bucket {"le": "0.001", "subject": "2001"})", 2 * rounds},
      {R"(t_seconds_bucket {"le": "0.5", "subject": "2001"})", 3 * rounds},
      {R"(t_seconds_bucket {"le": "10", "subject": "2001"})", 3 * rounds},
      {R"(t_seconds_bucket {"le": "+Inf", "subject": "2001"})", 4 * rounds},
      {R"(t_seconds_count {"subject": "2001"})", 4 * rounds},
  };
  for (const auto& [key, value] : expected) {
    ASSERT_TRUE(samples.count(key)) << key << " missing from\n" << text;
    EXPECT_EQ(samples.at(key), value) << key;
  }
  EXPECT_NEAR(samples.at(R"(t_seconds_sum {"subject": "2001"})"), rounds * 20.3015, 1e-6 * rounds);
  EXPECT_EQ(samples.size(), expected.size() + 1) << text;
  EXPECT_NE(text.find("# HELP t_requests_total Requests.\\nBy \\\\subject.\n"), std::string::npos) << text;
}

TEST(Metrics, LabelSetsBeyondTheLimitShareOneSeries) {
  Registry registry;
  auto& family = registry.counter_family("t_total", "T.", {"subject"}, 2);
  family.with({"a"}).inc();
  family.with({"b"}).inc();
  family.with({"invented-1"}).inc();
  family.with({"invented-2"}).inc(3);
  EXPECT_EQ(&family.with({"invented-3"}), &family.with({"other"}));
  EXPECT_EQ(registry.render(),
            "# HELP t_total T.\n# TYPE t_total counter\n"
            "t_total{subject=\"a\"} 1\nt_total{subject=\"b\"} 1\nt_total{subject=\"other\"} 4\n");
}

TEST(Metrics, ServerMetricsUnderTheirNamesWithGaugesReadAtEachScrape) {
  Metrics metrics;
  metrics.request_answered("2001", "ok", std::chrono::milliseconds(3));
  metrics.bets_refused().inc();
  bool holder = false;
  std::size_t in_use = 2;
  metrics.watch_clock_holder([&] { return holder; });
  metrics.watch_database_pool([&] { return in_use; }, [] { return std::size_t{8}; });

  auto text = metrics.render();
  for (std::string_view line : {"brindle_requests_total{subject=\"2001\",outcome=\"ok\"} 1\n",
                                "brindle_request_duration_seconds_bucket{subject=\"2001\",le=\"0.0025\"} 0\n",
                                "brindle_request_duration_seconds_bucket{subject=\"2001\",le=\"0.005\"} 1\n",
                                "brindle_request_duration_seconds_count{subject=\"2001\"} 1\n",
                                "brindle_bets_accepted_total 0\n", "brindle_bets_refused_total 1\n",
                                "brindle_sign_in_refusals_total 0\n", "brindle_market_clock_holder 0\n",
                                "brindle_database_pool_in_use 2\n", "brindle_database_pool_size 8\n"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line << "not in\n" << text;
  }
  holder = true;
  in_use = 5;
  text = metrics.render();
  EXPECT_NE(text.find("brindle_market_clock_holder 1\n"), std::string::npos);
  EXPECT_NE(text.find("brindle_database_pool_in_use 5\n"), std::string::npos);
}

}  // namespace
}  // namespace brindle::server::operations
