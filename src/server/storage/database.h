#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "wire/result.h"

namespace brindle::server::storage {

enum class Engine { sqlite, postgresql };

// What a column of the current row holds, for code that reads tables it does not know (a copy).
enum class ValueKind { null, integer, real, text };

// What an engine does with one prepared statement. A Statement is the handle the stores hold.
class StatementCore {
 public:
  virtual ~StatementCore() = default;
  virtual void bind_int64(int index, std::int64_t value) = 0;
  virtual void bind_double(int index, double value) = 0;
  virtual void bind_text(int index, std::string_view text) = 0;
  virtual void bind_null(int index) = 0;
  virtual Result<bool> step() = 0;
  virtual void reset() = 0;
  virtual std::int64_t column_int64(int column) const = 0;
  virtual double column_double(int column) const = 0;
  virtual std::string column_text(int column) const = 0;
  virtual bool column_is_null(int column) const = 0;
  // The result's columns; on PostgreSQL known once the statement has been stepped.
  virtual int column_count() const = 0;
  virtual std::string column_name(int column) const = 0;
  virtual ValueKind column_kind(int column) const = 0;
  // The handle is done with it: back to its connection's cache, or destroyed.
  virtual void release() = 0;
};

// A statement a connection's cache may own: released, it goes back to the cache reset, or is
// destroyed when it was prepared for one use (a nested query of a text already in use).
class CacheableStatement : public StatementCore {
 public:
  explicit CacheableStatement(bool cached) : cached_(cached) {}
  bool in_use = false;
  void release() final {
    if (!cached_) {
      delete this;
      return;
    }
    reset();
    in_use = false;
  }

 private:
  bool cached_;
};

// One prepared statement in use. Parameters are written ?1, ?2 … in the SQL and bound 1-based; an
// unbound parameter is NULL. Columns are 0-based. Destroying it resets the statement and clears its
// bindings, so a cached statement returns to the cache ready for its next use.
class Statement final {
 public:
  explicit Statement(StatementCore* core) : core_(core) {}
  Statement(Statement&& other) noexcept : core_(std::exchange(other.core_, nullptr)) {}
  Statement& operator=(Statement&&) = delete;
  Statement(const Statement&) = delete;
  ~Statement() {
    if (core_ != nullptr) core_->release();
  }

  Statement& bind(int index, std::int64_t value) {
    core_->bind_int64(index, value);
    return *this;
  }
  Statement& bind(int index, int value) { return bind(index, static_cast<std::int64_t>(value)); }
  Statement& bind(int index, double value) {
    core_->bind_double(index, value);
    return *this;
  }
  Statement& bind(int index, std::string_view text) {
    core_->bind_text(index, text);
    return *this;
  }
  Statement& bind(int index, const char* text) { return bind(index, std::string_view(text)); }
  Statement& bind(int index, std::nullptr_t) {
    core_->bind_null(index);
    return *this;
  }

  // true: a row is ready to read; false: the statement has finished. A failing step (a constraint,
  // a full disk, a failed bind before it) is a failure with the engine's words.
  Result<bool> step() { return core_->step(); }
  // Steps until the statement finishes, for statements that return no rows.
  Result<void> run();
  // Rewinds to run again with new bindings.
  void reset() { core_->reset(); }

  std::int64_t column_int64(int column) const { return core_->column_int64(column); }
  double column_double(int column) const { return core_->column_double(column); }
  std::string column_text(int column) const { return core_->column_text(column); }
  bool column_is_null(int column) const { return core_->column_is_null(column); }
  int column_count() const { return core_->column_count(); }
  std::string column_name(int column) const { return core_->column_name(column); }
  ValueKind column_kind(int column) const { return core_->column_kind(column); }

 private:
  StatementCore* core_;
};

// read: one snapshot, no writes; write: a money-moving unit of work; schema: migrations, which on
// PostgreSQL see each statement's committed state so that several servers starting at once can
// wait for each other.
enum class Access { read, write, schema };

// One connection to the database. Not thread-safe: a Database hands it to one piece of work at a time.
class Connection {
 public:
  Connection() = default;
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  virtual ~Connection() = default;

