// SQLite: the embedded default, one file in the data folder.
#include <sqlite3.h>

#include <climits>
#include <mutex>
#include <unordered_map>

#include "server/storage/database.h"
#include "server/storage/private_files.h"

namespace brindle::server::storage {
namespace {

int narrow_size(std::size_t size) { return size > INT_MAX ? -1 : static_cast<int>(size); }

class SqliteStatement final : public CacheableStatement {
 public:
  // cached: the connection's cache owns it and takes it back on release.
  SqliteStatement(sqlite3_stmt* statement, bool cached) : CacheableStatement(cached), statement_(statement) {}
  ~SqliteStatement() override { sqlite3_finalize(statement_); }
  SqliteStatement(const SqliteStatement&) = delete;
  SqliteStatement& operator=(const SqliteStatement&) = delete;

  void bind_int64(int index, std::int64_t value) override {
    note(sqlite3_bind_int64(statement_, index, value));
  }
  void bind_double(int index, double value) override { note(sqlite3_bind_double(statement_, index, value)); }
  void bind_text(int index, std::string_view text) override {
    const int size = narrow_size(text.size());
    if (size < 0) {
      if (bind_error_.empty()) bind_error_ = "cannot bind a parameter: text too long";
      return;
    }
    // SQLite binds a null pointer as NULL; an empty view without storage is still an empty text.
    const char* data = text.data() != nullptr ? text.data() : "";
    note(sqlite3_bind_text(statement_, index, data, size, SQLITE_TRANSIENT));
  }
  void bind_null(int index) override { note(sqlite3_bind_null(statement_, index)); }

  Result<bool> step() override {
    if (!bind_error_.empty()) return Result<bool>::failure(bind_error_);
    const int rc = sqlite3_step(statement_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    // Reset so the error text is the statement's own and the statement is usable again.
    std::string text = sqlite3_errmsg(sqlite3_db_handle(statement_));
    sqlite3_reset(statement_);
    return Result<bool>::failure("database error: " + text);
  }

  void reset() override {
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
    bind_error_.clear();
  }

  std::int64_t column_int64(int column) const override { return sqlite3_column_int64(statement_, column); }
  double column_double(int column) const override { return sqlite3_column_double(statement_, column); }
  std::string column_text(int column) const override {
    const auto* text = sqlite3_column_text(statement_, column);
    if (text == nullptr) return {};
    const int size = sqlite3_column_bytes(statement_, column);
    return std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(size));
  }
  bool column_is_null(int column) const override {
    return sqlite3_column_type(statement_, column) == SQLITE_NULL;
  }
  int column_count() const override { return sqlite3_column_count(statement_); }
  std::string column_name(int column) const override {
    const char* name = sqlite3_column_name(statement_, column);
    return name != nullptr ? name : "";
  }
  ValueKind column_kind(int column) const override {
    switch (sqlite3_column_type(statement_, column)) {
      case SQLITE_NULL:
        return ValueKind::null;
      case SQLITE_INTEGER:
        return ValueKind::integer;
      case SQLITE_FLOAT:
        return ValueKind::real;
      default:
        return ValueKind::text;
    }
  }

 private:
  void note(int rc) {
    if (rc != SQLITE_OK && bind_error_.empty()) {
      bind_error_ = std::string("cannot bind a parameter: ") + sqlite3_errmsg(sqlite3_db_handle(statement_));
    }
  }

  sqlite3_stmt* statement_;
  std::string bind_error_;  // the first failed bind, reported by the next step
};

class SqliteConnection final : public Connection {
 public:
  explicit SqliteConnection(sqlite3* handle) : handle_(handle) {}
  ~SqliteConnection() override {
    cache_.clear();
    sqlite3_close_v2(handle_);
  }

  Result<Statement> prepare(std::string_view sql) override {
    auto found = cache_.find(std::string(sql));
    if (found != cache_.end() && !found->second->in_use) {
      found->second->in_use = true;
      return Statement(found->second.get());
    }
    const bool cache_it = found == cache_.end();
    sqlite3_stmt* statement = nullptr;
    const int rc = sqlite3_prepare_v3(handle_, sql.data(), narrow_size(sql.size()),
                                      cache_it ? SQLITE_PREPARE_PERSISTENT : 0, &statement, nullptr);
    if (rc != SQLITE_OK || statement == nullptr) {
      sqlite3_finalize(statement);
      return Result<Statement>::failure("cannot prepare a statement: " + error_text());
    }
    if (!cache_it) return Statement(new SqliteStatement(statement, false));
    auto& entry =
        cache_.emplace(std::string(sql), std::make_unique<SqliteStatement>(statement, true)).first->second;
    entry->in_use = true;
    return Statement(entry.get());
  }

