#include "server/storage/database_address.h"

#include <string>

namespace brindle::server::storage {

bool is_postgresql_address(std::string_view address) {
  if (address.starts_with("postgresql://") || address.starts_with("postgres://")) return true;
  // A key=value connection string names its keys before any scheme.
  const auto equals = address.find('=');
  return equals != std::string_view::npos && address.find("://") == std::string_view::npos &&
         !address.starts_with("sqlite:");
}

Result<std::shared_ptr<Database>> open_database(std::string_view address,
                                                const std::filesystem::path& data_dir,
                                                DatabaseOptions options) {
  using R = Result<std::shared_ptr<Database>>;
  if (address.empty() || address == "sqlite:") {
    if (data_dir.empty()) return R::failure("no data folder given for the SQLite database");
    return Database::open_in(data_dir, options);
  }
  if (address.starts_with("sqlite:"))
    return Database::open(std::filesystem::path(address.substr(7)), options);
  if (is_postgresql_address(address)) return Database::connect_postgresql(std::string(address), options);
  return R::failure("unknown database address \"" + std::string(address) +
                    "\": write sqlite: for the data folder's file, or postgresql://user@host:port/database");
}

}  // namespace brindle::server::storage
