#include "core/betting/in_play_web_page.h"

namespace brindle::betting {
namespace {

// application/x-www-form-urlencoded: every byte but the unreserved ones as %XX, so that a prefix the
// Client context puts in front of the token cannot add a field.
std::string form_encoded(const std::string& text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if ((b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b == '-' || b == '_' ||
        b == '.' || b == '~') {
      out += c;
    } else {
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 0x0F];
    }
  }
  return out;
}

}  // namespace

InPlayWebPage in_play_web_page(const std::string& current_server, const std::string& web_token) {
  return {"https://" + current_server + kInPlayWebPath, "token=" + form_encoded(web_token)};
}

}  // namespace brindle::betting
