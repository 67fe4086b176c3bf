#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace brindle::server::storage {

// Rows keep times as Unix seconds; the wire wants OLE automation dates in the server's local time
// and date ranges as "%Y%m%d%H%M%S" in local time.

std::int64_t now_unix_seconds();
double ole_from_unix(std::int64_t unix_seconds);
// "%Y%m%d%H%M%S" in local time; nothing for a malformed or impossible date-time.
std::optional<std::int64_t> unix_from_range_text(std::string_view text);

}  // namespace brindle::server::storage
