#include "server/admin/admin_database.h"

#include <string>

#include "server/services.h"

namespace brindle::server::admin {

Result<std::shared_ptr<storage::Database>> open_admin_database(const ParsedOptions& options) {
  const std::string data_dir(options.value(kDataDirOption).value_or(""));
  return open_server_database(data_dir, options.value(kDatabaseOption).value_or(""));
}

}  // namespace brindle::server::admin
