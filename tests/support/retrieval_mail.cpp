#include "support/retrieval_mail.h"

#include <openssl/evp.h>

namespace brindle::testing {

std::string mailed_password(const std::string& mail) {
  const auto start = mail.find("\r\n\r\n");
  if (start == std::string::npos) return {};
  std::string body;
  for (char c : mail.substr(start + 4))
    if (c != '\r' && c != '\n') body += c;
  std::string text(body.size(), '\0');
  const int length =
      EVP_DecodeBlock(reinterpret_cast<unsigned char*>(text.data()),
                      reinterpret_cast<const unsigned char*>(body.data()), static_cast<int>(body.size()));
  const std::string marker = "您的新密码为：";
  const auto at = length > 0 ? text.find(marker) : std::string::npos;
  return at == std::string::npos ? std::string() : text.substr(at + marker.size(), 10);
}

}  // namespace brindle::testing
