#pragma once

#include "server/admin/subcommand.h"
#include "wire/result.h"

namespace brindle::server::admin {

// "serve": run the server until SIGINT or SIGTERM. Also what "brindle-server --listen ..." without
// a command runs.
Result<void> add_serve_command(SubcommandTable& table);

}  // namespace brindle::server::admin
