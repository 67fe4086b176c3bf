#include "server/operations/metrics.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <stdexcept>
#include <utility>

namespace brindle::server::operations {
namespace {

bool valid_name(std::string_view name, bool colons) {
  if (name.empty()) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || (colons && c == ':');
    if (!letter && !(i > 0 && c >= '0' && c <= '9')) return false;
  }
  return true;
}

void append_number(std::string& out, std::uint64_t value) {
  char digits[24];
  auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  out.append(digits, end);
}

void append_number(std::string& out, double value) {
  if (std::isnan(value)) {
    out += "NaN";
  } else if (std::isinf(value)) {
    out += value > 0 ? "+Inf" : "-Inf";
  } else {
    char digits[32];
    auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
  }
}

void append_escaped(std::string& out, std::string_view text, bool quotes) {
  for (char c : text) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '"' && quotes) {
      out += "\\\"";
    } else {
      out += c;
    }
  }
}

// name{a="x",b="y"} or name{a="x",le="0.5"}: extra is one more label already escaped.
void append_series(std::string& out, std::string_view name, std::string_view suffix,
                   const std::vector<std::string>& label_names, const std::vector<std::string>& values,
                   std::string_view extra_name = {}, std::string_view extra_value = {}) {
  out += name;
  out += suffix;
  if (!label_names.empty() || !extra_name.empty()) {
    out += '{';
    for (std::size_t i = 0; i < label_names.size(); ++i) {
      if (i > 0) out += ',';
      out += label_names[i];
      out += "=\"";
      append_escaped(out, values[i], true);
      out += '"';
    }
    if (!extra_name.empty()) {
      if (!label_names.empty()) out += ',';
      out += extra_name;
      out += "=\"";
      out += extra_value;
      out += '"';
    }
    out += '}';
  }
  out += ' ';
}

}  // namespace

Histogram::Histogram(std::span<const double> bounds)
    : bounds_(bounds), counts_(std::make_unique<std::atomic<std::uint64_t>[]>(bounds.size() + 1)) {}

void Histogram::observe(double value) noexcept {
  // A value on a bound belongs to that bucket: le means "less than or equal".
  const auto bucket =
      static_cast<std::size_t>(std::lower_bound(bounds_.begin(), bounds_.end(), value) - bounds_.begin());
  counts_[bucket].fetch_add(1, std::memory_order_relaxed);
  sum_.fetch_add(value, std::memory_order_relaxed);
}

std::vector<std::uint64_t> Histogram::bucket_counts() const {
  std::vector<std::uint64_t> counts(bounds_.size() + 1);
  for (std::size_t i = 0; i < counts.size(); ++i) counts[i] = counts_[i].load(std::memory_order_relaxed);
  return counts;
}

