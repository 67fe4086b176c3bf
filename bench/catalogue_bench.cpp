// Parsing the biggest replies the halls fetch: a 4027 market list of 2,000 matches (about 40,000
// lines) into Match records and Odds lines, and the same reply read as the Asian handicap list.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "core/protocol/market_parsers.h"
#include "wire/gbk.h"

namespace {

std::atomic<std::uint64_t> g_allocations{0};

// 2,000 matches of one match line and 19 odds lines each: two-sided lines in pairs and a few one-sided.
std::vector<std::string> market_list_reply(int matches) {
  using brindle::wire::utf8_to_gbk;
  const std::vector<std::string> leagues = {utf8_to_gbk("英格兰超级联赛"), utf8_to_gbk("西班牙甲级联赛"),
                                            utf8_to_gbk("意大利甲级联赛")};
  const std::vector<std::string> teams = {utf8_to_gbk("曼彻斯特联"), utf8_to_gbk("利物浦"),
                                          utf8_to_gbk("皇家马德里"), utf8_to_gbk("巴塞罗那"),
                                          utf8_to_gbk("国际米兰"),   utf8_to_gbk("AC米兰")};
  std::mt19937 rng(11);
  std::vector<std::string> lines{"1|ok|0"};
  int selection = 1;
  for (int m = 0; m < matches; ++m) {
    const std::string number = std::to_string(100000 + m);
    lines.push_back(number + "|0|" + leagues[rng() % leagues.size()] + "|45352.75|45352.8125|" +
                    teams[rng() % teams.size()] + "|" + teams[rng() % teams.size()] + "|0|1");
    for (int i = 0; i < 19; ++i) {
      const int type = i < 16 ? 0 : 1;
      const int code = (i % 2 == 0 ? 1 : -1) * (1 + i / 2 + (i % 4 == 3 ? 1000 : 0));
      lines.push_back(number + "|" + std::to_string(type) + "|0|" + std::to_string(selection++) + "|" +
                      std::to_string(code) + "|0.9" + std::to_string(rng() % 10) + "|190|0|0|0");
    }
  }
  return lines;
}

const std::vector<std::string>& reply() {
  static const std::vector<std::string> lines = market_list_reply(2000);
  return lines;
}

std::size_t reply_bytes() {
  std::size_t total = 0;
  for (const auto& l : reply()) total += l.size() + 1;
  return total;
}

void report(benchmark::State& state, std::uint64_t allocations) {
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(reply_bytes()));
  const double lines = static_cast<double>(reply().size()) * static_cast<double>(state.iterations());
  state.counters["allocs_per_line"] = static_cast<double>(allocations) / lines;
  state.counters["lines"] = static_cast<double>(reply().size());
}

void BM_MarketList4027(benchmark::State& state) {
  const auto& lines = reply();
  std::vector<brindle::protocol::MatchRecord> matches;
  std::vector<brindle::protocol::OddsLine> odds;
  int peak = 0;
  std::uint64_t allocations = 0;
  for (auto _ : state) {
    const auto before = g_allocations.load(std::memory_order_relaxed);
    auto outcome = brindle::protocol::parse_market_list(lines, peak, matches, odds);
    allocations += g_allocations.load(std::memory_order_relaxed) - before;
    benchmark::DoNotOptimize(outcome);
    benchmark::DoNotOptimize(odds.data());
  }
  report(state, allocations);
}
BENCHMARK(BM_MarketList4027)->Unit(benchmark::kMillisecond);

void BM_AsianHandicapList(benchmark::State& state) {
  const auto& lines = reply();
  std::vector<brindle::protocol::AsianHandicapRow> rows;
  int peak = 0;
  std::uint64_t allocations = 0;
  for (auto _ : state) {
    const auto before = g_allocations.load(std::memory_order_relaxed);
    auto outcome = brindle::protocol::parse_asian_handicap_list(lines, peak, rows);
    allocations += g_allocations.load(std::memory_order_relaxed) - before;
    benchmark::DoNotOptimize(outcome);
    benchmark::DoNotOptimize(rows.data());
  }
  report(state, allocations);
}
BENCHMARK(BM_AsianHandicapList)->Unit(benchmark::kMillisecond);

}  // namespace

// Every allocation of the program is counted, so that the figure per line is the parsers' own.
void* operator new(std::size_t size) {
  g_allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

BENCHMARK_MAIN();
