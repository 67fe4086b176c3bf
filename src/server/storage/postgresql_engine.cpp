// PostgreSQL through libpq: a pool of sessions, write work at SERIALIZABLE isolation, and the
// losers of a conflict run again by the Database.
#include <libpq-fe.h>

#include <charconv>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

#include "server/storage/database.h"
#include "server/storage/sql_dialect.h"

namespace brindle::server::storage {
namespace {

// From this attempt on, write work queues behind other work that lost conflicts.
constexpr int kQueueFromAttempt = 4;

// libpq's own type numbers (pg_type.oid) for what the stores bind.
constexpr Oid kInt8 = 20;
constexpr Oid kFloat8 = 701;
constexpr Oid kText = 25;

struct ResultDeleter {
  void operator()(PGresult* result) const { PQclear(result); }
};
using ResultHandle = std::unique_ptr<PGresult, ResultDeleter>;

std::string trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text;
}

class PgConnection;

class PgStatement final : public CacheableStatement {
 public:
  PgStatement(PgConnection& owner, NumberedSql sql, bool cached)
      : CacheableStatement(cached), owner_(owner), sql_(std::move(sql)) {
    clear();
  }

  void bind_int64(int index, std::int64_t value) override { set(index, std::to_string(value), kInt8); }
  void bind_double(int index, double value) override {
    char text[64];
    auto [end, ec] = std::to_chars(text, text + sizeof text, value);
    set(index, ec == std::errc() ? std::string(text, end) : std::string("NaN"), kFloat8);
  }
  void bind_text(int index, std::string_view text) override {
    // A text parameter ends at its first NUL byte, and the database keeps none in its texts: the
    // value would be cut short without a word.
    if (text.find('\0') != std::string_view::npos) {
      if (bind_error_.empty()) bind_error_ = "cannot bind a parameter: text holds a NUL byte";
      return;
    }
    set(index, std::string(text), kText);
  }
  void bind_null(int index) override {
    if (!in_range(index)) return;
    null_[index - 1] = true;
    types_[index - 1] = 0;
  }

  Result<bool> step() override;

  void reset() override {
    result_.reset();
    executed_ = false;
    clear();
  }

  std::int64_t column_int64(int column) const override {
    if (column_is_null(column)) return 0;
    const char* text = PQgetvalue(result_.get(), row_, column);
    const int size = PQgetlength(result_.get(), row_, column);
    if (size == 1 && (text[0] == 't' || text[0] == 'f')) return text[0] == 't' ? 1 : 0;
    std::int64_t value = 0;
    auto [end, ec] = std::from_chars(text, text + size, value);
    if (ec == std::errc() && end == text + size) return value;
    // A numeric with decimals (an average, a sum of halves): its whole part, as SQLite gives it.
    return static_cast<std::int64_t>(std::strtod(text, nullptr));
  }
  double column_double(int column) const override {
    if (column_is_null(column)) return 0.0;
    return std::strtod(PQgetvalue(result_.get(), row_, column), nullptr);
  }
  std::string column_text(int column) const override {
    if (column_is_null(column)) return {};
    return std::string(PQgetvalue(result_.get(), row_, column),
                       static_cast<std::size_t>(PQgetlength(result_.get(), row_, column)));
  }
  bool column_is_null(int column) const override {
    return result_ == nullptr || row_ < 0 || row_ >= rows_ || column < 0 ||
           column >= PQnfields(result_.get()) || PQgetisnull(result_.get(), row_, column) != 0;
  }
  int column_count() const override { return result_ == nullptr ? 0 : PQnfields(result_.get()); }
  std::string column_name(int column) const override {
    const char* name = result_ == nullptr ? nullptr : PQfname(result_.get(), column);
    return name != nullptr ? name : "";
  }
  ValueKind column_kind(int column) const override {
    if (column_is_null(column)) return ValueKind::null;
    switch (PQftype(result_.get(), column)) {
      case 16:  // bool, read as 1 and 0
      case 20:  // int8
      case 21:  // int2
      case 23:  // int4
        return ValueKind::integer;
      case 700:   // float4
      case 701:   // float8
      case 1700:  // numeric
        return ValueKind::real;
      default:
        return ValueKind::text;
    }
  }

