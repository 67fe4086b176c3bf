#include "server/services.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "server/accounts/account_store.h"
#include "server/accounts/retrieved_password.h"
#include "server/banker/banker_store.h"
#include "server/betting/bet_schema.h"
#include "server/market/market_store.h"
#include "server/matchinfo/match_records.h"
#include "server/members/member_store.h"
#include "server/rooms/room_store.h"
#include "server/storage/database_address.h"
#include "server/storage/private_files.h"
#include "server/web/in_play_web.h"

namespace brindle::server {

std::span<const storage::Migration> all_migrations() {
  static const std::vector<storage::Migration> steps = [] {
    std::vector<storage::Migration> all;
    for (auto group :
         {accounts::accounts_migrations(), accounts::retrieval_migrations(), rooms::rooms_migrations(),
          market::market_migrations(), betting::bets_migrations(), banker::banker_migrations(),
          members::members_migrations(), matchinfo::matchinfo_migrations(), web::web_migrations()})
      all.insert(all.end(), group.begin(), group.end());
    return all;
  }();
  return steps;
}

Result<std::shared_ptr<storage::Database>> open_server_database(const std::filesystem::path& data_dir,
                                                                std::string_view address,
                                                                storage::DatabaseOptions options) {
  using R = Result<std::shared_ptr<storage::Database>>;
  // The data folder holds the certificate, the key and the mail outbox whatever the engine.
  if (!data_dir.empty()) {
    if (auto made = storage::make_private_directory(data_dir); !made) return R::failure(made.error());
  }
  std::string chosen(address);
  if (chosen.empty()) {
    if (const char* environment = std::getenv(kDatabaseVariable.data())) chosen = environment;
  }
  auto database = storage::open_database(chosen, data_dir, options);
  if (!database) return database;
  if (auto migrated = storage::migrate(*database.value(), all_migrations()); !migrated) {
    return R::failure(migrated.error());
  }
  return database;
}

}  // namespace brindle::server
