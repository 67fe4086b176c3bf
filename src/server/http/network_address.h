#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace brindle::server {

// One address and port to listen on: "127.0.0.1:47443", "0.0.0.0:443", "[::]:443", "[::1]:0",
// "localhost:47443" (IPv6 in brackets; port 0 picks a free port).
struct ListenAddress {
  std::string address;  // without brackets
  unsigned short port = 0;
  bool operator==(const ListenAddress&) const = default;
};

std::optional<ListenAddress> parse_listen_address(std::string_view text);

// A block of client addresses: "10.0.0.0/8", "2001:db8::/32", or one address ("192.0.2.7", a /32
// or /128). An IPv4 block never holds an IPv6 address, IPv4-mapped ones included: the listener
// sees those only as plain IPv4.
class AddressBlock {
 public:
  static std::optional<AddressBlock> parse(std::string_view text);

  // address as the socket names it ("192.0.2.7", "2001:db8::1"); false for anything unparsable.
  bool contains(std::string_view address) const;
  std::string text() const;
  bool operator==(const AddressBlock&) const = default;

 private:
  bool v6_ = false;
  std::array<std::uint8_t, 16> bytes_{};  // masked to the prefix; IPv4 in the first four
  unsigned prefix_ = 0;
};

}  // namespace brindle::server
