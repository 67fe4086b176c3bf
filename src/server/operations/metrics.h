#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace brindle::server::operations {

// What a scrape reads, in the Prometheus text exposition format 0.0.4. Counting is a relaxed atomic
// add on a cell that never moves; a family's lock is taken exclusively only to add a label set it has
// not seen, so requests on many threads do not wait for each other or for a scrape.
//
// A name registered twice, a counter not named *_total, or label values not matching the family's
// label names are mistakes in the server's own code and throw std::logic_error.

class Counter {
 public:
  void inc(std::uint64_t by = 1) noexcept { value_.fetch_add(by, std::memory_order_relaxed); }
  std::uint64_t value() const noexcept { return value_.load(std::memory_order_relaxed); }

 private:
  std::atomic<std::uint64_t> value_{0};
};

class Histogram {
 public:
  // bounds: the buckets' upper bounds, ascending; +Inf is implied.
  explicit Histogram(std::span<const double> bounds);

  void observe(double value) noexcept;
  void observe(std::chrono::nanoseconds took) noexcept {
    observe(std::chrono::duration<double>(took).count());
  }

  // Per bucket, not cumulative; the last is the +Inf bucket's own.
  std::vector<std::uint64_t> bucket_counts() const;
  double sum() const noexcept { return sum_.load(std::memory_order_relaxed); }

 private:
  std::span<const double> bounds_;  // the family's, which outlives its cells
  std::unique_ptr<std::atomic<std::uint64_t>[]> counts_;
  std::atomic<double> sum_{0};
};

// The request latency buckets, 1 ms to 10 s.
inline constexpr double kLatencyBuckets[] = {0.001, 0.0025, 0.005, 0.01, 0.025, 0.05, 0.1,
                                             0.25,  0.5,    1,     2.5,  5,     10};

namespace detail {

// Label values as a family keys its cells: owned strings in the map, views when looking one up.
struct LabelKeyHash {
  using is_transparent = void;
  std::size_t operator()(std::span<const std::string_view> values) const noexcept;
  std::size_t operator()(const std::vector<std::string>& values) const noexcept;
};
struct LabelKeyEqual {
  using is_transparent = void;
  bool operator()(std::span<const std::string_view> a, const std::vector<std::string>& b) const noexcept;
  bool operator()(const std::vector<std::string>& a, std::span<const std::string_view> b) const noexcept;
  bool operator()(const std::vector<std::string>& a, const std::vector<std::string>& b) const noexcept {
    return a == b;
  }
};

// Cells by label values, at most max_series of them: label sets beyond those (a client inventing
// subjects, say) share one cell whose labels all read "other", so a scrape stays bounded.
template <typename Cell>
class CellMap {
 public:
  using Make = std::function<std::unique_ptr<Cell>()>;
  CellMap(std::size_t label_count, std::size_t max_series, Make make);

  Cell& with(std::span<const std::string_view> values);
  // Each label set with its cell, ordered by label values, for a scrape.
  std::vector<std::pair<std::vector<std::string>, const Cell*>> snapshot() const;

 private:
  std::size_t label_count_;
  std::size_t max_series_;
  Make make_;
  mutable std::shared_mutex mutex_;
  std::unordered_map<std::vector<std::string>, std::unique_ptr<Cell>, LabelKeyHash, LabelKeyEqual> cells_;
};

}  // namespace detail

inline constexpr std::size_t kMaxSeriesPerFamily = 1000;
inline constexpr std::string_view kOverflowLabel = "other";

class CounterFamily {
 public:
  // The returned cell stays where it is for the registry's lifetime: a caller whose label values
  // are fixed may look it up once and keep it.
  Counter& with(std::initializer_list<std::string_view> values) {
    return with(std::span(values.begin(), values.size()));
  }
  Counter& with(std::span<const std::string_view> values) { return cells_.with(values); }

 private:
  friend class Registry;
  CounterFamily(std::size_t label_count, std::size_t max_series);
  detail::CellMap<Counter> cells_;
};

class HistogramFamily {
 public:
  Histogram& with(std::initializer_list<std::string_view> values) {
    return with(std::span(values.begin(), values.size()));
  }
  Histogram& with(std::span<const std::string_view> values) { return cells_.with(values); }

 private:
  friend class Registry;
  HistogramFamily(std::vector<double> bounds, std::size_t label_count, std::size_t max_series);
  std::vector<double> bounds_;
  detail::CellMap<Histogram> cells_;
};

class Registry {
 public:
  Registry();
  ~Registry();
  Registry(const Registry&) = delete;
  Registry& operator=(const Registry&) = delete;

  Counter& counter(std::string name, std::string help);
  CounterFamily& counter_family(std::string name, std::string help, std::vector<std::string> label_names,
                                std::size_t max_series = kMaxSeriesPerFamily);
  HistogramFamily& histogram_family(std::string name, std::string help, std::vector<std::string> label_names,
                                    std::vector<double> bounds, std::size_t max_series = kMaxSeriesPerFamily);
  // Read when a scrape renders; called on the scraping thread, so it must be safe there. Setting a
  // gauge of the same name again replaces its callback.
  void gauge(std::string name, std::string help, std::function<double()> read);

  std::string render() const;

 private:
  struct Family;
  Family& add(std::string name, std::string help, std::vector<std::string> label_names);

  mutable std::mutex mutex_;  // the list of families, not their cells
  std::vector<std::unique_ptr<Family>> families_;
};

// The server's own metrics. Subjects are the request categories ("2001"); give unknown ones a
// fixed name of your own rather than the client's text.
class Metrics {
 public:
  Metrics();

  // One request answered: outcome names how ("ok", "refused", "error").
  void request_answered(std::string_view subject, std::string_view outcome, std::chrono::nanoseconds took) {
    requests_.with({subject, outcome}).inc();
    request_duration_.with({subject}).observe(took);
  }
  CounterFamily& requests() { return requests_; }
  HistogramFamily& request_duration() { return request_duration_; }
  Counter& bets_accepted() { return bets_accepted_; }
  Counter& bets_refused() { return bets_refused_; }
  Counter& sign_in_refusals() { return sign_in_refusals_; }

  // Gauges read at each scrape from whatever holds the answer.
  void watch_database_pool(std::function<std::size_t()> in_use, std::function<std::size_t()> size);
  void watch_clock_holder(std::function<bool()> holds);

  Registry& registry() { return registry_; }
  std::string render() const { return registry_.render(); }

 private:
  Registry registry_;
  CounterFamily& requests_;
  HistogramFamily& request_duration_;
  Counter& bets_accepted_;
  Counter& bets_refused_;
  Counter& sign_in_refusals_;
};

}  // namespace brindle::server::operations
