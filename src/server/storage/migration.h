#pragma once

#include <span>
#include <string_view>

#include "server/storage/database.h"
#include "wire/result.h"

namespace brindle::server::storage {

// One schema step of one module ("accounts", "market", "bets"). Versions count up from 1 within a
// module; each step runs once and is recorded in schema_migrations. The SQL is a script in SQLite's
// schema words, which other engines translate; a step whose words do not translate (triggers) gives
// PostgreSQL's form beside it.
struct Migration {
  std::string_view module;
  int version;
  std::string_view sql;
  std::string_view postgresql = {};

  std::string_view script_for(Engine engine) const {
    return engine == Engine::postgresql && !postgresql.empty() ? postgresql : sql;
  }
};

// Applies the steps not yet recorded, in the order given, all in one transaction: a step that fails
// rolls the whole run back and stops it with the module, version and the engine's words. Running it
// again changes nothing. A database that records a step this list does not have was made by a newer
// server, and is refused without a change.
Result<void> migrate(Database& database, std::span<const Migration> migrations);

}  // namespace brindle::server::storage
