#pragma once

#include <curl/curl.h>

#include <string>

namespace brindle::net {

// The text the user is shown for a transport failure: the client speaks Chinese, so every failure
// it can meet gets Chinese words of the same meaning, and anything unforeseen its number.
// libcurl's own English account belongs in the log, never in the Message window.
std::string transport_error_text(CURLcode code);

}  // namespace brindle::net
