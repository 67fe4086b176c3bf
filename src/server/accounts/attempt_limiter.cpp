#include "server/accounts/attempt_limiter.h"

#include <algorithm>
#include <cstdint>

namespace brindle::server::accounts {
namespace {

std::chrono::seconds ceil_seconds(std::chrono::steady_clock::duration d) {
  return std::max(std::chrono::seconds(1), std::chrono::ceil<std::chrono::seconds>(d));
}

}  // namespace

AttemptLimiter::AttemptLimiter(AttemptPolicy policy, Clock clock)
    : policy_(policy), clock_(std::move(clock)) {
  if (!clock_) clock_ = [] { return std::chrono::steady_clock::now(); };
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

AttemptVerdict AttemptLimiter::check(std::string_view key) const {
  const auto now = clock_();
  std::lock_guard lock(mutex_);
  auto found = entries_.find(std::string(key));
  return found == entries_.end() ? AttemptVerdict{} : verdict(found->second, now);
}

bool AttemptLimiter::has_record(std::string_view key) const {
  const auto now = clock_();
  std::lock_guard lock(mutex_);
  auto found = entries_.find(std::string(key));
  return found != entries_.end() && !expired(found->second, now);
}

AttemptVerdict AttemptLimiter::count(std::string_view key) {
  const auto now = clock_();
  std::lock_guard lock(mutex_);
  if (entries_.size() >= kMaxKeys) prune(now);
  auto& entry = entries_[std::string(key)];
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
  return verdict(entry, now);
}

void AttemptLimiter::clear(std::string_view key) {
  std::lock_guard lock(mutex_);
  auto found = entries_.find(std::string(key));
  // A success does not lift a lock.
  if (found != entries_.end() && clock_() >= found->second.locked_until) entries_.erase(found);
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
