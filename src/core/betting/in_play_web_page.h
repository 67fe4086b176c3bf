#pragma once

#include <string>

namespace brindle::betting {

// Where the 走地 window opens the web version of in-play betting and how the 4061 token reaches it:
// as the only field of a form posted to the current server over HTTPS, so that the token, which
// stands for the user's credentials while it lives, never appears in an address, a history or a
// referrer.
inline constexpr const char* kInPlayWebPath = "/inplay/";

struct InPlayWebPage {
  std::string address;    // "https://host:port/inplay/"
  std::string form_body;  // "token=...", form-encoded
};

// An empty token still opens the page, which then says that it has expired.
InPlayWebPage in_play_web_page(const std::string& current_server, const std::string& web_token);

}  // namespace brindle::betting
