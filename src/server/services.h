#pragma once

#include <filesystem>
#include <memory>
#include <span>

#include "server/server_config.h"
#include "server/storage/database.h"
#include "server/storage/migration.h"
#include "wire/result.h"

namespace brindle::server {

namespace market {
class Market;
}
namespace operations {
class Metrics;
}
namespace accounts {
class AttemptLimiter;
class Authenticator;
class PasswordHasher;
}  // namespace accounts

// Who slows down repeated attempts; an absent limiter limits nothing. See AttemptLimiter.
struct AttemptLimiters {
  // Failed sign-ins of one name from one address: "<name key>\n<address>".
  std::shared_ptr<accounts::AttemptLimiter> sign_in_by_name;
  // Failed sign-ins of one account's name from every address: the name key.
  std::shared_ptr<accounts::AttemptLimiter> sign_in_by_account;
  std::shared_ptr<accounts::AttemptLimiter> sign_in_by_address;
  // Name checks (2020, 2021) and password retrievals (2016): every one counts.
  std::shared_ptr<accounts::AttemptLimiter> lookups_by_address;
  // Wrong withdrawal passwords (2009, 2004), keyed by account id.
  std::shared_ptr<accounts::AttemptLimiter> withdrawal_by_account;
};

// What the handler groups share; each group's add_<group>_handlers(Dispatcher&, const
// ServerServices&) takes what it needs. Built once at start-up; every member is thread-safe.
struct ServerServices {
  std::shared_ptr<const ServerConfig> config;
  std::shared_ptr<storage::Database> db;
  std::shared_ptr<market::Market> market;
  std::shared_ptr<const accounts::PasswordHasher> hasher;
  std::shared_ptr<const accounts::Authenticator> authenticator;
  std::filesystem::path data_dir;  // where files beside the database go (the mail outbox)
  AttemptLimiters limiters;
  std::shared_ptr<operations::Metrics> metrics;  // what /metrics shows; absent: nothing is counted
};

// Every module's schema steps, in the order they must run (each group adds its list here).
std::span<const storage::Migration> all_migrations();

// The database address when neither the command line nor the configuration names one.
inline constexpr std::string_view kDatabaseVariable = "BRINDLE_DATABASE";

// Opens the database at address (see storage::open_database), or at $BRINDLE_DATABASE when address
// is empty, or else <data_dir>/brindle.db, and brings its schema up to date; the server and every
// admin command go through here.
Result<std::shared_ptr<storage::Database>> open_server_database(const std::filesystem::path& data_dir,
                                                                std::string_view address = {},
                                                                storage::DatabaseOptions options = {});

}  // namespace brindle::server
