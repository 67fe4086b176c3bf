#pragma once

#include <string>
#include <vector>

#include "server/server_config.h"

namespace brindle::server {

// The GBK text of ServerList.htm or ProxyList.htm: one "text|number" line per entry, CR LF after
// each, no Result code line.
std::string list_document(const std::vector<ListEntry>& entries);

}  // namespace brindle::server
