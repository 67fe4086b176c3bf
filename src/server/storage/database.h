#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <type_traits>
#include <unordered_map>
#include <utility>

#include "wire/result.h"

struct sqlite3;
struct sqlite3_stmt;

namespace brindle::server::storage {

class Connection;

// One prepared statement in use. Parameters are 1-based (as SQLite numbers them), columns 0-based.
// Destroying it resets the statement and clears its bindings, so a cached statement returns to the
// cache ready for its next use.
class Statement final {
 public:
  Statement(Statement&& other) noexcept;
  Statement& operator=(Statement&&) = delete;
  Statement(const Statement&) = delete;
  ~Statement();

  Statement& bind(int index, std::int64_t value);
  Statement& bind(int index, int value) { return bind(index, static_cast<std::int64_t>(value)); }
  Statement& bind(int index, double value);
  Statement& bind(int index, std::string_view text);
  Statement& bind(int index, const char* text) { return bind(index, std::string_view(text)); }
  Statement& bind(int index, std::nullptr_t);

  // true: a row is ready to read; false: the statement has finished. A failing step (a constraint,
  // a full disk, a failed bind before it) is a failure with SQLite's words.
  Result<bool> step();
  // Steps until the statement finishes, for statements that return no rows.
  Result<void> run();
  // Rewinds to run again with new bindings.
  void reset();

  std::int64_t column_int64(int column) const;
  double column_double(int column) const;
  std::string column_text(int column) const;
  bool column_is_null(int column) const;

 private:
  friend class Connection;
  // in_use: the cache entry's flag, cleared on destruction; null for a statement of this use alone.
  Statement(sqlite3_stmt* statement, bool* in_use);

  sqlite3_stmt* statement_;
  bool* in_use_;
  std::string bind_error_;  // the first failed bind, reported by the next step
};

// One SQLite connection. Not thread-safe: a Database hands it to one piece of work at a time.
class Connection final {
 public:
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  ~Connection();

  // A statement from this connection's cache (prepared on first use). When the cached one is
  // already in use (a nested query of the same text), a fresh one is prepared for this use alone.
  Result<Statement> prepare(std::string_view sql);
  // Runs a fixed script of several statements (migrations, pragmas). Never for text from input.
  Result<void> execute_script(std::string_view sql);

  std::int64_t last_insert_rowid() const;
  int changes() const;  // rows changed by the last statement

 private:
  friend class Database;
  friend class Statement;
  explicit Connection(sqlite3* handle) : handle_(handle) {}
  std::string error_text() const;

  sqlite3* handle_;
  struct CachedStatement {
    sqlite3_stmt* statement = nullptr;
    bool in_use = false;
  };
  std::unordered_map<std::string, CachedStatement> cache_;
};

struct DatabaseOptions {
  // synchronous=NORMAL in WAL mode survives a crash of the process (kill -9) without losing a
  // committed transaction, which is what a server on an ordinary host must guarantee; FULL also
  // survives power loss at about twenty times the cost of each commit.
  bool full_sync = false;
  int busy_timeout_ms = 5000;  // admin commands write from other processes
};

inline constexpr std::string_view kDatabaseFileName = "brindle.db";

// The server's SQLite database in WAL mode with foreign keys on. One writing connection and one
// reading connection, each guarded by its own mutex, so reads go on while a write transaction runs.
class Database final {
 public:
  static Result<std::shared_ptr<Database>> open(const std::filesystem::path& file,
                                                DatabaseOptions options = {});
  // Opens (creating if needed) <data_dir>/brindle.db.
  static Result<std::shared_ptr<Database>> open_in(const std::filesystem::path& data_dir,
                                                   DatabaseOptions options = {});

  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;
  ~Database();

  // Runs work inside BEGIN IMMEDIATE ... COMMIT. work returns a Result<T>; a failed Result, an
  // exception or a failed commit rolls everything back and comes out as a failure. Transactions do
  // not nest: calling transaction() or read() from inside work fails at once instead of deadlocking.
  template <typename Work>
  auto transaction(Work&& work) -> std::invoke_result_t<Work&, Connection&>;

  // Runs read-only work inside one deferred transaction on the reading connection, so it sees one
  // consistent snapshot.
  template <typename Work>
  auto read(Work&& work) -> std::invoke_result_t<Work&, Connection&>;

  const std::filesystem::path& file() const { return file_; }

 private:
  struct Guarded {
    std::mutex mutex;
    std::unique_ptr<Connection> connection;
  };

  Database(std::filesystem::path file, std::unique_ptr<Connection> writer,
           std::unique_ptr<Connection> reader);

  template <typename Work>
  auto run_in(Guarded& guarded, std::string_view begin, Work& work)
      -> std::invoke_result_t<Work&, Connection&>;

  static bool inside_work();
  static void set_inside_work(bool inside);
  static Result<void> exec(Connection& connection, std::string_view sql);

  std::filesystem::path file_;
  Guarded writer_;
  Guarded reader_;
};

inline constexpr std::string_view kNestedTransactionText = "internal error: nested database transaction";

template <typename Work>
auto Database::transaction(Work&& work) -> std::invoke_result_t<Work&, Connection&> {
  return run_in(writer_, "BEGIN IMMEDIATE", work);
}

template <typename Work>
auto Database::read(Work&& work) -> std::invoke_result_t<Work&, Connection&> {
  return run_in(reader_, "BEGIN", work);
}

template <typename Work>
auto Database::run_in(Guarded& guarded, std::string_view begin, Work& work)
    -> std::invoke_result_t<Work&, Connection&> {
  using R = std::invoke_result_t<Work&, Connection&>;
  if (inside_work()) return R::failure(std::string(kNestedTransactionText));
  std::lock_guard lock(guarded.mutex);
  Connection& connection = *guarded.connection;
  if (auto begun = exec(connection, begin); !begun) return R::failure(begun.error());
  set_inside_work(true);
  std::optional<R> outcome;
  try {
    outcome.emplace(work(connection));
  } catch (const std::exception& e) {
    outcome.emplace(R::failure(std::string("internal error: ") + e.what()));
  } catch (...) {
    outcome.emplace(R::failure("internal error"));
  }
  set_inside_work(false);
  if (!outcome->ok()) {
    (void)exec(connection, "ROLLBACK");
    return std::move(*outcome);
  }
  if (auto committed = exec(connection, "COMMIT"); !committed) {
    (void)exec(connection, "ROLLBACK");
    return R::failure(committed.error());
  }
  return std::move(*outcome);
}

}  // namespace brindle::server::storage
