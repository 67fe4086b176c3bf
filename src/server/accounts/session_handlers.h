#pragma once

#include <memory>

#include "server/http/dispatcher.h"
#include "server/server_config.h"
#include "wire/result.h"

namespace brindle::server {

// The requests a client sends before and around sign-in that need no account: the Version check
// (13002), the Latest information (1001) and the second information text (1005).
Result<void> add_session_handlers(Dispatcher& dispatcher, std::shared_ptr<const ServerConfig> config);

}  // namespace brindle::server