 private:
  bool in_range(int index) {
    if (index >= 1 && index <= sql_.parameter_count) return true;
    if (bind_error_.empty()) bind_error_ = "cannot bind a parameter: no parameter " + std::to_string(index);
    return false;
  }
  void set(int index, std::string value, Oid type) {
    if (!in_range(index)) return;
    values_[index - 1] = std::move(value);
    null_[index - 1] = false;
    types_[index - 1] = type;
  }
  void clear() {
    const auto n = static_cast<std::size_t>(sql_.parameter_count);
    values_.assign(n, {});
    null_.assign(n, true);
    types_.assign(n, 0);
    bind_error_.clear();
    row_ = -1;
    rows_ = 0;
  }

  PgConnection& owner_;
  NumberedSql sql_;
  std::vector<std::string> values_;
  std::vector<bool> null_;
  std::vector<Oid> types_;
  std::string bind_error_;
  ResultHandle result_;
  bool executed_ = false;
  int row_ = -1;
  int rows_ = 0;
};

class PgConnection final : public Connection {
 public:
  explicit PgConnection(PGconn* handle) : handle_(handle) {}
  ~PgConnection() override {
    cache_.clear();
    PQfinish(handle_);
  }

  Result<Statement> prepare(std::string_view sql) override {
    auto found = cache_.find(std::string(sql));
    if (found != cache_.end() && !found->second->in_use) {
      found->second->in_use = true;
      return Statement(found->second.get());
    }
    if (found != cache_.end()) return Statement(new PgStatement(*this, dollar_parameters(sql), false));
    auto& entry =
        cache_.emplace(std::string(sql), std::make_unique<PgStatement>(*this, dollar_parameters(sql), true))
            .first->second;
    entry->in_use = true;
    return Statement(entry.get());
  }

  Result<void> execute_script(std::string_view sql) override {
    settle_commit_in_flight();
    if (auto begun = send_pending_begin(); !begun) return begun;
    const std::string text = postgresql_schema(sql);
    ResultHandle result(PQexec(handle_, text.c_str()));
    auto ran = checked(result.get());
    // Back at a savepoint the transaction is whole again, but for a lost conflict, which no
    // savepoint mends (the transaction must run again from its start).
    if (ran && text.starts_with("ROLLBACK TO")) failed_ = conflict_;
    return ran;
  }

  int changes() const override { return changes_; }
  Engine engine() const override { return Engine::postgresql; }

  Result<void> begin(Access access, int attempt) override {
    settle_commit_in_flight();
    failed_ = false;
    conflict_ = false;
    answered_ = 0;
    access_ = access;
    if (access == Access::write && attempt >= kQueueFromAttempt) {
      // Work that has lost several conflicts waits its turn behind the others that have, taken
      // before BEGIN so that its snapshot is taken after the wait; first attempts go on as before.
      ResultHandle queued(PQexec(handle_, "SELECT pg_advisory_lock(7262350002)"));
      if (auto ok = checked(queued.get()); !ok) return ok;
      queued_ = true;
      answered_ = 0;
    }
    const char* begin = access == Access::write  ? "BEGIN ISOLATION LEVEL SERIALIZABLE"
                        : access == Access::read ? "BEGIN ISOLATION LEVEL REPEATABLE READ, READ ONLY"
                                                 : "BEGIN ISOLATION LEVEL READ COMMITTED";
    if (access != Access::schema) {
      // Sent with the first statement, in one round trip; work that runs none costs none.
      pending_begin_ = begin;
      return {};
    }
    ResultHandle result(PQexec(handle_, begin));
    if (auto ok = checked(result.get()); !ok) return ok;
    // One server changes the schema at a time; the others wait here, then find it done.
    ResultHandle locked(PQexec(handle_, "SELECT pg_advisory_xact_lock(7262350001)"));
    return checked(locked.get());
  }
  Result<void> commit() override {
    auto committed = finish_commit();
    leave_queue();
    return committed;
  }

