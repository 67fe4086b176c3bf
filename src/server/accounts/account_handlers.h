#pragma once

#include "server/http/dispatcher.h"
#include "server/services.h"
#include "wire/result.h"

namespace brindle::server {

// Installs authentication of every request outside DATA_ACQUIRE and the account subjects: sign-in
// (3001), member details (3032), account state (3033), balance (4012), web session token (4061)
// and the account statement (4011).
Result<void> add_account_handlers(Dispatcher& dispatcher, const ServerServices& services);

}  // namespace brindle::server