  Result<void> execute_script(std::string_view sql) override {
    const std::string text(sql);
    char* message = nullptr;
    if (sqlite3_exec(handle_, text.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
      std::string error = message != nullptr ? message : error_text();
      sqlite3_free(message);
      return Result<void>::failure("database error: " + error);
    }
    return {};
  }

  int changes() const override { return sqlite3_changes(handle_); }
  Engine engine() const override { return Engine::sqlite; }

  Result<void> begin(Access access, int) override {
    return exec(access == Access::read ? "BEGIN" : "BEGIN IMMEDIATE");
  }
  Result<void> commit() override { return exec("COMMIT"); }
  void rollback() override {
    if (sqlite3_get_autocommit(handle_) == 0) (void)exec("ROLLBACK");
  }
  // SQLite goes on after a failed statement; whether to go on is the work's to say.
  bool transaction_failed() const override { return false; }
  bool conflict_failed() const override { return false; }
  bool broken() const override { return false; }

  std::string error_text() const { return sqlite3_errmsg(handle_); }

 private:
  Result<void> exec(std::string_view sql) {
    auto statement = prepare(sql);
    if (!statement) return Result<void>::failure(statement.error());
    return statement->run();
  }

  sqlite3* handle_;
  std::unordered_map<std::string, std::unique_ptr<SqliteStatement>> cache_;
};

// One server serves a database file: it always holds every lock of its own.
class SqliteSessionLock final : public SessionLock {
 public:
  bool hold() override { return true; }
  void release() override {}
  const std::string& failure() const override { return failure_; }

 private:
  std::string failure_;
};

// One writing and one reading connection, each guarded by its own mutex.
class SqliteSource final : public ConnectionSource {
 public:
  SqliteSource(std::filesystem::path file, std::unique_ptr<Connection> writer,
               std::unique_ptr<Connection> reader)
      : file_(std::move(file)), writer_(std::move(writer)), reader_(std::move(reader)) {}

  Result<Connection*> take(Access access) override {
    if (access != Access::read) {
      writer_mutex_.lock();
      return writer_.get();
    }
    reader_mutex_.lock();
    return reader_.get();
  }
  void give_back(Connection*, Access access) override {
    (access == Access::read ? reader_mutex_ : writer_mutex_).unlock();
  }
  Engine engine() const override { return Engine::sqlite; }
  std::string description() const override { return "sqlite:" + file_.string(); }
  std::unique_ptr<SessionLock> session_lock(std::int64_t) override {
    return std::make_unique<SqliteSessionLock>();
  }
  Use use() const override { return Use{2, 0, 2}; }
  Result<void> ping() override {
    std::lock_guard lock(reader_mutex_);
    auto statement = reader_->prepare("SELECT 1");
    if (!statement) return Result<void>::failure(statement.error());
    auto row = statement->step();
    if (!row) return Result<void>::failure(row.error());
    return {};
  }

 private:
  std::filesystem::path file_;
  std::mutex writer_mutex_;
  std::mutex reader_mutex_;
  std::unique_ptr<Connection> writer_;
  std::unique_ptr<Connection> reader_;
};

Result<std::unique_ptr<Connection>> open_connection(const std::filesystem::path& file,
                                                    const DatabaseOptions& options) {
  using Failure = Result<std::unique_ptr<Connection>>;
  sqlite3* handle = nullptr;
  const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
  if (sqlite3_open_v2(file.c_str(), &handle, flags, nullptr) != SQLITE_OK) {
    std::string error = handle != nullptr ? sqlite3_errmsg(handle) : "out of memory";
    sqlite3_close_v2(handle);
    return Failure::failure("cannot open the database " + file.string() + ": " + error);
  }
  auto connection = std::make_unique<SqliteConnection>(handle);
  sqlite3_busy_timeout(handle, options.busy_timeout_ms);
  sqlite3_extended_result_codes(handle, 1);
  const std::string pragmas =
      std::string("PRAGMA journal_mode=WAL; PRAGMA foreign_keys=ON; PRAGMA synchronous=") +
      (options.full_sync ? "FULL;" : "NORMAL;");
  if (auto set = connection->execute_script(pragmas); !set) {
    return Failure::failure("cannot set up the database " + file.string() + ": " + set.error());
  }
  return std::unique_ptr<Connection>(std::move(connection));
}

}  // namespace

Result<std::shared_ptr<Database>> Database::open(const std::filesystem::path& file, DatabaseOptions options) {
  using Failure = Result<std::shared_ptr<Database>>;
  // SQLite makes its WAL and shared-memory files with the database file's mode, so a private
  // database keeps them private; those left by an earlier version are tightened here.
  if (auto made = make_private_file(file); !made) return Failure::failure(made.error());
  for (const char* suffix : {"-wal", "-shm", "-journal"}) {
    auto companion = file;
    companion += suffix;
    if (auto restricted = restrict_if_present(companion); !restricted) {
      return Failure::failure(restricted.error());
    }
  }
  auto writer = open_connection(file, options);
  if (!writer) return Failure::failure(writer.error());
  auto reader = open_connection(file, options);
  if (!reader) return Failure::failure(reader.error());
  // SQLite has one writer at a time: there is no conflict to run again.
  options.conflict_attempts = 1;
  options.conflict_patience_ms = 0;
  return std::make_shared<Database>(
      std::make_unique<SqliteSource>(file, std::move(writer).value(), std::move(reader).value()), options);
}

Result<std::shared_ptr<Database>> Database::open_in(const std::filesystem::path& data_dir,
                                                    DatabaseOptions options) {
  return open(data_dir / kDatabaseFileName, options);
}

}  // namespace brindle::server::storage
