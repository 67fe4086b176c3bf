#pragma once

#include <string>
#include <string_view>

namespace brindle::net {

// The MD5 digest of the text's GBK bytes as 32 upper-case hexadecimal digits and one space.
std::string digest_text(std::string_view utf8_text);

// What the registration request appends to prove it comes from this client: 32 lower-case
// hexadecimal digits derived from the user name and the password.
std::string registration_signature(std::string_view user_name, std::string_view password);

}  // namespace brindle::net
