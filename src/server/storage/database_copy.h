#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "server/storage/database.h"
#include "wire/result.h"

namespace brindle::server::storage {

// The tables that hold the connection's data, in the order they were made (a table after those it
// refers to); the engine's own tables are left out.
Result<std::vector<std::string>> list_tables(Connection& connection);

struct CopyOptions {
  // Tables each side keeps for itself: the record of its own schema steps.
  std::vector<std::string> skipped = {"schema_migrations"};
  // Tables that must hold no row in the target, or the copy is refused without a change.
  std::vector<std::string> must_be_empty;
};

struct CopiedTable {
  std::string name;
  std::int64_t rows = 0;
};

// Copies every row of every table from one database into another of the same schema, whatever the
// engines: the source is read in one snapshot, the target written in one transaction, so either all
// of it arrives or the target is left as it was. What the target held in those tables before (rows
// its schema steps put there, rows its triggers add while the tables before are filled) is replaced.
// The target's own numbering of new rows goes on after the copied ones. A table one side has and
// the other has not, or one that ends up with another number of rows than the source's, fails the
// copy. The tables in the target's order of creation, with their rows copied.
Result<std::vector<CopiedTable>> copy_database(Database& from, Database& to, const CopyOptions& options = {});

}  // namespace brindle::server::storage
