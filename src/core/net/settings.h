#pragma once

#include <string>

#include "core/net/client_context.h"

namespace brindle::net {

inline constexpr int kDefaultVersion = 100;
inline constexpr int kDefaultRefreshPeriod = 180;  // seconds
inline constexpr int kAsiaTimerMinimum = 60;       // seconds
// "Server Count" beyond this is taken as this many: every configured server is an entry in memory.
inline constexpr int kMaxConfiguredServers = 1024;

// Fills the current and chosen server, the configured servers and the other-game texts from the
// settings file, then the server list from its cache. True when the server list has an entry.
bool settings_load(net::ClientContext& context);

// Reads the odds format; absent or unknown is decimal, the display of clients that had no choice.
// settings_load() reads it too.
void odds_format_load(net::ClientContext& context);

// Stores and writes the odds format.
bool set_odds_format(net::ClientContext& context, OddsFormat format);

// Reads the Asia refresh period (at least 60 seconds) and the other refresh period.
void timer_load(net::ClientContext& context);

// Makes `server` the current and the chosen server and writes it. Does nothing and returns false
// for an empty text; otherwise returns whether the write succeeded (memory keeps the value anyway).
bool set_current_server(net::ClientContext& context, const std::string& server);

// Stores and writes the Asia refresh period, raised to the minimum like a value read from the file.
bool set_asia_refresh_period(net::ClientContext& context, int seconds);

// The client's own version as the Version check sends it, and its update after a self-upgrade.
int settings_version(const net::ClientContext& context);
bool write_settings_version(const net::ClientContext& context, int version);

}  // namespace brindle::net
