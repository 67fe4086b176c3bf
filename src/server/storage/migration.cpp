#include "server/storage/migration.h"

#include <set>
#include <string>
#include <utility>

namespace brindle::server::storage {
namespace {

constexpr std::string_view kCreateMigrationsTable =
    "CREATE TABLE IF NOT EXISTS schema_migrations ("
    " module TEXT NOT NULL, version INTEGER NOT NULL, applied_at INTEGER NOT NULL DEFAULT (unixepoch()),"
    " PRIMARY KEY (module, version))";

std::string step_name(std::string_view module, std::int64_t version) {
  return std::string(module) + " " + std::to_string(version);
}

}  // namespace

Result<void> migrate(Database& database, std::span<const Migration> migrations) {
  auto created = database.schema_change(
      [](Connection& connection) { return connection.execute_script(kCreateMigrationsTable); });
  if (!created) return created;
  return database.schema_change([&](Connection& connection) -> Result<void> {
    std::set<std::pair<std::string, std::int64_t>> recorded;
    {
      auto seen = connection.prepare("SELECT module, version FROM schema_migrations");
      if (!seen) return Result<void>::failure(seen.error());
      for (;;) {
        auto row = seen->step();
        if (!row) return Result<void>::failure(row.error());
        if (!row.value()) break;
        recorded.emplace(seen->column_text(0), seen->column_int64(1));
      }
    }
    std::set<std::pair<std::string, std::int64_t>> known;
    for (const auto& m : migrations) known.emplace(std::string(m.module), m.version);
    for (const auto& [module, version] : recorded) {
      if (known.count({module, version}) == 0) {
        return Result<void>::failure(
            "the database's schema is newer than this server: it has step " + step_name(module, version) +
            ", which this server does not know; run the server that made it, or a newer one");
      }
    }
    for (const auto& m : migrations) {
      if (recorded.count({std::string(m.module), m.version}) != 0) continue;
      if (auto ran = connection.execute_script(m.script_for(connection.engine())); !ran) {
        return Result<void>::failure("schema step " + step_name(m.module, m.version) +
                                     " failed: " + ran.error());
      }
      auto record = connection.prepare("INSERT INTO schema_migrations (module, version) VALUES (?1, ?2)");
      if (!record) return Result<void>::failure(record.error());
      record->bind(1, m.module).bind(2, m.version);
      if (auto done = record->run(); !done) return done;
    }
    return {};
  });
}

}  // namespace brindle::server::storage
