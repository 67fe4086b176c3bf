#include "server/accounts/attempt_limiter.h"

#include <algorithm>
#include <cstdint>

#include "server/operations/log.h"
#include "server/storage/database.h"

namespace brindle::server::accounts {
namespace {

std::chrono::seconds ceil_seconds(std::chrono::steady_clock::duration d) {
  return std::max(std::chrono::seconds(1), std::chrono::ceil<std::chrono::seconds>(d));
}

using TimePoint = std::chrono::steady_clock::time_point;

std::int64_t to_ms(TimePoint at) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(at.time_since_epoch()).count();
}
TimePoint from_ms(std::int64_t ms) {
  return TimePoint(std::chrono::duration_cast<TimePoint::duration>(std::chrono::milliseconds(ms)));
}

// Shared counts are kept in wall-clock time: servers on several machines share no other clock.
TimePoint wall_clock() {
  return TimePoint(
      std::chrono::duration_cast<TimePoint::duration>(std::chrono::system_clock::now().time_since_epoch()));
}

constexpr std::size_t kPruneEvery = 512;

}  // namespace

AttemptLimiter::AttemptLimiter(AttemptPolicy policy, Clock clock)
    : policy_(policy), clock_(std::move(clock)) {
  if (!clock_) clock_ = [] { return std::chrono::steady_clock::now(); };
}

AttemptLimiter::AttemptLimiter(AttemptPolicy policy, std::shared_ptr<storage::Database> shared,
                               std::string scope, Clock clock)
    : policy_(policy), clock_(std::move(clock)), shared_(std::move(shared)), scope_(std::move(scope)) {
  if (!clock_) clock_ = wall_clock;
}

AttemptVerdict AttemptLimiter::verdict(const Entry& entry, TimePoint now) const {
  if (now < entry.locked_until) return {AttemptVerdict::Kind::locked, ceil_seconds(entry.locked_until - now)};
  if (now < entry.next_allowed)
    return {AttemptVerdict::Kind::backoff, ceil_seconds(entry.next_allowed - now)};
  return {};
}

bool AttemptLimiter::expired(const Entry& entry, TimePoint now) const {
  return now >= entry.locked_until && now >= entry.next_allowed &&
         now - entry.window_start >= std::max(policy_.lock_time, policy_.backoff_max);
}

std::optional<AttemptLimiter::Entry> AttemptLimiter::find(std::string_view key) const {
  if (shared_) return load_shared(key);
  std::lock_guard lock(mutex_);
  auto found = entries_.find(std::string(key));
  if (found == entries_.end()) return std::nullopt;
  return found->second;
}

AttemptVerdict AttemptLimiter::check(std::string_view key) const {
  const auto now = clock_();
  auto entry = find(key);
  return entry ? verdict(*entry, now) : AttemptVerdict{};
}

bool AttemptLimiter::has_record(std::string_view key) const {
  const auto now = clock_();
  auto entry = find(key);
  return entry && !expired(*entry, now);
}

AttemptLimiter::Standing AttemptLimiter::standing(std::string_view key) const {
  const auto now = clock_();
  auto entry = find(key);
  if (!entry) return {};
  return {verdict(*entry, now), !expired(*entry, now)};
}

void AttemptLimiter::add_attempt(Entry& entry, TimePoint now) const {
  // A count starts over once its window has passed without a lock.
  if (entry.counted > 0 && expired(entry, now)) entry = Entry{};
  if (entry.counted == 0) entry.window_start = now;
  ++entry.counted;
  if (policy_.lock_after > 0 && entry.counted >= policy_.lock_after) {
    entry.locked_until = now + policy_.lock_time;
    // The lock ends the count: afterwards the key starts afresh.
    entry.counted = 0;
    entry.window_start = now;
  } else if (policy_.backoff.count() > 0 && entry.counted > policy_.free) {
    const int doublings = std::min(entry.counted - policy_.free - 1, 30);
    auto delay = policy_.backoff * (std::int64_t{1} << doublings);
    if (policy_.backoff_max.count() > 0) delay = std::min(delay, policy_.backoff_max);
    entry.next_allowed = now + delay;
  }
}

AttemptVerdict AttemptLimiter::count(std::string_view key) {
  const auto now = clock_();
  if (shared_) return count_shared(key, now);
  std::lock_guard lock(mutex_);
  if (entries_.size() >= kMaxKeys) prune(now);
  auto& entry = entries_[std::string(key)];
  add_attempt(entry, now);
  return verdict(entry, now);
}

void AttemptLimiter::clear(std::string_view key) {
  if (shared_) return clear_shared(key, clock_());
  std::lock_guard lock(mutex_);
  auto found = entries_.find(std::string(key));
  // A success does not lift a lock.
  if (found != entries_.end() && clock_() >= found->second.locked_until) entries_.erase(found);
}

using storage::Connection;

