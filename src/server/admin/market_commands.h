#pragma once

#include <functional>
#include <memory>

#include "server/admin/subcommand.h"
#include "server/market/market.h"
#include "server/storage/database.h"
#include "wire/result.h"

namespace brindle::server::admin {

// Makes the handler that settles a decided match on the database the command opened. Without one
// the notices stay queued and the server delivers them when it next looks.
using SettlerFactory = std::function<market::MatchFinishedHandler(std::shared_ptr<storage::Database>)>;

// `post-result MATCH HOME AWAY` and `advance MINUTES`, each with --data-dir DIR.
Result<void> add_market_commands(SubcommandTable& table, SettlerFactory settler = {});

}  // namespace brindle::server::admin
