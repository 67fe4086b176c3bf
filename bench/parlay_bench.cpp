// The parlay ticket's totals as a stake edit recomputes them: total stake, theoretical highest
// payout and the over-limit mark, for ten legs. It runs on the GUI thread at every edit and leg
// check, so it must stay far below a frame.

#include <benchmark/benchmark.h>

#include <vector>

#include "core/betting/parlay_ticket.h"

namespace {

using namespace brindle;

std::vector<double> ten_prices() { return {0.85, 0.9, 0.95, 1.05, 0.8, 0.75, 1.2, 0.92, 0.88, 1.1}; }

// The ticket's own rows for ten legs: 十串一 alone.
void BM_TenLegsOfferedRow(benchmark::State& state) {
  const auto prices = ten_prices();
  const std::vector<protocol::ParlayTypeEntry> types{{512, 100}};
  for (auto _ : state) benchmark::DoNotOptimize(betting::quote_parlay(prices, types, "元"));
}
BENCHMARK(BM_TenLegsOfferedRow);

// Every mask ten legs can have, each as a staked row: 1023 rows over every combination size.
void BM_TenLegsEveryMask(benchmark::State& state) {
  const auto prices = ten_prices();
  std::vector<protocol::ParlayTypeEntry> types;
  for (int mask = 1; mask < 1024; ++mask) types.push_back({mask, 100});
  for (auto _ : state) benchmark::DoNotOptimize(betting::quote_parlay(prices, types, "元"));
}
BENCHMARK(BM_TenLegsEveryMask);

// Six legs with every offered row staked: the most rows the ticket itself shows.
void BM_SixLegsEveryOfferedRow(benchmark::State& state) {
  const auto ten = ten_prices();
  const std::vector<double> prices(ten.begin(), ten.begin() + 6);
  std::vector<protocol::ParlayTypeEntry> types;
  for (const int mask : protocol::offered_type_masks(6)) types.push_back({mask, 200000});
  for (auto _ : state) benchmark::DoNotOptimize(betting::quote_parlay(prices, types, "元"));
}
BENCHMARK(BM_SixLegsEveryOfferedRow);

}  // namespace

BENCHMARK_MAIN();
