#pragma once

#include "server/http/dispatcher.h"
#include "server/services.h"
#include "wire/result.h"

namespace brindle::server {

// The results window's subjects: 4025 (finished matches over a range, or the coming fixtures for
// "-1|-1") and 4040 (decided outright and index events over a range). They read services.market's
// snapshot only.
Result<void> add_results_handlers(Dispatcher& dispatcher, const ServerServices& services);

}  // namespace brindle::server
