#pragma once

#include "server/http/dispatcher.h"
#include "server/services.h"
#include "wire/result.h"

namespace brindle::server {

// The banker subjects: openable matches 4016, suggested prices 4032, open offers 4017, opening 3008,
// taking 3009, cancelling 2014 and the records 4018–4021. They need services.db; requests arrive
// authenticated.
Result<void> add_banker_handlers(Dispatcher& dispatcher, const ServerServices& services);

}  // namespace brindle::server
