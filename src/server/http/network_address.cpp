#include "server/http/network_address.h"

#include <arpa/inet.h>

#include <charconv>
#include <system_error>

namespace brindle::server {
namespace {

std::optional<unsigned> parse_number(std::string_view digits, unsigned max) {
  if (digits.empty() || digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string_view::npos)
    return std::nullopt;
  unsigned value = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (ec != std::errc{} || end != digits.data() + digits.size() || value > max) return std::nullopt;
  return value;
}

// inet_pton's strict forms: dotted quads of four decimal parts, or IPv6 text.
bool to_bytes(std::string_view text, bool& v6, std::array<std::uint8_t, 16>& bytes) {
  const std::string copy(text);
  bytes = {};
  if (::inet_pton(AF_INET, copy.c_str(), bytes.data()) == 1) {
    v6 = false;
    return true;
  }
  if (::inet_pton(AF_INET6, copy.c_str(), bytes.data()) == 1) {
    v6 = true;
    return true;
  }
  return false;
}

void mask(std::array<std::uint8_t, 16>& bytes, unsigned prefix) {
  for (unsigned i = 0; i < bytes.size(); ++i) {
    const unsigned bits = prefix > i * 8 ? prefix - i * 8 : 0;
    if (bits < 8) bytes[i] = static_cast<std::uint8_t>(bytes[i] & (0xFF00u >> bits));
  }
}

}  // namespace

std::optional<ListenAddress> parse_listen_address(std::string_view text) {
  auto colon = text.rfind(':');
  if (colon == std::string_view::npos || colon == 0) return std::nullopt;
  auto host = text.substr(0, colon);
  if (host.starts_with('[')) {
    if (!host.ends_with(']') || host.size() < 3) return std::nullopt;
    host = host.substr(1, host.size() - 2);
  } else if (host.find(':') != std::string_view::npos) {
    return std::nullopt;  // an IPv6 address needs its brackets
  }
  auto port = parse_number(text.substr(colon + 1), 65535);
  if (!port) return std::nullopt;
  return ListenAddress{std::string(host), static_cast<unsigned short>(*port)};
}

std::optional<AddressBlock> AddressBlock::parse(std::string_view text) {
  AddressBlock block;
  auto slash = text.find('/');
  if (!to_bytes(text.substr(0, slash), block.v6_, block.bytes_)) return std::nullopt;
  const unsigned width = block.v6_ ? 128 : 32;
  block.prefix_ = width;
  if (slash != std::string_view::npos) {
    auto prefix = parse_number(text.substr(slash + 1), width);
    if (!prefix) return std::nullopt;
    block.prefix_ = *prefix;
  }
  mask(block.bytes_, block.prefix_);
  return block;
}

bool AddressBlock::contains(std::string_view address) const {
  bool v6 = false;
  std::array<std::uint8_t, 16> bytes{};
  if (!to_bytes(address, v6, bytes) || v6 != v6_) return false;
  mask(bytes, prefix_);
  return bytes == bytes_;
}

std::string AddressBlock::text() const {
  char buffer[INET6_ADDRSTRLEN] = {};
  ::inet_ntop(v6_ ? AF_INET6 : AF_INET, bytes_.data(), buffer, sizeof buffer);
  return std::string(buffer) + "/" + std::to_string(prefix_);
}

}  // namespace brindle::server
