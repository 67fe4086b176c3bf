#include "server/accounts/password_hash.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <array>
#include <charconv>
#include <climits>
#include <optional>
#include <vector>

namespace brindle::server::accounts {
namespace {

constexpr std::string_view kScheme = "pbkdf2-sha256";
constexpr std::size_t kSaltBytes = 16;
constexpr std::size_t kKeyBytes = 32;
constexpr unsigned kMaxIterations = 10'000'000;  // a stored count above this is treated as damage

std::string to_hex(const unsigned char* bytes, std::size_t size) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(size * 2);
  for (std::size_t i = 0; i < size; ++i) {
    text += kDigits[bytes[i] >> 4];
    text += kDigits[bytes[i] & 0x0F];
  }
  return text;
}

std::optional<std::vector<unsigned char>> from_hex(std::string_view text) {
  if (text.empty() || text.size() % 2 != 0) return std::nullopt;
  auto nibble = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  };
  std::vector<unsigned char> bytes;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    const int high = nibble(text[i]);
    const int low = nibble(text[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes.push_back(static_cast<unsigned char>(high * 16 + low));
  }
  return bytes;
}

bool derive(std::string_view password, const unsigned char* salt, std::size_t salt_size, unsigned iterations,
            unsigned char* key, std::size_t key_size) {
  if (password.size() > INT_MAX || iterations > INT_MAX) return false;
  return PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()), salt,
                           static_cast<int>(salt_size), static_cast<int>(iterations), EVP_sha256(),
                           static_cast<int>(key_size), key) == 1;
}

}  // namespace

Result<std::string> PasswordHasher::hash(std::string_view password) const {
  std::array<unsigned char, kSaltBytes> salt{};
  if (RAND_bytes(salt.data(), static_cast<int>(salt.size())) != 1) {
    return Result<std::string>::failure("cannot draw a random salt");
  }
  std::array<unsigned char, kKeyBytes> key{};
  ++full_hashes_;
  if (iterations_ == 0 || !derive(password, salt.data(), salt.size(), iterations_, key.data(), key.size())) {
    return Result<std::string>::failure("cannot hash the password");
  }
  return std::string(kScheme) + "$" + std::to_string(iterations_) + "$" + to_hex(salt.data(), salt.size()) +
         "$" + to_hex(key.data(), key.size());
}

bool PasswordHasher::verify(std::string_view password, std::string_view stored) const {
  // scheme$iterations$salt$key
  std::array<std::string_view, 4> parts;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const auto cut = i + 1 < parts.size() ? stored.find('$') : stored.size();
    if (cut == std::string_view::npos) return false;
    parts[i] = stored.substr(0, cut);
    stored.remove_prefix(std::min(cut + 1, stored.size()));
  }
  if (parts[0] != kScheme) return false;
  unsigned iterations = 0;
  auto [end, ec] = std::from_chars(parts[1].data(), parts[1].data() + parts[1].size(), iterations);
  if (ec != std::errc{} || end != parts[1].data() + parts[1].size() || iterations == 0 ||
      iterations > kMaxIterations)
    return false;
  auto salt = from_hex(parts[2]);
  auto expected = from_hex(parts[3]);
  if (!salt || !expected || expected->size() > 64) return false;
  std::array<unsigned char, 64> key{};
  ++full_hashes_;
  if (!derive(password, salt->data(), salt->size(), iterations, key.data(), expected->size())) return false;
  return CRYPTO_memcmp(key.data(), expected->data(), expected->size()) == 0;
}

}  // namespace brindle::server::accounts
