#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace brindle::server {

// The PROXY protocol header a TCP load balancer sends before the client's own bytes (HAProxy's
// PROXY protocol, versions 1 and 2), naming the client it passes on.
inline constexpr std::size_t kProxyV1MaxLength = 107;  // "PROXY ... \r\n" at most, as the protocol sets
// A version 2 header holds the addresses and then TLVs (which are skipped); balancers send far fewer
// than this, and a longer one is refused rather than buffered.
inline constexpr std::size_t kProxyV2MaxLength = 4096;

struct ProxyHeader {
  enum class Status { need_more, malformed, complete };
  Status status = Status::need_more;
  std::size_t consumed = 0;  // complete: the header's length; the client's bytes follow it
  // complete: the client's address ("203.0.113.7", "2001:db8::1"; an IPv4-mapped IPv6 address as
  // IPv4); empty when the header names none (PROXY UNKNOWN, the LOCAL command, a family without an
  // IP address) and the connection's own address stands.
  std::string source;
  std::string error;  // malformed: why
};

// Reads the header at the start of bytes, which may hold the start of what follows it too. Needs
// more until the bytes hold a whole header; malformed as soon as they cannot begin one.
ProxyHeader parse_proxy_header(std::string_view bytes);

}  // namespace brindle::server
