#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/net/client_context.h"
#include "core/net/fallback_hosts.h"

namespace brindle::ports {
class ProgressSink;
}

namespace brindle::net {

class Transport;

// "%s:%d" of address and port, the form the transport takes; empty when there is no address, since
// a proxy without an address cannot be used.
std::string make_proxy_text(const std::string& address, int port);

// Reads the SETTINGS flags (and the personal proxy when PersonalProxy is set) and the Proxy list
// cache. True when the proxy list is not empty.
bool proxy_load(ClientContext& context);

// Stores the choice in the Client context and writes it to the settings file key by key; write
// failures are not reported. The personal address and port held in memory stay as they were.
bool proxy_apply(ClientContext& context, bool use_proxy, bool personal, const std::string& address, int port);

// The proxy list entry at the cursor, advancing the cursor with wrap-around; none for an empty list.
std::optional<ListEntry> take_next_proxy(ClientContext& context);

// Moves to the next proxy after a failed connection, fetching the proxy list when there is no proxy
// yet. A failed fetch is not reported.
bool automatic_proxy_choice(ClientContext& context, Transport& transport, ports::ProgressSink& progress,
                            const std::vector<std::string>& hosts = fallback_hosts());

// What the proxy settings window shows and returns.
struct ProxySettingsEntries {
  bool use_proxy = false;
  bool personal = false;
  std::string address;
  int port = 0;
};

// Opening the proxy settings window: proxy load, then the flags and the personal proxy.
ProxySettingsEntries proxy_settings_open(ClientContext& context);
// Its "确认": a personal proxy is taken from the entries, otherwise a fresh proxy list is fetched
// and its next entry taken (none on failure, silently); then the choice is applied.
void proxy_settings_confirm(ClientContext& context, const ProxySettingsEntries& entries, Transport& transport,
                            ports::ProgressSink& progress,
                            const std::vector<std::string>& hosts = fallback_hosts());

}  // namespace brindle::net