  Result<void> finish_commit() {
    if (!pending_begin_.empty()) {
      pending_begin_.clear();
      return {};
    }
    if (access_ == Access::read && !failed_) {
      // A read-only transaction has nothing to make durable: its end goes out now and its answer is
      // read when the connection is next used, so the work does not wait for it.
      if (PQsendQuery(handle_, "COMMIT") == 1) {
        commit_in_flight_ = true;
        return {};
      }
    }
    ResultHandle result(PQexec(handle_, "COMMIT"));
    if (auto ok = checked(result.get()); !ok) return ok;
    // COMMIT of a transaction that had failed answers ROLLBACK, not an error.
    if (std::string_view(PQcmdStatus(result.get())) != "COMMIT") {
      failed_ = true;
      return Result<void>::failure("database error: the transaction was rolled back");
    }
    return {};
  }
  void rollback() override {
    pending_begin_.clear();
    settle_commit_in_flight();
    if (PQstatus(handle_) == CONNECTION_OK && PQtransactionStatus(handle_) != PQTRANS_IDLE) {
      ResultHandle result(PQexec(handle_, "ROLLBACK"));
    }
    leave_queue();
  }

  // A session's advisory lock outlives its transaction: given back here, or with the session.
  void leave_queue() {
    if (!queued_) return;
    queued_ = false;
    if (PQstatus(handle_) != CONNECTION_OK) return;
    ResultHandle released(PQexec(handle_, "SELECT pg_advisory_unlock(7262350002)"));
  }
  bool transaction_failed() const override { return failed_; }
  bool conflict_failed() const override { return conflict_; }
  bool broken() const override { return PQstatus(handle_) != CONNECTION_OK; }

  // Reads the answer of a read-only COMMIT sent ahead; whatever it says, that transaction is over.
  void settle_commit_in_flight() {
    if (!commit_in_flight_) return;
    commit_in_flight_ = false;
    while (PGresult* result = PQgetResult(handle_)) PQclear(result);
  }

  // Runs one statement of a PgStatement: prepared once per text and parameter types.
  Result<PGresult*> execute(const NumberedSql& sql, const std::vector<std::string>& values,
                            const std::vector<bool>& null, const std::vector<Oid>& types) {
    using R = Result<PGresult*>;
    std::string key = sql.text;
    key.push_back('\0');
    for (const Oid type : types) key += std::to_string(type) + ",";
    auto named = prepared_.find(key);
    if (named == prepared_.end()) {
      std::string name = "s" + std::to_string(prepared_.size() + 1);
      ResultHandle made(
          PQprepare(handle_, name.c_str(), sql.text.c_str(), sql.parameter_count, types.data()));
      if (auto ok = checked(made.get()); !ok) return R::failure(ok.error());
      named = prepared_.emplace(std::move(key), std::move(name)).first;
    }
    std::vector<const char*> pointers(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) pointers[i] = null[i] ? nullptr : values[i].c_str();
    auto sent = run_prepared(named->second.c_str(), sql.parameter_count, pointers.data());
    if (!sent) return R::failure(sent.error());
    PGresult* result = sent.value();
    if (auto ok = checked(result); !ok) {
      PQclear(result);
      return R::failure(ok.error());
    }
    const char* tuples = PQcmdTuples(result);
    changes_ = tuples != nullptr && *tuples != '\0' ? std::atoi(tuples) : 0;
    return result;
  }

 private:
  Result<void> send_pending_begin() {
    if (pending_begin_.empty()) return {};
    const std::string begin = std::move(pending_begin_);
    pending_begin_.clear();
    ResultHandle result(PQexec(handle_, begin.c_str()));
    return checked(result.get());
  }

