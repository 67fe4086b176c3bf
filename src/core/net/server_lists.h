#pragma once

#include <string>
#include <vector>

#include "core/net/client_context.h"
#include "core/net/fallback_hosts.h"

namespace brindle::ports {
class ProgressSink;
}

namespace brindle::net {

class Transport;

inline constexpr const char* kServerListDocument = "https://%s/betengine/ServerList.htm";
inline constexpr const char* kProxyListDocument = "https://%s/betengine/ProxyList.htm";

// Fetch a list document from the first of `hosts` that answers, replace the list in the Client
// context with its lines ("text|number") and write the list's cache. False when every host failed;
// `error` then holds the last failure's text.
bool server_list_fetch(ClientContext& context, Transport& transport, ports::ProgressSink& progress,
                       std::string& error, const std::vector<std::string>& hosts = fallback_hosts());
bool proxy_list_fetch(ClientContext& context, Transport& transport, ports::ProgressSink& progress,
                      std::string& error, const std::vector<std::string>& hosts = fallback_hosts());

// The hosts a list the user asks for is fetched from: the current server and the configured servers
// first, as his own settings name them, then the built-in entry points; each once, blanks trimmed.
std::vector<std::string> list_document_hosts(const ClientContext& context,
                                             const std::vector<std::string>& built_in = fallback_hosts());

}  // namespace brindle::net
