// A long history in the records and statement windows: ten thousand settled single bets from the
// reply's lines to the window's rows, ten thousand statement entries to rows and boxes, and the CSV
// of such a list. All of it runs on the GUI thread when 查询 or 导出 is pressed.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "core/accounts/bet_record_tabs.h"
#include "core/accounts/csv_document.h"
#include "core/accounts/statement_rows.h"
#include "core/protocol/bet_record_parsers.h"

namespace {

using namespace brindle;

constexpr int kRows = 10'000;
const protocol::DateRange kRange{{2026, 12, 1, 0, 0, 0}, {2026, 12, 8, 0, 0, 0}};

// A 4015 reply of kRows settled Asian handicap singles.
std::vector<std::string> settled_singles_reply() {
  std::vector<std::string> lines{"1|ok|"};
  for (int i = 0; i < kRows; ++i) {
    lines.push_back(std::to_string(100000 + i) + "|1|100|0|46357.5|公共大厅|46358.5|" +
                    (i % 2 ? "-100" : "85") + "|0|t|0|英格兰超级联赛|曼彻斯特联|利物浦|0|0|1|" +
                    std::to_string(250 * (i % 9)) + "|0.85|2 : 1");
  }
  return lines;
}

void BM_SettledSinglesParsed(benchmark::State& state) {
  const auto reply = settled_singles_reply();
  for (auto _ : state) {
    std::string header;
    std::vector<protocol::SingleBetRecord> records;
    benchmark::DoNotOptimize(protocol::parse_settled_single_bets(reply, header, records));
  }
}
BENCHMARK(BM_SettledSinglesParsed)->Unit(benchmark::kMillisecond);

void BM_SettledSinglesRows(benchmark::State& state) {
  accounts::RecordLists lists;
  std::string header;
  (void)protocol::parse_settled_single_bets(settled_singles_reply(), header, lists.settled_singles);
  for (auto _ : state) benchmark::DoNotOptimize(accounts::records_list(1, lists, kRange, kRange.end));
}
BENCHMARK(BM_SettledSinglesRows)->Unit(benchmark::kMillisecond);

std::vector<protocol::StatementEntry> statement_entries() {
  std::vector<protocol::StatementEntry> entries;
  double balance = 100000;
  for (int i = 0; i < kRows; ++i) {
    const double amount = i % 3 ? -50.0 : 42.5;
    entries.push_back({"2026-12-02 12:00:00", i % 3 ? 13 : 6, amount, std::to_string(100000 + i), balance});
    balance += amount;
  }
  return entries;
}

void BM_StatementRows(benchmark::State& state) {
  const auto entries = statement_entries();
  for (auto _ : state) benchmark::DoNotOptimize(accounts::statement_list(entries, kRange));
}
BENCHMARK(BM_StatementRows)->Unit(benchmark::kMillisecond);

void BM_StatementCsv(benchmark::State& state) {
  const auto list = accounts::statement_list(statement_entries(), kRange);
  for (auto _ : state) benchmark::DoNotOptimize(accounts::csv_document(list));
}
BENCHMARK(BM_StatementCsv)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