Result<std::optional<AttemptLimiter::Entry>> AttemptLimiter::read_shared(Connection& connection,
                                                                         std::string_view scope,
                                                                         std::string_view key) {
  using R = Result<std::optional<Entry>>;
  auto statement = connection.prepare(
      "SELECT counted, window_start, next_allowed, locked_until FROM attempt_limits"
      " WHERE scope = ?1 AND attempt_key = ?2");
  if (!statement) return R::failure(statement.error());
  statement->bind(1, scope).bind(2, key);
  auto row = statement->step();
  if (!row) return R::failure(row.error());
  if (!row.value()) return std::optional<Entry>{};
  return std::optional<Entry>(Entry{static_cast<int>(statement->column_int64(0)),
                                    from_ms(statement->column_int64(1)), from_ms(statement->column_int64(2)),
                                    from_ms(statement->column_int64(3))});
}

std::optional<AttemptLimiter::Entry> AttemptLimiter::load_shared(std::string_view key) const {
  auto entry = shared_->read([&](Connection& connection) { return read_shared(connection, scope_, key); });
  if (!entry) {
    operations::log::error("attempt limits: " + entry.error());
    return std::nullopt;
  }
  return entry.value();
}

AttemptVerdict AttemptLimiter::count_shared(std::string_view key, TimePoint now) {
  const bool prune_now = ++shared_counts_ % kPruneEvery == 0;
  const auto keep = std::max(policy_.lock_time, policy_.backoff_max);
  auto counted = shared_->transaction([&](Connection& connection) -> Result<Entry> {
    auto found = read_shared(connection, scope_, key);
    if (!found) return Result<Entry>::failure(found.error());
    Entry entry = found.value().value_or(Entry{});
    add_attempt(entry, now);
    const auto expires = std::max({entry.locked_until, entry.next_allowed, entry.window_start + keep});
    auto write = connection.prepare(
        "INSERT INTO attempt_limits (scope, attempt_key, counted, window_start, next_allowed, locked_until,"
        " expires) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7) ON CONFLICT (scope, attempt_key) DO UPDATE SET"
        " counted = excluded.counted, window_start = excluded.window_start,"
        " next_allowed = excluded.next_allowed, locked_until = excluded.locked_until, expires = "
        "excluded.expires");
    if (!write) return Result<Entry>::failure(write.error());
    write->bind(1, scope_)
        .bind(2, key)
        .bind(3, entry.counted)
        .bind(4, to_ms(entry.window_start))
        .bind(5, to_ms(entry.next_allowed))
        .bind(6, to_ms(entry.locked_until))
        .bind(7, to_ms(expires));
    if (auto ran = write->run(); !ran) return Result<Entry>::failure(ran.error());
    if (prune_now) {
      auto prune = connection.prepare("DELETE FROM attempt_limits WHERE scope = ?1 AND expires <= ?2");
      if (!prune) return Result<Entry>::failure(prune.error());
      prune->bind(1, scope_).bind(2, to_ms(now));
      if (auto ran = prune->run(); !ran) return Result<Entry>::failure(ran.error());
    }
    return entry;
  });
  if (!counted) {
    operations::log::error("attempt limits: " + counted.error());
    return {};
  }
  return verdict(counted.value(), now);
}

void AttemptLimiter::clear_shared(std::string_view key, TimePoint now) {
  auto cleared = shared_->transaction([&](Connection& connection) -> Result<void> {
    // A success does not lift a lock.
    auto statement = connection.prepare(
        "DELETE FROM attempt_limits WHERE scope = ?1 AND attempt_key = ?2 AND locked_until <= ?3");
    if (!statement) return Result<void>::failure(statement.error());
    statement->bind(1, scope_).bind(2, key).bind(3, to_ms(now));
    return statement->run();
  });
  if (!cleared) operations::log::error("attempt limits: " + cleared.error());
}

void AttemptLimiter::prune(TimePoint now) {
  std::erase_if(entries_, [&](const auto& entry) { return expired(entry.second, now); });
  if (entries_.size() < kMaxKeys) return;
  std::erase_if(entries_, [&](const auto& entry) { return now >= entry.second.locked_until; });
}

std::string refusal_text(const AttemptVerdict& verdict, std::string_view locked_format,
                         std::string_view backoff_format) {
  const bool locked = verdict.kind == AttemptVerdict::Kind::locked;
  std::string text(locked ? locked_format : backoff_format);
  if (auto at = text.find("%d"); at != std::string::npos)
    text.replace(at, 2, std::to_string(locked ? verdict.wait_minutes() : verdict.wait_seconds()));
  return text;
}

std::string sign_in_refusal(const AttemptVerdict& verdict) {
  return refusal_text(verdict, kSignInLockedFormat, kSignInBackoffFormat);
}

std::string name_key(std::string_view user_name) {
  std::string key(user_name);
  std::transform(key.begin(), key.end(), key.begin(),
                 [](unsigned char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
  return key;
}

}  // namespace brindle::server::accounts