  // A statement from this connection's cache (prepared on first use). When the cached one is
  // already in use (a nested query of the same text), a fresh one is prepared for this use alone.
  virtual Result<Statement> prepare(std::string_view sql) = 0;
  // Runs a fixed script of several statements (migrations, tests' fixtures). Never for text from
  // input. Scripts are written for SQLite; on another engine the schema words are translated.
  virtual Result<void> execute_script(std::string_view sql) = 0;
  virtual int changes() const = 0;  // rows changed by the last statement
  virtual Engine engine() const = 0;

  // What the Database does around the work. attempt counts from 1; later attempts of work that
  // lost conflicts may queue behind each other so that they stop meeting.
  virtual Result<void> begin(Access access, int attempt) = 0;
  virtual Result<void> commit() = 0;
  virtual void rollback() = 0;
  // A statement of this transaction failed: the engine will not commit it whatever the work says.
  virtual bool transaction_failed() const = 0;
  // It failed because the engine chose it as the loser of a conflict: running it again is safe.
  virtual bool conflict_failed() const = 0;
  // The link to the database is gone; the pool replaces the connection.
  virtual bool broken() const = 0;
};

struct DatabaseOptions {
  // SQLite: synchronous=NORMAL in WAL mode survives a crash of the process (kill -9) without losing
  // a committed transaction, which is what a server on an ordinary host must guarantee; FULL also
  // survives power loss at about twenty times the cost of each commit. PostgreSQL keeps its own
  // setting (synchronous_commit), which the operator chooses on the database.
  bool full_sync = false;
  int busy_timeout_ms = 5000;  // SQLite: admin commands write from other processes
  // PostgreSQL: connections open at most, and how long a piece of work waits for one.
  std::size_t pool_size = 8;
  int pool_wait_ms = 10000;
  // PostgreSQL: how often a transaction that lost a conflict is run again before the request fails,
  // and for how long at least: work that keeps losing to one long transaction (a match's
  // settlement, which reads and writes every bet on it) goes on trying for that transaction's
  // length instead of failing within a second.
  int conflict_attempts = 16;
  int conflict_patience_ms = 5000;
};

inline constexpr std::string_view kDatabaseFileName = "brindle.db";

// Whether a failure's text is the storage layer's own (an engine's words, a lost link, a pool with
// no connection free) rather than a refusal a store chose: such texts reach a client only as the
// generic server error.
inline bool is_database_failure(std::string_view text) {
  for (std::string_view prefix : {"database ", "cannot prepare a statement", "cannot bind a parameter",
                                  "cannot open the database", "internal error"}) {
    if (text.starts_with(prefix)) return true;
  }
  return false;
}
inline constexpr std::string_view kNestedTransactionText = "internal error: nested database transaction";

// A lock that one session of the database holds for as long as it lives, so that of several servers
// sharing one database exactly one holds it at a time. A holder that dies or loses its link to the
// database loses the lock with it, and another can take it. Not thread-safe: one thread polls it.
class SessionLock {
 public:
  virtual ~SessionLock() = default;
  // Takes the lock when it is free, or, while held, proves that the session holding it is still
  // alive. True while this process holds the lock; false while another does or the database cannot
  // be reached (what went wrong is in failure()).
  virtual bool hold() = 0;
  // Lets the lock go; hold() may take it again.
  virtual void release() = 0;
  virtual const std::string& failure() const = 0;
};

// Hands connections to work: SQLite's one writer and one reader, or a pool of PostgreSQL sessions.
class ConnectionSource {
 public:
  virtual ~ConnectionSource() = default;
  virtual Result<Connection*> take(Access access) = 0;
  virtual void give_back(Connection* connection, Access access) = 0;
  virtual Engine engine() const = 0;
  virtual std::string description() const = 0;
  // A lock of its own (see SessionLock) named by key.
  virtual std::unique_ptr<SessionLock> session_lock(std::int64_t key) = 0;
  // Connections open and connections working now, for the operator's figures.
  struct Use {
    std::size_t open = 0;
    std::size_t busy = 0;
    std::size_t limit = 0;
  };
  virtual Use use() const = 0;
  // Whether the database answers now, on a session beside the pool's work.
  virtual Result<void> ping() = 0;
};

// The server's database. Work runs in one transaction on a connection of its own; a failed Result,
// an exception or a failed commit rolls everything back and comes out as a failure. Transactions do
// not nest: calling transaction() or read() from inside work fails at once instead of deadlocking.
// On an engine with real concurrency a transaction that loses a conflict is rolled back and run
// again from the start, a bounded number of times: work must have no effect outside the database.
class Database final {
 public:
  // SQLite in WAL mode with foreign keys on, one writing and one reading connection, so reads go on
  // while a write transaction runs.
  static Result<std::shared_ptr<Database>> open(const std::filesystem::path& file,
                                                DatabaseOptions options = {});
  // Opens (creating if needed) <data_dir>/brindle.db.
  static Result<std::shared_ptr<Database>> open_in(const std::filesystem::path& data_dir,
                                                   DatabaseOptions options = {});
  // PostgreSQL through libpq: a URI or key=value connection string.
  static Result<std::shared_ptr<Database>> connect_postgresql(const std::string& conninfo,
                                                              DatabaseOptions options = {});