namespace detail {

std::size_t LabelKeyHash::operator()(std::span<const std::string_view> values) const noexcept {
  std::size_t hash = values.size();
  for (auto value : values) hash = hash * 1099511628211u ^ std::hash<std::string_view>{}(value);
  return hash;
}

std::size_t LabelKeyHash::operator()(const std::vector<std::string>& values) const noexcept {
  std::size_t hash = values.size();
  for (const auto& value : values) hash = hash * 1099511628211u ^ std::hash<std::string_view>{}(value);
  return hash;
}

bool LabelKeyEqual::operator()(std::span<const std::string_view> a,
                               const std::vector<std::string>& b) const noexcept {
  return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

bool LabelKeyEqual::operator()(const std::vector<std::string>& a,
                               std::span<const std::string_view> b) const noexcept {
  return (*this)(b, a);
}

template <typename Cell>
CellMap<Cell>::CellMap(std::size_t label_count, std::size_t max_series, Make make)
    : label_count_(label_count), max_series_(max_series), make_(std::move(make)) {}

template <typename Cell>
Cell& CellMap<Cell>::with(std::span<const std::string_view> values) {
  if (values.size() != label_count_) throw std::logic_error("metrics: wrong number of label values");
  {
    std::shared_lock lock(mutex_);
    if (auto found = cells_.find(values); found != cells_.end()) return *found->second;
  }
  std::unique_lock lock(mutex_);
  if (auto found = cells_.find(values); found != cells_.end()) return *found->second;
  std::vector<std::string> key;
  if (cells_.size() < max_series_) {
    key.assign(values.begin(), values.end());
  } else {
    key.assign(label_count_, std::string(kOverflowLabel));
    if (auto found = cells_.find(key); found != cells_.end()) return *found->second;
  }
  return *cells_.emplace(std::move(key), make_()).first->second;
}

template <typename Cell>
std::vector<std::pair<std::vector<std::string>, const Cell*>> CellMap<Cell>::snapshot() const {
  std::vector<std::pair<std::vector<std::string>, const Cell*>> series;
  {
    std::shared_lock lock(mutex_);
    series.reserve(cells_.size());
    for (const auto& [key, cell] : cells_) series.emplace_back(key, cell.get());
  }
  std::sort(series.begin(), series.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  return series;
}

template class CellMap<Counter>;
template class CellMap<Histogram>;

}  // namespace detail

CounterFamily::CounterFamily(std::size_t label_count, std::size_t max_series)
    : cells_(label_count, max_series, [] { return std::make_unique<Counter>(); }) {}

HistogramFamily::HistogramFamily(std::vector<double> bounds, std::size_t label_count, std::size_t max_series)
    : bounds_(std::move(bounds)),
      cells_(label_count, max_series, [this] { return std::make_unique<Histogram>(bounds_); }) {}

struct Registry::Family {
  enum class Kind { counter, histogram, gauge };
  Kind kind = Kind::counter;
  std::string name;
  std::string help;
  std::vector<std::string> label_names;
  std::unique_ptr<CounterFamily> counters;
  std::unique_ptr<HistogramFamily> histograms;
  std::function<double()> read;  // under the registry's mutex
};

Registry::Registry() = default;
Registry::~Registry() = default;

Registry::Family& Registry::add(std::string name, std::string help, std::vector<std::string> label_names) {
  if (!valid_name(name, true)) throw std::logic_error("metrics: bad metric name " + name);
  for (const auto& label : label_names) {
    if (!valid_name(label, false) || label.starts_with("__") || label == "le") {
      throw std::logic_error("metrics: bad label name " + label + " in " + name);
    }
  }
  for (const auto& family : families_) {
    if (family->name == name) throw std::logic_error("metrics: " + name + " registered twice");
  }
  auto& family = *families_.emplace_back(std::make_unique<Family>());
  family.name = std::move(name);
  family.help = std::move(help);
  family.label_names = std::move(label_names);
  return family;
}

CounterFamily& Registry::counter_family(std::string name, std::string help,
                                        std::vector<std::string> label_names, std::size_t max_series) {
  if (!name.ends_with("_total")) throw std::logic_error("metrics: counter " + name + " must end in _total");
  std::lock_guard lock(mutex_);
  auto& family = add(std::move(name), std::move(help), std::move(label_names));
  family.kind = Family::Kind::counter;
  family.counters.reset(new CounterFamily(family.label_names.size(), max_series));
  return *family.counters;
}

Counter& Registry::counter(std::string name, std::string help) {
  return counter_family(std::move(name), std::move(help), {}).with(std::span<const std::string_view>{});
}

HistogramFamily& Registry::histogram_family(std::string name, std::string help,
                                            std::vector<std::string> label_names, std::vector<double> bounds,
                                            std::size_t max_series) {
  if (!std::is_sorted(bounds.begin(), bounds.end()) ||
      std::adjacent_find(bounds.begin(), bounds.end()) != bounds.end() ||
      std::any_of(bounds.begin(), bounds.end(), [](double b) { return !std::isfinite(b); })) {
    throw std::logic_error("metrics: the buckets of " + name + " must be finite and ascending");
  }
  std::lock_guard lock(mutex_);
  auto& family = add(std::move(name), std::move(help), std::move(label_names));
  family.kind = Family::Kind::histogram;
  family.histograms.reset(new HistogramFamily(std::move(bounds), family.label_names.size(), max_series));
  return *family.histograms;
}

void Registry::gauge(std::string name, std::string help, std::function<double()> read) {
  std::lock_guard lock(mutex_);
  for (auto& family : families_) {
    if (family->name == name && family->kind == Family::Kind::gauge) {
      family->read = std::move(read);
      return;
    }
  }
  auto& family = add(std::move(name), std::move(help), {});
  family.kind = Family::Kind::gauge;
  family.read = std::move(read);
}

std::string Registry::render() const {
  std::string out;
  out.reserve(4096);
  std::lock_guard lock(mutex_);
  for (const auto& family : families_) {
    out += "# HELP ";
    out += family->name;
    out += ' ';
    append_escaped(out, family->help, false);
    out += "\n# TYPE ";
    out += family->name;
    switch (family->kind) {
      case Family::Kind::counter:
        out += " counter\n";
        for (const auto& [values, cell] : family->counters->cells_.snapshot()) {
          append_series(out, family->name, {}, family->label_names, values);
          append_number(out, cell->value());
          out += '\n';
        }
        break;
      case Family::Kind::histogram: {
        out += " histogram\n";
        const auto& bounds = family->histograms->bounds_;
        std::string le;
        for (const auto& [values, cell] : family->histograms->cells_.snapshot()) {
          // The count is the buckets' own total, so that it always equals the +Inf bucket.
          const auto counts = cell->bucket_counts();
          std::uint64_t cumulative = 0;
          for (std::size_t i = 0; i < counts.size(); ++i) {
            cumulative += counts[i];
            le.clear();
            if (i < bounds.size()) {
              append_number(le, bounds[i]);
            } else {
              le = "+Inf";
            }
            append_series(out, family->name, "_bucket", family->label_names, values, "le", le);
            append_number(out, cumulative);
            out += '\n';
          }
          append_series(out, family->name, "_sum", family->label_names, values);
          append_number(out, cell->sum());
          out += '\n';
          append_series(out, family->name, "_count", family->label_names, values);
          append_number(out, cumulative);
          out += '\n';
        }
        break;
      }
      case Family::Kind::gauge:
        out += " gauge\n";
        if (family->read) {
          append_series(out, family->name, {}, family->label_names, {});
          append_number(out, family->read());
          out += '\n';
        }
        break;
    }
  }
  return out;
}

Metrics::Metrics()
    : requests_(registry_.counter_family(
          "brindle_requests_total", "Requests answered, by subject and outcome.", {"subject", "outcome"})),
      request_duration_(registry_.histogram_family(
          "brindle_request_duration_seconds", "Time from a request's arrival to its answer, by subject.",
          {"subject"}, {std::begin(kLatencyBuckets), std::end(kLatencyBuckets)})),
      bets_accepted_(registry_.counter("brindle_bets_accepted_total", "Bets taken.")),
      bets_refused_(registry_.counter("brindle_bets_refused_total", "Bets refused, for any reason.")),
      sign_in_refusals_(registry_.counter("brindle_sign_in_refusals_total", "Sign-ins refused.")) {}

void Metrics::watch_database_pool(std::function<std::size_t()> in_use, std::function<std::size_t()> size) {
  registry_.gauge("brindle_database_pool_in_use", "Database connections lent out now.",
                  [in_use = std::move(in_use)] { return static_cast<double>(in_use()); });
  registry_.gauge("brindle_database_pool_size", "Database connections the pool may open.",
                  [size = std::move(size)] { return static_cast<double>(size()); });
}

void Metrics::watch_clock_holder(std::function<bool()> holds) {
  registry_.gauge("brindle_market_clock_holder",
                  "1 while this node moves the market clock and settles, else 0.",
                  [holds = std::move(holds)] { return holds() ? 1.0 : 0.0; });
}

}  // namespace brindle::server::operations
