#include "server/market/market.h"

#include <chrono>
#include <string>
#include <utility>

#include "server/market/clock_holder.h"
#include "server/market/market_clock.h"
#include "server/market/market_store.h"
#include "server/market/reply_rows.h"
#include "server/operations/log.h"
#include "server/storage/database.h"
#include "server/storage/timestamp.h"

namespace brindle::server::market {

void MarketSnapshot::index() {
  match_at_.clear();
  event_at_.clear();
  line_at_.clear();
  outright_at_.clear();
  match_lines_.clear();
  for (std::size_t i = 0; i < matches.size(); ++i) match_at_.emplace(matches[i].id, i);
  for (std::size_t i = 0; i < events.size(); ++i) event_at_.emplace(events[i].id, i);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    line_at_.emplace(lines[i].selection_id, i);
    auto [at, fresh] = match_lines_.try_emplace(lines[i].match_id, i, 0);
    ++at->second.second;
    (void)fresh;
  }
  for (std::size_t i = 0; i < outright_selections.size(); ++i) {
    outright_at_.emplace(outright_selections[i].selection_id, i);
  }
  encoded = std::make_shared<const EncodedLists>(encode_lists(*this));
}

const Match* MarketSnapshot::find_match(MatchId id) const {
  auto at = match_at_.find(id);
  return at == match_at_.end() ? nullptr : &matches[at->second];
}

const OutrightEvent* MarketSnapshot::find_event(MatchId id) const {
  auto at = event_at_.find(id);
  return at == event_at_.end() ? nullptr : &events[at->second];
}

const Line* MarketSnapshot::find_line(SelectionId id) const {
  auto at = line_at_.find(id);
  return at == line_at_.end() ? nullptr : &lines[at->second];
}

const OutrightSelection* MarketSnapshot::find_outright_selection(SelectionId id) const {
  auto at = outright_at_.find(id);
  return at == outright_at_.end() ? nullptr : &outright_selections[at->second];
}

std::vector<const Line*> MarketSnapshot::lines_of(MatchId id) const {
  std::vector<const Line*> found;
  auto at = match_lines_.find(id);
  if (at == match_lines_.end()) return found;
  found.reserve(at->second.second);
  for (std::size_t i = 0; i < at->second.second; ++i) found.push_back(&lines[at->second.first + i]);
  return found;
}

Market::Market(std::shared_ptr<storage::Database> db, MarketOptions options)
    : db_(std::move(db)), options_(options), peak_period_(options.peak_period) {}

Market::~Market() { stop(); }

Result<std::shared_ptr<Market>> Market::open(std::shared_ptr<storage::Database> db, MarketOptions options) {
  if (!db) return Result<std::shared_ptr<Market>>::failure("no database for the market");
  std::shared_ptr<Market> market(new Market(std::move(db), options));
  if (auto loaded = market->reload(); !loaded)
    return Result<std::shared_ptr<Market>>::failure(loaded.error());
  return market;
}

std::shared_ptr<const MarketSnapshot> Market::snapshot() const {
  std::lock_guard lock(snapshot_mutex_);
  return snapshot_;
}

std::int64_t Market::now() const { return storage::now_unix_seconds() + snapshot()->clock_offset; }

std::optional<Quote> Market::quote(SelectionId id) const {
  auto s = snapshot();
  const std::int64_t at = storage::now_unix_seconds() + s->clock_offset;
  if (const Line* line = s->find_line(id)) {
    if (const Match* m = s->find_match(line->match_id)) return quote_line(*line, *m, at);
    return std::nullopt;
  }
  if (const OutrightSelection* o = s->find_outright_selection(id)) {
    if (const OutrightEvent* e = s->find_event(o->event_id)) return quote_outright(*o, *e, at);
  }
  return std::nullopt;
}

std::optional<Match> Market::match(MatchId id) const {
  auto s = snapshot();
  const Match* m = s->find_match(id);
  return m == nullptr ? std::nullopt : std::optional<Match>(*m);
}