  // One prepared statement's result (to be checked by the caller), with the transaction's BEGIN
  // sent ahead of it in the same round trip when it is still due.
  Result<PGresult*> run_prepared(const char* name, int count, const char* const* values) {
    if (pending_begin_.empty()) return PQexecPrepared(handle_, name, count, values, nullptr, nullptr, 0);
    const std::string begin = std::move(pending_begin_);
    pending_begin_.clear();
    if (PQenterPipelineMode(handle_) != 1) {
      ResultHandle begun(PQexec(handle_, begin.c_str()));
      if (auto ok = checked(begun.get()); !ok) return Result<PGresult*>::failure(ok.error());
      return PQexecPrepared(handle_, name, count, values, nullptr, nullptr, 0);
    }
    const bool sent =
        PQsendQueryParams(handle_, begin.c_str(), 0, nullptr, nullptr, nullptr, nullptr, 0) == 1 &&
        PQsendQueryPrepared(handle_, name, count, values, nullptr, nullptr, 0) == 1 &&
        PQpipelineSync(handle_) == 1;
    ResultHandle begun(sent ? next_result() : nullptr);
    PGresult* answer = sent ? next_result() : nullptr;
    if (sent) {
      // The pipeline's end, then back to one query at a time.
      while (PGresult* rest = PQgetResult(handle_)) {
        const bool end = PQresultStatus(rest) == PGRES_PIPELINE_SYNC;
        PQclear(rest);
        if (end) break;
      }
    }
    PQexitPipelineMode(handle_);
    if (auto ok = checked(begun.get()); !ok) {
      PQclear(answer);
      return Result<PGresult*>::failure(ok.error());
    }
    return answer;
  }

  // A pipelined query's result, with the end marker that follows it read.
  PGresult* next_result() {
    PGresult* result = PQgetResult(handle_);
    if (result == nullptr) return nullptr;
    while (PGresult* more = PQgetResult(handle_)) PQclear(more);
    return result;
  }

  // A result that is not a success marks the transaction failed, and tells a lost conflict and a
  // lost link from the rest.
  Result<void> checked(PGresult* result) {
    const auto status = result == nullptr ? PGRES_FATAL_ERROR : PQresultStatus(result);
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK || status == PGRES_EMPTY_QUERY) {
      ++answered_;
      return {};
    }
    failed_ = true;
    const char* state = result == nullptr ? nullptr : PQresultErrorField(result, PG_DIAG_SQLSTATE);
    const std::string_view code = state == nullptr ? "" : state;
    if (code == "40001" || code == "40P01") conflict_ = true;
    if (PQstatus(handle_) != CONNECTION_OK) {
      // A link that was dead before the transaction did anything (it died idle in the pool):
      // nothing was done, so the work may go to another connection.
      if (answered_ == 0) conflict_ = true;
      return Result<void>::failure("database connection lost: " + trimmed(PQerrorMessage(handle_)));
    }
    const char* message = result == nullptr ? nullptr : PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY);
    return Result<void>::failure("database error: " +
                                 trimmed(message != nullptr ? message : PQerrorMessage(handle_)));
  }

  PGconn* handle_;
  std::unordered_map<std::string, std::unique_ptr<PgStatement>> cache_;
  std::unordered_map<std::string, std::string> prepared_;
  std::string pending_begin_;  // the BEGIN still to send
  Access access_ = Access::read;
  bool queued_ = false;            // holds the advisory lock of work that lost conflicts
  bool commit_in_flight_ = false;  // a read-only COMMIT sent, its answer not yet read
  int changes_ = 0;
  int answered_ = 0;  // statements of this transaction the database answered
  bool failed_ = false;
  bool conflict_ = false;
};

Result<bool> PgStatement::step() {
  if (!bind_error_.empty()) return Result<bool>::failure(bind_error_);
  if (!executed_) {
    auto ran = owner_.execute(sql_, values_, null_, types_);
    if (!ran) return Result<bool>::failure(ran.error());
    result_.reset(ran.value());
    executed_ = true;
    rows_ = PQresultStatus(result_.get()) == PGRES_TUPLES_OK ? PQntuples(result_.get()) : 0;
    row_ = -1;
  }
  if (row_ < rows_) ++row_;
  return row_ < rows_;
}

// The conninfo's place, without its password, for the operator's messages.
std::string describe(const std::string& conninfo) {
  char* error = nullptr;
  PQconninfoOption* options = PQconninfoParse(conninfo.c_str(), &error);
  if (options == nullptr) {
    PQfreemem(error);
    return "postgresql";
  }
  std::string host, port, db, user;
  for (auto* o = options; o->keyword != nullptr; ++o) {
    if (o->val == nullptr) continue;
    const std::string_view key = o->keyword;
    if (key == "host") host = o->val;
    if (key == "port") port = o->val;
    if (key == "dbname") db = o->val;
    if (key == "user") user = o->val;
  }
  PQconninfoFree(options);
  std::string text = "postgresql://";
  if (!user.empty()) text += user + "@";
  text += host.find('/') != std::string::npos ? "[" + host + "]" : host;
  if (!port.empty()) text += ":" + port;
  text += "/" + db;
  return text;
}

