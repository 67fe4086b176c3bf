#pragma once

#include <span>
#include <string_view>

#include "server/storage/database.h"
#include "wire/result.h"

namespace brindle::server::storage {

// One schema step of one module ("accounts", "market", "bets"). Versions count up from 1 within a
// module; each step runs once, in its own transaction, and is recorded in schema_migrations.
struct Migration {
  std::string_view module;
  int version;
  std::string_view sql;
};

// Applies the steps not yet recorded, in the order given. Running it again changes nothing. A step
// that fails rolls back alone and stops the run with the module, version and SQLite's words.
Result<void> migrate(Database& database, std::span<const Migration> migrations);

}  // namespace brindle::server::storage
