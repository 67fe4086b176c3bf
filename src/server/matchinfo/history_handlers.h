#pragma once

#include "server/http/dispatcher.h"
#include "server/services.h"
#include "wire/result.h"

namespace brindle::server {

// The match analysis subjects: 4023 (a team's last six), 4024 (the home team's last three at home or
// the away team's last three away), 4026 (head-to-head) from the finished matches, and 4022 (the odds
// trend of a match) from the recorded line history.
Result<void> add_history_handlers(Dispatcher& dispatcher, const ServerServices& services);

}  // namespace brindle::server
