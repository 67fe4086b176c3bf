#pragma once

#include <string>
#include <vector>

namespace brindle::net {

// The operator's published entry points for the list documents, in the order they are tried.
// Chosen when the client is built.
const std::vector<std::string>& fallback_hosts();

}  // namespace brindle::net