  explicit Database(std::unique_ptr<ConnectionSource> source, DatabaseOptions options);
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;
  ~Database();

  // Write work: SQLite's BEGIN IMMEDIATE, PostgreSQL's SERIALIZABLE.
  template <typename Work>
  auto transaction(Work&& work) -> std::invoke_result_t<Work&, Connection&> {
    return run_in(Access::write, work);
  }
  // Schema changes at start-up, one server at a time.
  template <typename Work>
  auto schema_change(Work&& work) -> std::invoke_result_t<Work&, Connection&> {
    return run_in(Access::schema, work);
  }
  // Read-only work inside one transaction that sees one consistent snapshot.
  template <typename Work>
  auto read(Work&& work) -> std::invoke_result_t<Work&, Connection&> {
    return run_in(Access::read, work);
  }

  Engine engine() const;
  // Where it is, for the operator's messages; never a password.
  std::string description() const;
  // A lock held by a session of its own: on PostgreSQL an advisory lock (key) on a dedicated
  // connection, which servers sharing the database contend for; on SQLite, whose file one server
  // serves, a lock that is always held.
  std::unique_ptr<SessionLock> session_lock(std::int64_t key) { return source_->session_lock(key); }
  ConnectionSource::Use use() const { return source_->use(); }
  // Whether the database answers now, without waiting for the pool; the reason when it does not.
  Result<void> ping() { return source_->ping(); }

 private:
  template <typename Work>
  auto run_in(Access access, Work& work) -> std::invoke_result_t<Work&, Connection&>;

  // Runs attempt() in transactions until it stands; nullopt: the last attempt's outcome stands,
  // otherwise the database's own failure.
  std::optional<std::string> run_attempts(Access access, const std::function<bool(Connection&)>& attempt);

  std::unique_ptr<ConnectionSource> source_;
  DatabaseOptions options_;
};

template <typename Work>
auto Database::run_in(Access access, Work& work) -> std::invoke_result_t<Work&, Connection&> {
  using R = std::invoke_result_t<Work&, Connection&>;
  std::optional<R> outcome;
  auto failed = run_attempts(access, [&](Connection& connection) {
    outcome.reset();
    try {
      outcome.emplace(work(connection));
    } catch (const std::exception& e) {
      outcome.emplace(R::failure(std::string("internal error: ") + e.what()));
    } catch (...) {
      outcome.emplace(R::failure("internal error"));
    }
    return outcome->ok();
  });
  if (failed) return R::failure(*failed);
  return std::move(*outcome);
}

}  // namespace brindle::server::storage