// A session of its own beside the pool, for the clock's lock and the health probe: never queued
// behind the pool's work, and short-sighted about a silent database (keepalives, a TCP timeout), so
// that a lost link is noticed within seconds rather than hours.
class PgSideSession final {
 public:
  explicit PgSideSession(std::string conninfo) : conninfo_(std::move(conninfo)) {}
  ~PgSideSession() { drop(); }
  PgSideSession(const PgSideSession&) = delete;
  PgSideSession& operator=(const PgSideSession&) = delete;

  bool connected() const { return handle_ != nullptr; }

  // The value of a query's one row and column; nothing when it failed (failure() says why, and the
  // session is made again on the next call).
  std::optional<std::string> value_of(const std::string& query) {
    if (handle_ == nullptr && !connect()) return std::nullopt;
    ResultHandle result(PQexec(handle_, query.c_str()));
    if (PQresultStatus(result.get()) != PGRES_TUPLES_OK || PQntuples(result.get()) != 1) {
      failure_ = "database unavailable: " + trimmed(PQerrorMessage(handle_));
      drop();
      return std::nullopt;
    }
    failure_.clear();
    return std::string(PQgetvalue(result.get(), 0, 0));
  }

  void drop() {
    if (handle_ != nullptr) PQfinish(handle_);
    handle_ = nullptr;
  }
  const std::string& failure() const { return failure_; }

 private:
  bool connect() {
    const char* keys[] = {"dbname",           "fallback_application_name", "connect_timeout",
                          "keepalives",       "keepalives_idle",           "keepalives_interval",
                          "keepalives_count", "tcp_user_timeout",          nullptr};
    const char* values[] = {conninfo_.c_str(), "brindle-server", "3", "1", "2", "1", "2", "3000", nullptr};
    handle_ = PQconnectdbParams(keys, values, 1);
    if (handle_ != nullptr && PQstatus(handle_) == CONNECTION_OK) {
      PQsetNoticeProcessor(
          handle_, [](void*, const char*) {}, nullptr);
      // The database drops a session that stops answering rather than keep its lock for hours.
      ResultHandle set(PQexec(handle_,
                              "SET tcp_keepalives_idle = 2; SET tcp_keepalives_interval = 1;"
                              " SET tcp_keepalives_count = 2"));
      return true;
    }
    failure_ = "database unavailable: " +
               (handle_ != nullptr ? trimmed(PQerrorMessage(handle_)) : std::string("out of memory"));
    drop();
    return false;
  }

  std::string conninfo_;
  PGconn* handle_ = nullptr;
  std::string failure_;
};

// An advisory lock lives as long as the session that took it, so a server that is killed, or
// whose link breaks, lets it go at once or when the database notices the silence; a holder that
// cannot prove its session alive stops counting itself holder.
class PgSessionLock final : public SessionLock {
 public:
  PgSessionLock(std::string conninfo, std::int64_t key) : session_(std::move(conninfo)), key_(key) {}

  bool hold() override {
    if (!session_.connected()) held_ = false;
    auto value = session_.value_of(held_ ? "SELECT true"
                                         : "SELECT pg_try_advisory_lock(" + std::to_string(key_) + ")");
    held_ = value && *value == "t";
    return held_;
  }

  void release() override {
    session_.drop();
    held_ = false;
  }
  const std::string& failure() const override { return session_.failure(); }

 private:
  PgSideSession session_;
  std::int64_t key_;
  bool held_ = false;
};

class PgSource final : public ConnectionSource {
 public:
  PgSource(std::string conninfo, DatabaseOptions options)
      : conninfo_(std::move(conninfo)), options_(options), description_(describe(conninfo_)) {}

  ~PgSource() override = default;

