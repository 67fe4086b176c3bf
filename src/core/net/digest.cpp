#include "core/net/digest.h"

#include <openssl/evp.h>

#include <algorithm>
#include <cctype>

#include "wire/gbk.h"

namespace brindle::net {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

std::string lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
  return text;
}

}  // namespace

std::string digest_text(std::string_view utf8_text) {
  const std::string bytes = wire::utf8_to_gbk(utf8_text);
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  std::string text;
  if (EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_md5(), nullptr) != 1 || length != 16) {
    // Without MD5 every digest reads as zeros, as the client always did on such systems.
    text.assign(32, '0');
  } else {
    for (unsigned int i = 0; i < length; ++i) {
      text += kHexDigits[digest[i] >> 4];
      text += kHexDigits[digest[i] & 0x0F];
    }
  }
  text += ' ';
  return text;
}

std::string registration_signature(std::string_view user_name, std::string_view password) {
  const std::string d1 = lower(digest_text("583brindle" + std::string(user_name)));
  const std::string d2 = lower(digest_text(std::string(password) + "20130611"));
  std::string signature = lower(digest_text(d1 + d2));
  signature.pop_back();
  return signature;
}

}  // namespace brindle::net
