#pragma once

#include "server/http/dispatcher.h"
#include "server/services.h"
#include "wire/result.h"

namespace brindle::server {

// The bet subjects: 3010 (singles and parlays), 3050 (outrights), the in-play steps 3016, 3020,
// 3022 and 3018, and the bet records 4054, 4015, 4029, 4030, 4050 and 4051. They need
// services.db and services.market; requests arrive authenticated.
Result<void> add_bet_handlers(Dispatcher& dispatcher, const ServerServices& services);

// Settles a match's bets whenever the market reports it finished.
void settle_bets_on_finished_matches(const ServerServices& services);

}  // namespace brindle::server
