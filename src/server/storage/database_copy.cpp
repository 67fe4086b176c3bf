#include "server/storage/database_copy.h"

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <mutex>
#include <string_view>
#include <thread>
#include <utility>
#include <variant>

namespace brindle::server::storage {
namespace {

// Names are the schema's own, but a copy quotes them all the same.
std::string identifier(std::string_view name) {
  std::string text = "\"";
  for (const char c : name) {
    if (c == '"') text += '"';
    text += c;
  }
  return text + '"';
}

std::string joined(const std::vector<std::string>& names, bool quote) {
  std::string text;
  for (const auto& name : names) {
    if (!text.empty()) text += ", ";
    text += quote ? identifier(name) : name;
  }
  return text;
}

bool contains(const std::vector<std::string>& names, std::string_view name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// The first column of every row of a query with at most one text parameter.
Result<std::vector<std::string>> first_column(Connection& connection, std::string_view sql,
                                              std::string_view parameter = {}) {
  using R = Result<std::vector<std::string>>;
  auto query = connection.prepare(sql);
  if (!query) return R::failure(query.error());
  if (!parameter.empty()) query->bind(1, parameter);
  std::vector<std::string> values;
  for (;;) {
    auto row = query->step();
    if (!row) return R::failure(row.error());
    if (!row.value()) return values;
    values.push_back(query->column_text(0));
  }
}

// The columns of the table's primary key in key order; a SQLite table without one has its rowid.
Result<std::vector<std::string>> key_columns(Connection& connection, const std::string& table) {
  if (connection.engine() == Engine::sqlite) {
    auto keys =
        first_column(connection, "SELECT name FROM pragma_table_info(?1) WHERE pk > 0 ORDER BY pk", table);
    if (keys && keys->empty()) keys->push_back("rowid");
    return keys;
  }
  return first_column(connection,
                      "SELECT a.attname FROM pg_index i"
                      " JOIN pg_class c ON c.oid = i.indrelid"
                      " JOIN pg_namespace n ON n.oid = c.relnamespace"
                      " JOIN pg_attribute a ON a.attrelid = c.oid AND a.attnum = ANY (i.indkey)"
                      " WHERE i.indisprimary AND n.nspname = current_schema() AND c.relname = ?1"
                      " ORDER BY array_position(i.indkey::int2[], a.attnum)",
                      table);
}

using Value = std::variant<std::monostate, std::int64_t, double, std::string>;
using Row = std::vector<Value>;

Value value_of(const Statement& statement, int column) {
  switch (statement.column_kind(column)) {
    case ValueKind::null:
      return std::monostate{};
    case ValueKind::integer:
      return statement.column_int64(column);
    case ValueKind::real:
      return statement.column_double(column);
    case ValueKind::text:
      break;
  }
  return statement.column_text(column);
}

void bind_value(Statement& statement, int index, const Value& value) {
  if (const auto* integer = std::get_if<std::int64_t>(&value)) {
    statement.bind(index, *integer);
  } else if (const auto* real = std::get_if<double>(&value)) {
    statement.bind(index, *real);
  } else if (const auto* text = std::get_if<std::string>(&value)) {
    statement.bind(index, std::string_view(*text));
  } else {
    statement.bind(index, nullptr);
  }
}

// What the reading side hands the writing side, in order: for each table its name and columns,
// its rows in batches, and its end; a failure ends the stream anywhere.
struct Batch {
  enum class Kind { table, rows, table_end, failure };
  Kind kind = Kind::rows;
  std::string text;  // table: its name; failure: what went wrong
  std::vector<std::string> columns;
  std::vector<Row> rows;
};

constexpr std::size_t kRowsPerBatch = 512;
constexpr std::size_t kBatchesWaiting = 8;
constexpr std::string_view kTargetStopped = "the copy was stopped";

// A database runs one transaction per thread at a time, so the source is read on a thread of its
// own while the target's transaction goes on here; a few batches wait between them at most.
class Channel final {
 public:
  // false: the writing side has stopped listening.
  bool send(Batch batch) {
    std::unique_lock lock(mutex_);
    room_.wait(lock, [&] { return closed_ || waiting_.size() < kBatchesWaiting; });
    if (closed_) return false;
    waiting_.push_back(std::move(batch));
    ready_.notify_one();
    return true;
  }

  Batch receive() {
    std::unique_lock lock(mutex_);
    ready_.wait(lock, [&] { return closed_ || !waiting_.empty(); });
    if (waiting_.empty()) return Batch{Batch::Kind::failure, "the source's rows ended early", {}, {}};
    Batch batch = std::move(waiting_.front());
    waiting_.pop_front();
    room_.notify_one();
    return batch;
  }

  // Either side: nothing more is sent. What was sent can still be received.
  void close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    ready_.notify_all();
    room_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable ready_;
  std::condition_variable room_;
  std::deque<Batch> waiting_;
  bool closed_ = false;
};

// Sends one table's rows in key order.
Result<void> send_table(Connection& connection, const std::string& table, Channel& channel) {
  auto keys = key_columns(connection, table);
  if (!keys) return Result<void>::failure(keys.error());
  auto select =
      connection.prepare("SELECT * FROM " + identifier(table) + " ORDER BY " + joined(keys.value(), true));
  if (!select) return Result<void>::failure(select.error());
  auto row = select->step();
  if (!row) return Result<void>::failure(row.error());
  Batch head{Batch::Kind::table, table, {}, {}};
  const int columns = select->column_count();
  for (int c = 0; c < columns; ++c) head.columns.push_back(select->column_name(c));
  if (!channel.send(std::move(head))) return Result<void>::failure(std::string(kTargetStopped));
  Batch batch;
  while (row.value()) {
    Row values;
    values.reserve(static_cast<std::size_t>(columns));
    for (int c = 0; c < columns; ++c) values.push_back(value_of(select.value(), c));
    batch.rows.push_back(std::move(values));
    if (batch.rows.size() == kRowsPerBatch) {
      if (!channel.send(std::exchange(batch, Batch{}))) {
        return Result<void>::failure(std::string(kTargetStopped));
      }
    }
    row = select->step();
    if (!row) return Result<void>::failure(row.error());
  }
  if (!batch.rows.empty() && !channel.send(std::move(batch))) {
    return Result<void>::failure(std::string(kTargetStopped));
  }
  if (!channel.send(Batch{Batch::Kind::table_end, table, {}, {}})) {
    return Result<void>::failure(std::string(kTargetStopped));
  }
  return {};
}

// The reading side: the tables the target has, in its order, from one snapshot of the source.
void send_source(Database& from, const std::vector<std::string>& tables, const CopyOptions& options,
                 Channel& channel) {
  try {
    auto sent = from.read([&](Connection& connection) -> Result<void> {
      auto listed = list_tables(connection);
      if (!listed) return Result<void>::failure(listed.error());
      for (const auto& name : listed.value()) {
        if (!contains(options.skipped, name) && !contains(tables, name)) {
          return Result<void>::failure("the source has a table " + name + " that the target has not");
        }
      }
      for (const auto& name : tables) {
        if (!contains(listed.value(), name)) {
          return Result<void>::failure("the target has a table " + name + " that the source has not");
        }
      }
      for (const auto& table : tables) {
        if (auto done = send_table(connection, table, channel); !done) return done;
      }
      return {};
    });
    if (!sent) channel.send(Batch{Batch::Kind::failure, "reading the source: " + sent.error(), {}, {}});
  } catch (const std::exception& e) {
    channel.send(
        Batch{Batch::Kind::failure, std::string("reading the source: internal error: ") + e.what(), {}, {}});
  }
  channel.close();
}

Result<void> run(Connection& connection, const std::string& sql) {
  auto statement = connection.prepare(sql);
  if (!statement) return Result<void>::failure(statement.error());
  return statement->run();
}

Result<std::int64_t> count_rows(Connection& connection, const std::string& table) {
  auto count = connection.prepare("SELECT COUNT(*) FROM " + identifier(table));
  if (!count) return Result<std::int64_t>::failure(count.error());
  auto row = count->step();
  if (!row) return Result<std::int64_t>::failure(row.error());
  return count->column_int64(0);
}

// PostgreSQL numbers new rows from a sequence that explicit ids do not move: it goes on after the
// largest id copied. SQLite numbers them from the table itself.
Result<void> renumber_after(Connection& connection, const std::string& table) {
  if (connection.engine() != Engine::postgresql) return {};
  auto identities =
      first_column(connection,
                   "SELECT column_name FROM information_schema.columns"
                   " WHERE table_schema = current_schema() AND table_name = ?1 AND is_identity = 'YES'"
                   " ORDER BY ordinal_position",
                   table);
  if (!identities) return Result<void>::failure(identities.error());
  for (const auto& column : identities.value()) {
    auto moved = connection.prepare("SELECT setval(pg_get_serial_sequence(?1, ?2), COALESCE(MAX(" +
                                    identifier(column) + "), 0) + 1, false) FROM " + identifier(table));
    if (!moved) return Result<void>::failure(moved.error());
    moved->bind(1, identifier(table)).bind(2, column);
    if (auto done = moved->run(); !done) return done;
  }
  return {};
}

// Replaces the target table's rows with the ones the channel brings for it.
Result<std::int64_t> receive_table(Connection& connection, const std::string& table, Channel& channel) {
  using R = Result<std::int64_t>;
  Batch head = channel.receive();
  if (head.kind == Batch::Kind::failure) return R::failure(head.text);
  if (head.kind != Batch::Kind::table || head.text != table) {
    return R::failure("internal error: the source sent " + head.text + " for the table " + table);
  }
  if (auto emptied = run(connection, "DELETE FROM " + identifier(table)); !emptied) {
    return R::failure(emptied.error());
  }
  std::string sql = "INSERT INTO " + identifier(table) + " (" + joined(head.columns, true) + ") VALUES (";
  for (std::size_t i = 1; i <= head.columns.size(); ++i) sql += (i > 1 ? ", ?" : "?") + std::to_string(i);
  sql += ")";
  auto insert = connection.prepare(sql);
  if (!insert) return R::failure(insert.error());
  std::int64_t rows = 0;
  for (;;) {
    Batch batch = channel.receive();
    if (batch.kind == Batch::Kind::failure) return R::failure(batch.text);
    if (batch.kind == Batch::Kind::table_end) break;
    for (const auto& row : batch.rows) {
      insert->reset();
      for (std::size_t c = 0; c < row.size(); ++c) {
        bind_value(insert.value(), static_cast<int>(c + 1), row[c]);
      }
      if (auto done = insert->run(); !done) return R::failure(table + ": " + done.error());
      ++rows;
    }
  }
  if (auto renumbered = renumber_after(connection, table); !renumbered) return R::failure(renumbered.error());
  return rows;
}

// Stops the reading side and waits for it however the writing side ends.
struct ReaderGuard {
  ReaderGuard(Channel& open, std::thread& running) : channel(open), reader(running) {}
  Channel& channel;
  std::thread& reader;
  ~ReaderGuard() {
    channel.close();
    reader.join();
  }
  ReaderGuard(const ReaderGuard&) = delete;
  ReaderGuard& operator=(const ReaderGuard&) = delete;
};

}  // namespace

Result<std::vector<std::string>> list_tables(Connection& connection) {
  if (connection.engine() == Engine::sqlite) {
    return first_column(
        connection,
        "SELECT name FROM sqlite_master WHERE type = 'table' AND substr(name, 1, 7) <> 'sqlite_'"
        " ORDER BY rowid");
  }
  return first_column(connection,
                      "SELECT c.relname FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace"
                      " WHERE n.nspname = current_schema() AND c.relkind = 'r' ORDER BY c.oid");
}

Result<std::vector<CopiedTable>> copy_database(Database& from, Database& to, const CopyOptions& options) {
  using R = Result<std::vector<CopiedTable>>;
  return to.transaction([&](Connection& connection) -> R {
    auto listed = list_tables(connection);
    if (!listed) return R::failure(listed.error());
    std::vector<std::string> tables;
    for (const auto& name : listed.value()) {
      if (!contains(options.skipped, name)) tables.push_back(name);
    }
    for (const auto& name : options.must_be_empty) {
      if (!contains(tables, name)) return R::failure("the target has no table " + name);
      auto any = connection.prepare("SELECT 1 FROM " + identifier(name) + " LIMIT 1");
      if (!any) return R::failure(any.error());
      auto row = any->step();
      if (!row) return R::failure(row.error());
      if (row.value()) return R::failure("the target database is not empty: " + name + " has rows");
    }
    // SQLite checks every reference when the copy commits, so a row may refer to a table that comes
    // later; PostgreSQL defers the references declared deferrable, the order of creation does the rest.
    const std::string defer = connection.engine() == Engine::sqlite ? "PRAGMA defer_foreign_keys = ON"
                                                                    : "SET CONSTRAINTS ALL DEFERRED";
    if (auto deferred = run(connection, defer); !deferred) return R::failure(deferred.error());

    Channel channel;
    std::thread reader([&] { send_source(from, tables, options, channel); });
    ReaderGuard guard(channel, reader);
    std::vector<CopiedTable> copied;
    for (const auto& table : tables) {
      auto rows = receive_table(connection, table, channel);
      if (!rows) return R::failure(rows.error());
      copied.push_back({table, rows.value()});
    }
    // A trigger of a later table may have changed an earlier one's rows.
    for (const auto& table : copied) {
      auto count = count_rows(connection, table.name);
      if (!count) return R::failure(count.error());
      if (count.value() != table.rows) {
        return R::failure(table.name + " has " + std::to_string(count.value()) +
                          " rows in the target after the copy, " + std::to_string(table.rows) +
                          " in the source");
      }
    }
    return copied;
  });
}

}  // namespace brindle::server::storage
