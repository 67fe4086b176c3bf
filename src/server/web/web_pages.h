#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace brindle::server::web {

// The service's own pages that the client opens in the browser or inside its windows: news,
// rules, agreement, announcements, the other games. GBK HTML, or nothing for another path.
std::optional<std::string> page_for(std::string_view path);

// The style sheet those pages share, for the pages built per request (the in-play page).
std::string_view page_style();

}  // namespace brindle::server::web
