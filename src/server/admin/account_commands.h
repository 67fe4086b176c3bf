#pragma once

#include <span>

#include "server/admin/subcommand.h"
#include "server/storage/migration.h"
#include "wire/result.h"

namespace brindle::server::admin {

// seed, add-user, credit and check-ledger: offline commands that work on a data folder's
// database, also while a server runs on it.
Result<void> add_account_commands(SubcommandTable& table);

}  // namespace brindle::server::admin
