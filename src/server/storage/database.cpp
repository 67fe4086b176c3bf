#include "server/storage/database.h"

#include <sqlite3.h>

#include <climits>

#include "server/storage/private_files.h"

namespace brindle::server::storage {
namespace {

thread_local bool t_inside_work = false;

int narrow_size(std::size_t size) { return size > INT_MAX ? -1 : static_cast<int>(size); }

}  // namespace

// ---- Statement

Statement::Statement(sqlite3_stmt* statement, bool* in_use) : statement_(statement), in_use_(in_use) {}

Statement::Statement(Statement&& other) noexcept
    : statement_(other.statement_), in_use_(other.in_use_), bind_error_(std::move(other.bind_error_)) {
  other.statement_ = nullptr;
}

Statement::~Statement() {
  if (statement_ == nullptr) return;
  if (in_use_ == nullptr) {
    sqlite3_finalize(statement_);
    return;
  }
  sqlite3_reset(statement_);
  sqlite3_clear_bindings(statement_);
  *in_use_ = false;
}

namespace {
void note_bind(int rc, sqlite3_stmt* statement, std::string& error) {
  if (rc != SQLITE_OK && error.empty()) {
    error = std::string("cannot bind a parameter: ") + sqlite3_errmsg(sqlite3_db_handle(statement));
  }
}
}  // namespace

Statement& Statement::bind(int index, std::int64_t value) {
  note_bind(sqlite3_bind_int64(statement_, index, value), statement_, bind_error_);
  return *this;
}

Statement& Statement::bind(int index, double value) {
  note_bind(sqlite3_bind_double(statement_, index, value), statement_, bind_error_);
  return *this;
}

Statement& Statement::bind(int index, std::string_view text) {
  const int size = narrow_size(text.size());
  if (size < 0) {
    if (bind_error_.empty()) bind_error_ = "cannot bind a parameter: text too long";
    return *this;
  }
  // SQLite binds a null pointer as NULL; an empty view without storage is still an empty text.
  const char* data = text.data() != nullptr ? text.data() : "";
  note_bind(sqlite3_bind_text(statement_, index, data, size, SQLITE_TRANSIENT), statement_, bind_error_);
  return *this;
}

Statement& Statement::bind(int index, std::nullptr_t) {
  note_bind(sqlite3_bind_null(statement_, index), statement_, bind_error_);
  return *this;
}

Result<bool> Statement::step() {
  if (!bind_error_.empty()) return Result<bool>::failure(bind_error_);
  const int rc = sqlite3_step(statement_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  // Reset so the error text is the statement's own and the statement is usable again.
  std::string text = sqlite3_errmsg(sqlite3_db_handle(statement_));
  sqlite3_reset(statement_);
  return Result<bool>::failure("database error: " + text);
}

Result<void> Statement::run() {
  for (;;) {
    auto row = step();
    if (!row) return Result<void>::failure(row.error());
    if (!row.value()) return {};
  }
}

void Statement::reset() {
  sqlite3_reset(statement_);
  sqlite3_clear_bindings(statement_);
  bind_error_.clear();
}

std::int64_t Statement::column_int64(int column) const { return sqlite3_column_int64(statement_, column); }

double Statement::column_double(int column) const { return sqlite3_column_double(statement_, column); }

std::string Statement::column_text(int column) const {
  const auto* text = sqlite3_column_text(statement_, column);
  if (text == nullptr) return {};
  const int size = sqlite3_column_bytes(statement_, column);
  return std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(size));
}

bool Statement::column_is_null(int column) const {
  return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

// ---- Connection

Connection::~Connection() {
  for (auto& [sql, entry] : cache_) sqlite3_finalize(entry.statement);
  sqlite3_close_v2(handle_);
}

std::string Connection::error_text() const { return sqlite3_errmsg(handle_); }

Result<Statement> Connection::prepare(std::string_view sql) {
  auto prepare_one = [&](sqlite3_stmt** out, unsigned flags) {
    return sqlite3_prepare_v3(handle_, sql.data(), narrow_size(sql.size()), flags, out, nullptr);
  };
  auto found = cache_.find(std::string(sql));
  if (found != cache_.end() && !found->second.in_use) {
    found->second.in_use = true;
    return Statement(found->second.statement, &found->second.in_use);
  }
  sqlite3_stmt* statement = nullptr;
  const bool cache_it = found == cache_.end();
  const int rc = prepare_one(&statement, cache_it ? SQLITE_PREPARE_PERSISTENT : 0);
  if (rc != SQLITE_OK || statement == nullptr) {
    sqlite3_finalize(statement);
    return Result<Statement>::failure("cannot prepare a statement: " + error_text());
  }
  if (!cache_it) return Statement(statement, nullptr);
  auto& entry = cache_.emplace(std::string(sql), CachedStatement{statement, true}).first->second;
  return Statement(statement, &entry.in_use);
}

Result<void> Connection::execute_script(std::string_view sql) {
  const std::string text(sql);
  char* message = nullptr;
  if (sqlite3_exec(handle_, text.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
    std::string error = message != nullptr ? message : error_text();
    sqlite3_free(message);
    return Result<void>::failure("database error: " + error);
  }
  return {};
}

std::int64_t Connection::last_insert_rowid() const { return sqlite3_last_insert_rowid(handle_); }

int Connection::changes() const { return sqlite3_changes(handle_); }

// ---- Database

bool Database::inside_work() { return t_inside_work; }
void Database::set_inside_work(bool inside) { t_inside_work = inside; }

Result<void> Database::exec(Connection& connection, std::string_view sql) {
  auto statement = connection.prepare(sql);
  if (!statement) return Result<void>::failure(statement.error());
  return statement->run();
}

Database::Database(std::filesystem::path file, std::unique_ptr<Connection> writer,
                   std::unique_ptr<Connection> reader)
    : file_(std::move(file)) {
  writer_.connection = std::move(writer);
  reader_.connection = std::move(reader);
}

Database::~Database() = default;

namespace {

Result<std::unique_ptr<Connection>> open_connection(const std::filesystem::path& file,
                                                    const DatabaseOptions& options,
                                                    std::unique_ptr<Connection> (*wrap)(sqlite3*)) {
  using Failure = Result<std::unique_ptr<Connection>>;
  sqlite3* handle = nullptr;
  const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
  if (sqlite3_open_v2(file.c_str(), &handle, flags, nullptr) != SQLITE_OK) {
    std::string error = handle != nullptr ? sqlite3_errmsg(handle) : "out of memory";
    sqlite3_close_v2(handle);
    return Failure::failure("cannot open the database " + file.string() + ": " + error);
  }
  auto connection = wrap(handle);
  sqlite3_busy_timeout(handle, options.busy_timeout_ms);
  sqlite3_extended_result_codes(handle, 1);
  const std::string pragmas =
      std::string("PRAGMA journal_mode=WAL; PRAGMA foreign_keys=ON; PRAGMA synchronous=") +
      (options.full_sync ? "FULL;" : "NORMAL;");
  if (auto set = connection->execute_script(pragmas); !set) {
    return Failure::failure("cannot set up the database " + file.string() + ": " + set.error());
  }
  return connection;
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
  auto wrap = [](sqlite3* handle) { return std::unique_ptr<Connection>(new Connection(handle)); };
  auto writer = open_connection(file, options, wrap);
  if (!writer) return Failure::failure(writer.error());
  auto reader = open_connection(file, options, wrap);
  if (!reader) return Failure::failure(reader.error());
  return std::shared_ptr<Database>(new Database(file, std::move(writer).value(), std::move(reader).value()));
}

Result<std::shared_ptr<Database>> Database::open_in(const std::filesystem::path& data_dir,
                                                    DatabaseOptions options) {
  return open(data_dir / kDatabaseFileName, options);
}

}  // namespace brindle::server::storage