  Result<std::unique_ptr<PgConnection>> connect() {
    using R = Result<std::unique_ptr<PgConnection>>;
    const char* keys[] = {"dbname", "fallback_application_name", "client_encoding", nullptr};
    const char* values[] = {conninfo_.c_str(), "brindle-server", "UTF8", nullptr};
    PGconn* handle = PQconnectdbParams(keys, values, 1);
    if (handle == nullptr) return R::failure("database unavailable: out of memory");
    auto connection = std::make_unique<PgConnection>(handle);
    // Notices ("already exists, skipping") are for a person at psql, not the server's log.
    PQsetNoticeProcessor(
        handle, [](void*, const char*) {}, nullptr);
    if (PQstatus(handle) != CONNECTION_OK) {
      return R::failure("database unavailable (" + description_ + "): " + trimmed(PQerrorMessage(handle)));
    }
    return connection;
  }

  // A first link now, so that a wrong address or password is told at start-up.
  Result<void> prime() {
    auto made = connect();
    if (!made) return Result<void>::failure(made.error());
    std::lock_guard lock(mutex_);
    ++open_;
    idle_.emplace_front(std::move(made).value());
    return {};
  }

  Result<Connection*> take(Access) override {
    using R = Result<Connection*>;
    std::unique_lock lock(mutex_);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(options_.pool_wait_ms);
    while (idle_.empty() && open_ >= options_.pool_size) {
      if (free_.wait_until(lock, deadline) == std::cv_status::timeout && idle_.empty() &&
          open_ >= options_.pool_size) {
        return R::failure("database busy: every connection is in use");
      }
    }
    if (!idle_.empty()) {
      Connection* connection = idle_.front().release();
      idle_.pop_front();
      return connection;
    }
    ++open_;
    lock.unlock();
    auto made = connect();
    if (!made) {
      lock.lock();
      --open_;
      free_.notify_one();
      return R::failure(made.error());
    }
    return static_cast<Connection*>(made.value().release());
  }

  void give_back(Connection* connection, Access) override {
    std::unique_ptr<Connection> owned(connection);
    std::lock_guard lock(mutex_);
    if (owned->broken()) {
      // The database went away: the idle ones are gone with it, so the next work gets a new link.
      open_ -= 1 + idle_.size();
      idle_.clear();
    } else {
      idle_.emplace_front(std::move(owned));
    }
    free_.notify_one();
  }

  Engine engine() const override { return Engine::postgresql; }
  std::string description() const override { return description_; }
  std::unique_ptr<SessionLock> session_lock(std::int64_t key) override {
    return std::make_unique<PgSessionLock>(conninfo_, key);
  }
  Result<void> ping() override {
    std::lock_guard lock(probe_mutex_);
    if (!probe_.value_of("SELECT 1")) return Result<void>::failure(probe_.failure());
    return {};
  }
  Use use() const override {
    std::lock_guard lock(mutex_);
    return Use{open_, open_ - idle_.size(), options_.pool_size};
  }

 private:
  std::string conninfo_;
  DatabaseOptions options_;
  std::string description_;
  std::mutex probe_mutex_;
  PgSideSession probe_{conninfo_};
  mutable std::mutex mutex_;
  std::condition_variable free_;
  std::deque<std::unique_ptr<Connection>> idle_;
  std::size_t open_ = 0;
};

}  // namespace

Result<std::shared_ptr<Database>> Database::connect_postgresql(const std::string& conninfo,
                                                               DatabaseOptions options) {
  using R = Result<std::shared_ptr<Database>>;
  if (options.pool_size == 0) options.pool_size = 1;
  char* error = nullptr;
  PQconninfoOption* parsed = PQconninfoParse(conninfo.c_str(), &error);
  if (parsed == nullptr) {
    std::string text = error != nullptr ? trimmed(error) : "cannot be read";
    PQfreemem(error);
    return R::failure("the database address is not a PostgreSQL connection string: " + text);
  }
  PQconninfoFree(parsed);
  auto source = std::make_unique<PgSource>(conninfo, options);
  if (auto primed = source->prime(); !primed) return R::failure(primed.error());
  return std::make_shared<Database>(std::move(source), options);
}

}  // namespace brindle::server::storage