std::optional<OutrightEvent> Market::event(MatchId id) const {
  auto s = snapshot();
  const OutrightEvent* e = s->find_event(id);
  return e == nullptr ? std::nullopt : std::optional<OutrightEvent>(*e);
}

std::optional<int> Market::acceptance_delay(MatchId id, MarketType type) const {
  auto m = match(id);
  if (!m || m->status != MatchStatus::in_play || !m->offers_in_play || !is_in_play(type)) return std::nullopt;
  return type == MarketType::in_play_handicap ? m->handicap_delay_seconds : m->totals_delay_seconds;
}

void Market::set_on_match_finished(MatchFinishedHandler handler) {
  std::lock_guard lock(handler_mutex_);
  on_finished_ = std::move(handler);
}

Result<void> Market::reload() {
  auto loaded = db_->read([](storage::Connection& connection) { return load_snapshot(connection); });
  if (!loaded) return Result<void>::failure(loaded.error());
  auto fresh = std::make_shared<MarketSnapshot>(std::move(loaded).value());
  fresh->index();
  std::lock_guard lock(snapshot_mutex_);
  snapshot_ = std::move(fresh);
  return {};
}

Result<void> Market::refresh() {
  auto version = db_->read([](storage::Connection& connection) { return read_market_version(connection); });
  if (!version) return Result<void>::failure(version.error());
  if (version.value() == snapshot()->version) return {};
  return reload();
}

Result<void> Market::tick() {
  std::lock_guard lock(tick_mutex_);
  auto fed = run_feed(*db_);
  MatchFinishedHandler handler;
  {
    std::lock_guard handler_lock(handler_mutex_);
    handler = on_finished_;
  }
  Result<int> delivered = 0;
  if (handler) delivered = deliver_finished_matches(*db_, handler);
  // The snapshot follows the database even when a step failed, so other processes' changes show.
  auto refreshed = refresh();
  if (!fed) return Result<void>::failure(fed.error());
  if (!delivered) return Result<void>::failure(delivered.error());
  return refreshed;
}

namespace {

std::int64_t unix_milliseconds() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

}  // namespace

void Market::start() {
  std::lock_guard lock(thread_mutex_);
  if (thread_.joinable() || stopping_) return;
  thread_ = std::thread([this] {
    auto clock_lock = db_->session_lock(kMarketClockLock);
    std::unique_lock wait_lock(thread_mutex_);
    // A failure that repeats every pass (a held bet is retried each time) is written once, until
    // the feed succeeds or fails differently.
    std::string last_failure;
    auto report = [&](const Result<void>& outcome) {
      if (!outcome) {
        if (outcome.error() != last_failure) operations::log::error("market feed: " + outcome.error());
        last_failure = outcome.error();
      } else {
        last_failure.clear();
      }
    };
    while (!stopping_) {
      wait_lock.unlock();
      const bool holder = clock_lock->hold();
      if (holder != holds_clock_.load()) {
        holds_clock_.store(holder);
        if (holder) {
          operations::log::info("market clock: this server moves the market clock and settles (" +
                                options_.node + ")");
        } else {
          operations::log::warning(
              "market clock: this server no longer holds the market clock" +
              (clock_lock->failure().empty() ? std::string() : ": " + clock_lock->failure()));
        }
      }
      if (holder) {
        auto ticked = tick();
        if (ticked) ticked = record_clock_beat(*db_, options_.node, unix_milliseconds());
        report(ticked);
      } else {
        // Another server moves the clock: this one follows what it writes.
        report(refresh());
      }
      wait_lock.lock();
      wake_.wait_for(wait_lock, options_.poll_interval, [this] { return stopping_; });
    }
    wait_lock.unlock();
    // Let go at once, so that another server takes over without waiting for this one's link to die.
    clock_lock->release();
    holds_clock_.store(false);
  });
}

void Market::stop() {
  std::thread thread;
  {
    std::lock_guard lock(thread_mutex_);
    stopping_ = true;
    thread = std::move(thread_);
  }
  wake_.notify_all();
  if (thread.joinable()) thread.join();
}

}  // namespace brindle::server::market
