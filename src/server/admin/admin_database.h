#pragma once

#include <memory>
#include <string_view>

#include "server/admin/subcommand.h"
#include "server/storage/database.h"
#include "wire/result.h"

namespace brindle::server::admin {

inline constexpr std::string_view kDataDirOption = "--data-dir";
// Every command that touches the state takes it: sqlite: (or nothing) for the data folder's file,
// or the PostgreSQL address the server runs on.
inline constexpr std::string_view kDatabaseOption = "--database";

// The database of --data-dir and --database, its schema brought up to date.
Result<std::shared_ptr<storage::Database>> open_admin_database(const ParsedOptions& options);

}  // namespace brindle::server::admin
