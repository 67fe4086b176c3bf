#pragma once

#include "server/http/dispatcher.h"
#include "server/services.h"
#include "wire/result.h"

namespace brindle::server {

// The market-data subjects: 4027 (every market type code and -1 for the parlay list), 4070 (the
// same limited to chosen leagues), 5001 and 5002 (outrights), 4028 (parlay price refresh) and
// 4038 (the current in-play line). They read services.market's snapshot only.
Result<void> add_market_handlers(Dispatcher& dispatcher, const ServerServices& services);

}  // namespace brindle::server
