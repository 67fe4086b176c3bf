#pragma once

#include "server/admin/subcommand.h"
#include "wire/result.h"

namespace brindle::server::admin {

// "copy-database --from URL --to URL": moves the whole state from one database to a new, empty one
// (SQLite to PostgreSQL and back), then checks the ledger on both sides.
Result<void> add_copy_command(SubcommandTable& table);

}  // namespace brindle::server::admin
