#include "server/storage/migration.h"

#include <string>

namespace brindle::server::storage {
namespace {

constexpr std::string_view kCreateMigrationsTable =
    "CREATE TABLE IF NOT EXISTS schema_migrations ("
    " module TEXT NOT NULL, version INTEGER NOT NULL, applied_at INTEGER NOT NULL DEFAULT (unixepoch()),"
    " PRIMARY KEY (module, version))";

std::string step_name(const Migration& migration) {
  return std::string(migration.module) + " " + std::to_string(migration.version);
}

}  // namespace

Result<void> migrate(Database& database, std::span<const Migration> migrations) {
  auto created = database.transaction([](Connection& connection) -> Result<void> {
    auto statement = connection.prepare(kCreateMigrationsTable);
    if (!statement) return Result<void>::failure(statement.error());
    return statement->run();
  });
  if (!created) return created;

  for (const auto& migration : migrations) {
    // Checked and applied in one IMMEDIATE transaction, so two processes starting at once cannot
    // both apply the same step.
    auto applied = database.transaction([&](Connection& connection) -> Result<void> {
      {
        auto seen = connection.prepare("SELECT 1 FROM schema_migrations WHERE module = ?1 AND version = ?2");
        if (!seen) return Result<void>::failure(seen.error());
        seen->bind(1, migration.module).bind(2, migration.version);
        auto row = seen->step();
        if (!row) return Result<void>::failure(row.error());
        if (row.value()) return {};
      }
      if (auto ran = connection.execute_script(migration.sql); !ran) return ran;
      auto record = connection.prepare("INSERT INTO schema_migrations (module, version) VALUES (?1, ?2)");
      if (!record) return Result<void>::failure(record.error());
      record->bind(1, migration.module).bind(2, migration.version);
      return record->run();
    });
    if (!applied) {
      return Result<void>::failure("schema step " + step_name(migration) + " failed: " + applied.error());
    }
  }
  return {};
}

}  // namespace brindle::server::storage
