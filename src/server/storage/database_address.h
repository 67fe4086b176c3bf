#pragma once

#include <filesystem>
#include <memory>
#include <string_view>

#include "server/storage/database.h"
#include "wire/result.h"

namespace brindle::server::storage {

// Where the server's state lives, as the operator writes it:
//   (nothing) or "sqlite:"  <data_dir>/brindle.db
//   "sqlite:FILE"           that SQLite file
//   "postgresql://…", "postgres://…" or a key=value connection string ("host=… dbname=…"):
//                           PostgreSQL, as libpq reads it (password from the address, PGPASSFILE or
//                           ~/.pgpass; sslmode and the rest honoured)
Result<std::shared_ptr<Database>> open_database(std::string_view address,
                                                const std::filesystem::path& data_dir,
                                                DatabaseOptions options = {});

// Whether the address names a PostgreSQL database (it is not checked further).
bool is_postgresql_address(std::string_view address);

}  // namespace brindle::server::storage
