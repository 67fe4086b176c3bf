// Reply framing and the Field reader against plain scans of the same bytes, and against the
// rescanning reader that the cursor replaced.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "support/rescanning_field_reader.h"
#include "wire/field_reader.h"
#include "wire/framing.h"
#include "wire/gbk.h"
#include "wire/records/record.h"

namespace {

using brindle::testing::rescanning_next;
using brindle::wire::FieldReader;

// A match list as the halls fetch it: numbers, OLE dates, prices and Chinese names, ~4 MB.
std::string synthetic_list_body(std::size_t target_bytes) {
  const std::vector<std::string> names = {
      brindle::wire::utf8_to_gbk("英格兰超级联赛"), brindle::wire::utf8_to_gbk("曼彻斯特联"),
      brindle::wire::utf8_to_gbk("億万豪门"),       brindle::wire::utf8_to_gbk("乛字^s测试"),
      brindle::wire::utf8_to_gbk("西班牙甲级联赛"), brindle::wire::utf8_to_gbk("皇家马德里")};
  std::mt19937 rng(7);
  std::string body = "1|\n";
  std::size_t row = 0;
  while (body.size() < target_bytes) {
    body += std::to_string(100000 + row) + "|" + std::to_string(rng() % 10) + "|" +
            names[rng() % names.size()] + "|45352.75|45352.8125|" + names[rng() % names.size()] + "|" +
            names[rng() % names.size()] + "|0|1|0.93|1.05|null|2.5|0.875||\n";
    ++row;
  }
  return body;
}

void set_bytes(benchmark::State& state, std::size_t bytes_per_iteration) {
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes_per_iteration));
}

const std::string& list_body() {
  static const std::string body = synthetic_list_body(4u << 20);
  return body;
}

std::vector<std::string> split_lines(std::string_view body) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < body.size()) {
    const void* hit = std::memchr(body.data() + start, '\n', body.size() - start);
    const std::size_t end =
        hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - body.data()) : body.size();
    lines.emplace_back(body.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

void BM_ByteLoop(benchmark::State& state) {
  const std::string& body = list_body();
  for (auto _ : state) {
    std::size_t bars = 0;
    for (const char c : body) bars += c == '|' ? 1 : 0;
    benchmark::DoNotOptimize(bars);
  }
  set_bytes(state, body.size());
}
BENCHMARK(BM_ByteLoop);

void BM_MemchrLineBreaks(benchmark::State& state) {
  const std::string& body = list_body();
  for (auto _ : state) {
    std::size_t lines = 0;
    const char* p = body.data();
    const char* end = p + body.size();
    while (const void* hit = std::memchr(p, '\n', static_cast<std::size_t>(end - p))) {
      ++lines;
      p = static_cast<const char*>(hit) + 1;
    }
    benchmark::DoNotOptimize(lines);
  }
  set_bytes(state, body.size());
}
BENCHMARK(BM_MemchrLineBreaks);

// The lines as the transport hands them over, then framing and every field of every row.
void BM_ListReplyEveryField(benchmark::State& state) {
  const std::string& body = list_body();
  const std::vector<std::string> lines = split_lines(body);
  std::size_t fields = 0;
  for (auto _ : state) {
    brindle::wire::ListReply reply(lines);
    std::string out;
    for (std::size_t r = 0; r < reply.row_count(); ++r) {
      FieldReader row = reply.row(r);
      for (int k = 0; k < 16; ++k) {
        row.next(out);
        benchmark::DoNotOptimize(out.data());
      }
      fields += 16;
    }
  }
  set_bytes(state, body.size());
  state.counters["fields"] = benchmark::Counter(static_cast<double>(fields), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ListReplyEveryField)->Unit(benchmark::kMillisecond);

// Only the reader, over rows already framed.
void BM_FieldReaderEveryField(benchmark::State& state) {
  const std::vector<std::string> lines = split_lines(list_body());
  const brindle::wire::ListReply reply(lines);
  for (auto _ : state) {
    std::string out;
    for (std::size_t r = 0; r < reply.row_count(); ++r) {
      FieldReader row = reply.row(r);
      for (int k = 0; k < 16; ++k) {
        row.next(out);
        benchmark::DoNotOptimize(out.data());
      }
    }
  }
  set_bytes(state, list_body().size());
}
BENCHMARK(BM_FieldReaderEveryField)->Unit(benchmark::kMillisecond);

// One row of the synthetic list as a record kind declares it: numbers are read as numbers and
// only the texts are decoded, as the client's parsers read their rows.
struct ListRow {
  int number = 0;
  int kind = 0;
  std::string league;
  double kick_off = 0;
  double second_time = 0;
  std::string home;
  std::string away;
  int neutral = 0;
  int in_play = 0;
  double price1 = 0;
  double price2 = 0;
  int absent = 0;
  double size = 0;
  double price3 = 0;
  std::string spare;
};

}  // namespace

template <>
struct brindle::records::Schema<ListRow> {
  using R = ListRow;
  static constexpr std::string_view name = "bench_list_row";
  static constexpr auto fields = std::make_tuple(
      integer("number", &R::number), integer("kind", &R::kind), text("league", &R::league),
      ole_date("kick_off", &R::kick_off), ole_date("second_time", &R::second_time), text("home", &R::home),
      text("away", &R::away), integer("neutral", &R::neutral), integer("in_play", &R::in_play),
      decimal("price1", &R::price1, 3), decimal("price2", &R::price2, 3), integer("absent", &R::absent),
      decimal("size", &R::size, 2), decimal("price3", &R::price3, 3), text("spare", &R::spare));
};

namespace {

// The reader as the records use it, over rows already framed: the figure to hold beside the byte loop.
void BM_RecordRows(benchmark::State& state) {
  const std::vector<std::string> lines = split_lines(list_body());
  const brindle::wire::ListReply reply(lines);
  ListRow row;
  for (auto _ : state) {
    for (std::size_t r = 0; r < reply.row_count(); ++r) {
      FieldReader reader = reply.row(r);
      brindle::records::read(reader, row);
      benchmark::DoNotOptimize(row.number);
    }
  }
  set_bytes(state, list_body().size());
}
BENCHMARK(BM_RecordRows)->Unit(benchmark::kMillisecond);

// A joined single-record text of 20 KB: many short fields.
const std::string& single_record_text() {
  static const std::string text = [] {
    std::string t = "1|ok";
    const std::string name = brindle::wire::utf8_to_gbk("主队");
    for (int i = 0; t.size() < 20 * 1024; ++i) {
      t.append("|").append(std::to_string(i)).append("|").append(name).append("|0.93");
    }
    return t;
  }();
  return text;
}
void BM_SingleRecordCursor(benchmark::State& state) {
  const std::string& text = single_record_text();
  for (auto _ : state) {
    FieldReader reader(text);
    std::string out;
    while (reader.next(out) != 0 || !out.empty()) benchmark::DoNotOptimize(out.data());
  }
  set_bytes(state, text.size());
}
BENCHMARK(BM_SingleRecordCursor);

void BM_SingleRecordRescanning(benchmark::State& state) {
  const std::string& text = single_record_text();
  for (auto _ : state) {
    std::string remaining = text;
    std::string out;
    while (rescanning_next(remaining, out, 1024) != 0 || !out.empty()) benchmark::DoNotOptimize(out.data());
  }
  set_bytes(state, text.size());
}
BENCHMARK(BM_SingleRecordRescanning);

}  // namespace

BENCHMARK_MAIN();
