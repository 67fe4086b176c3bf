#include "server/http/proxy_protocol.h"

#include <arpa/inet.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace brindle::server {
namespace {

using Status = ProxyHeader::Status;

constexpr std::string_view kV1Prefix = "PROXY ";
constexpr std::string_view kV2Signature{"\r\n\r\n\0\r\nQUIT\n", 12};
constexpr std::size_t kV2Fixed = 16;  // signature, version and command, family, length

ProxyHeader malformed(std::string error) { return {Status::malformed, 0, {}, std::move(error)}; }
ProxyHeader complete(std::size_t consumed, std::string source = {}) {
  return {Status::complete, consumed, std::move(source), {}};
}

// The address as the listener names a socket's: IPv4-mapped IPv6 as the IPv4 it stands for.
std::string address_text(bool v6, const unsigned char* bytes) {
  static constexpr unsigned char kMapped[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF};
  char text[INET6_ADDRSTRLEN] = {};
  if (v6 && std::memcmp(bytes, kMapped, sizeof kMapped) == 0) {
    v6 = false;
    bytes += sizeof kMapped;
  }
  ::inet_ntop(v6 ? AF_INET6 : AF_INET, bytes, text, sizeof text);
  return text;
}

bool is_port(std::string_view digits) {
  if (digits.empty() || digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string_view::npos)
    return false;
  unsigned value = 0;
  for (char c : digits) value = value * 10 + static_cast<unsigned>(c - '0');
  return value <= 65535;
}

std::vector<std::string_view> split_spaces(std::string_view text) {
  std::vector<std::string_view> fields;
  for (;;) {
    auto space = text.find(' ');
    fields.push_back(text.substr(0, space));
    if (space == std::string_view::npos) return fields;
    text.remove_prefix(space + 1);
  }
}

// "PROXY TCP4 203.0.113.7 192.0.2.1 56324 443\r\n", "PROXY TCP6 ...", "PROXY UNKNOWN ...\r\n".
ProxyHeader parse_v1(std::string_view bytes) {
  const auto window = bytes.substr(0, kProxyV1MaxLength);
  const auto end = window.find("\r\n");
  if (end == std::string_view::npos) {
    if (window.size() == kProxyV1MaxLength) return malformed("a PROXY line longer than 107 bytes");
    return {};
  }
  const auto line = window.substr(kV1Prefix.size(), end - kV1Prefix.size());
  const std::size_t consumed = end + 2;
  if (line == "UNKNOWN" || line.starts_with("UNKNOWN ")) return complete(consumed);
  const auto fields = split_spaces(line);
  const bool v6 = !fields.empty() && fields[0] == "TCP6";
  if (fields.empty() || (fields[0] != "TCP4" && !v6)) return malformed("a PROXY line of an unknown protocol");
  if (fields.size() != 5) return malformed("a PROXY line without two addresses and two ports");
  std::array<unsigned char, 16> source{}, destination{};
  const int family = v6 ? AF_INET6 : AF_INET;
  if (::inet_pton(family, std::string(fields[1]).c_str(), source.data()) != 1 ||
      ::inet_pton(family, std::string(fields[2]).c_str(), destination.data()) != 1)
    return malformed("a PROXY line with an address not of its protocol");
  if (!is_port(fields[3]) || !is_port(fields[4])) return malformed("a PROXY line with a bad port");
  return complete(consumed, address_text(v6, source.data()));
}

ProxyHeader parse_v2(std::string_view bytes) {
  if (bytes.size() < kV2Fixed) return {};
  const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
  const unsigned version = b[12] >> 4, command = b[12] & 0x0F;
  if (version != 2) return malformed("a PROXY header of version " + std::to_string(version));
  if (command > 1) return malformed("a PROXY header with an unknown command");
  const std::size_t length = static_cast<std::size_t>(b[14]) << 8 | b[15];
  const std::size_t total = kV2Fixed + length;
  if (total > kProxyV2MaxLength) return malformed("a PROXY header longer than 4096 bytes");

  // LOCAL: the balancer's own connection (a health check); the socket's address stands.
  std::size_t needed = 0;
  bool names_ip = false, v6 = false;
  if (command == 1) {
    switch (b[13]) {
      case 0x00:  // UNSPEC
        break;
      case 0x11:  // TCP over IPv4
        needed = 12;
        names_ip = true;
        break;
      case 0x21:  // TCP over IPv6
        needed = 36;
        names_ip = v6 = true;
        break;
      case 0x31:  // a UNIX stream socket: no IP address to name
        needed = 216;
        break;
      default:
        return malformed("a PROXY header of an unknown family or not of a stream");
    }
  }
  if (length < needed) return malformed("a PROXY header too short for its addresses");
  if (bytes.size() < total) return {};
  if (!names_ip) return complete(total);
  return complete(total, address_text(v6, b + kV2Fixed));
}

}  // namespace

ProxyHeader parse_proxy_header(std::string_view bytes) {
  const auto begins = [&](std::string_view prefix) {
    const auto n = std::min(bytes.size(), prefix.size());
    return bytes.substr(0, n) == prefix.substr(0, n);
  };
  if (bytes.empty()) return {};
  if (begins(kV1Prefix)) return bytes.size() < kV1Prefix.size() ? ProxyHeader{} : parse_v1(bytes);
  if (begins(kV2Signature)) return bytes.size() < kV2Signature.size() ? ProxyHeader{} : parse_v2(bytes);
  return malformed("no PROXY header");
}

}  // namespace brindle::server
