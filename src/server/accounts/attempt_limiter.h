#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "wire/result.h"

namespace brindle::server::storage {
class Connection;
class Database;
}  // namespace brindle::server::storage

namespace brindle::server::accounts {

// How hard one kind of attempt is slowed down. Every counted attempt past the first `free` ones
// makes the next attempt wait: backoff, doubling each time up to backoff_max. `lock_after`
// counted attempts within `lock_time` lock the key for `lock_time`. Zero turns a part off.
struct AttemptPolicy {
  int free = 3;
  std::chrono::seconds backoff{1};
  std::chrono::seconds backoff_max{60};
  int lock_after = 10;
  std::chrono::seconds lock_time{std::chrono::minutes(15)};
  bool operator==(const AttemptPolicy&) const = default;
};

// Whether an attempt may go ahead now.
struct AttemptVerdict {
  enum class Kind { allowed, backoff, locked };
  Kind kind = Kind::allowed;
  std::chrono::seconds wait{0};  // until the key is free again, rounded up; 0 when allowed

  bool allowed() const { return kind == Kind::allowed; }
  // The wait in whole minutes, rounded up (for the lock's message).
  int wait_minutes() const { return static_cast<int>((wait.count() + 59) / 60); }
  int wait_seconds() const { return static_cast<int>(wait.count()); }
};

// Counts attempts per key (a user name, an address) and slows down keys that attempt too often.
// Nothing here sleeps: a caller refuses the attempt that check() does not allow. Thread-safe.
//
//   if (auto v = limiter.check(key); !v.allowed()) refuse(v);
//   ... attempt ...;  on failure limiter.count(key); on success limiter.clear(key)
//
// For attempts that are never "wrong" (name checks, retrievals) count every attempt.
//
// The counts live in this process, or, for servers that share one database, in its attempt table
// under a scope of the limiter's own, so that attempts spread over every server count as if sent
// to one. There the clock is wall-clock time, which the servers share; a count that cannot be
// written (the database is away) is lost, and a check that cannot read allows, as every other
// step of a sign-in fails then anyway.
class AttemptLimiter final {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;
  // Keys beyond this are pruned of expired entries, then of unlocked ones, so that a flood of
  // distinct names cannot grow the table without bound.
  static constexpr std::size_t kMaxKeys = 100'000;

  explicit AttemptLimiter(AttemptPolicy policy, Clock clock = {});
  AttemptLimiter(AttemptPolicy policy, std::shared_ptr<storage::Database> shared, std::string scope,
                 Clock clock = {});

  AttemptVerdict check(std::string_view key) const;
  // check() and has_record() of one key at once, with one look at the counts.
  struct Standing {
    AttemptVerdict verdict;
    bool has_record = false;
  };
  Standing standing(std::string_view key) const;
  // Whether the key has counted attempts that have not yet expired (or a lock that holds).
  bool has_record(std::string_view key) const;
  // Counts one attempt (a failure) against the key and returns the verdict for the next one.
  AttemptVerdict count(std::string_view key);
  void clear(std::string_view key);

  const AttemptPolicy& policy() const { return policy_; }

 private:
  using TimePoint = std::chrono::steady_clock::time_point;
  struct Entry {
    int counted = 0;
    TimePoint window_start{};
    TimePoint next_allowed{};
    TimePoint locked_until{};
  };
  AttemptVerdict verdict(const Entry& entry, TimePoint now) const;
  bool expired(const Entry& entry, TimePoint now) const;
  // Counts one attempt into entry.
  void add_attempt(Entry& entry, TimePoint now) const;
  void prune(TimePoint now);

  // The key's counts, from this process or the shared table.
  std::optional<Entry> find(std::string_view key) const;
  // The same against the shared table.
  static Result<std::optional<Entry>> read_shared(storage::Connection& connection, std::string_view scope,
                                                  std::string_view key);
  std::optional<Entry> load_shared(std::string_view key) const;
  AttemptVerdict count_shared(std::string_view key, TimePoint now);
  void clear_shared(std::string_view key, TimePoint now);

  AttemptPolicy policy_;
  Clock clock_;
  std::shared_ptr<storage::Database> shared_;
  std::string scope_;
  std::atomic<std::size_t> shared_counts_ = 0;  // every so many counts, expired rows go
  mutable std::mutex mutex_;
  std::unordered_map<std::string, Entry> entries_;
};

// The refusals of a sign-in that a limiter did not allow.
inline constexpr std::string_view kSignInLockedFormat = "登录失败次数过多，请%d分钟后再试！";
inline constexpr std::string_view kSignInBackoffFormat = "登录失败，请%d秒后再试！";
// The refusals of other limited attempts (name checks, retrievals).
inline constexpr std::string_view kTooManyLockedFormat = "操作次数过多，请%d分钟后再试！";
inline constexpr std::string_view kTooManyBackoffFormat = "操作过于频繁，请%d秒后再试！";

// Fills the format that fits the verdict ("…请15分钟后再试！").
std::string refusal_text(const AttemptVerdict& verdict, std::string_view locked_format,
                         std::string_view backoff_format);
std::string sign_in_refusal(const AttemptVerdict& verdict);

// The key of a user name: names differ only in case are one name.
std::string name_key(std::string_view user_name);

}  // namespace brindle::server::accounts
