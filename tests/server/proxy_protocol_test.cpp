#include "server/http/proxy_protocol.h"

#include <gtest/gtest.h>

#include <string>

#include "server/http/network_address.h"

namespace brindle::server {
namespace {

using Status = ProxyHeader::Status;

const std::string kSignature("\r\n\r\n\0\r\nQUIT\n", 12);

// A version 2 header: command byte, family byte, then `body` (addresses and TLVs) as its length says.
std::string v2(unsigned char command, unsigned char family, const std::string& body) {
  return kSignature + static_cast<char>(command) + static_cast<char>(family) +
         static_cast<char>(body.size() >> 8) + static_cast<char>(body.size() & 0xFF) + body;
}

const std::string kTcp4Addresses("\xCB\x00\x71\x07\xC0\x00\x02\x01\xDC\x04\x01\xBB",
                                 12);  // 203.0.113.7:56324

TEST(ProxyHeader, ReadsTheClientOfEachForm) {
  const std::string tcp6 = v2(0x21, 0x21,
                              std::string("\x20\x01\x0d\xb8", 4) + std::string(11, '\0') + "\x01" +
                                  std::string(16, '\0') + std::string("\x01\xBB\x01\xBB", 4));
  const struct {
    std::string bytes;
    std::string source;  // empty: the socket's address stands
    std::size_t consumed;
  } cases[] = {
      {"PROXY TCP4 203.0.113.7 192.0.2.1 56324 443\r\nGET /", "203.0.113.7", 44},
      {"PROXY TCP6 2001:DB8::1 2001:db8::2 0 65535\r\n", "2001:db8::1", 44},
      {"PROXY TCP6 ::ffff:198.51.100.9 ::1 1 2\r\n", "198.51.100.9", 40},
      {"PROXY UNKNOWN\r\n", "", 15},
      {"PROXY UNKNOWN ffff:: 1.2.3.4 what ever\r\n\x16\x03", "", 40},
      {v2(0x21, 0x11, kTcp4Addresses) + "\x16\x03\x01", "203.0.113.7", 28},
      {tcp6, "2001:db8::1", 52},
      // TLVs after the addresses are passed over with them.
      {v2(0x21, 0x11, kTcp4Addresses + std::string("\x04\x00\x02xy", 5)), "203.0.113.7", 33},
      // LOCAL (a balancer's health check) and UNSPEC name no client, whatever they hold.
      {v2(0x20, 0x11, kTcp4Addresses), "", 28},
      {v2(0x20, 0x00, ""), "", 16},
      {v2(0x21, 0x00, "abc"), "", 19},
      {v2(0x21, 0x31, std::string(216, 'u')), "", 232},
  };
  for (const auto& c : cases) {
    auto header = parse_proxy_header(c.bytes);
    ASSERT_EQ(header.status, Status::complete) << c.bytes << header.error;
    EXPECT_EQ(header.source, c.source) << c.bytes;
    EXPECT_EQ(header.consumed, c.consumed) << c.bytes;
    // Every shorter start needs more, never fails and never completes early.
    for (std::size_t n = 0; n < c.consumed; ++n) {
      EXPECT_EQ(parse_proxy_header(std::string_view(c.bytes).substr(0, n)).status, Status::need_more)
          << c.bytes << " cut at " << n;
    }
  }
}

TEST(ProxyHeader, AVersionOneLineEndsWithinOneHundredAndSevenBytes) {
  const std::string longest = "PROXY UNKNOWN " + std::string(107 - 16, 'x') + "\r\n";
  ASSERT_EQ(longest.size(), kProxyV1MaxLength);
  EXPECT_EQ(parse_proxy_header(longest).consumed, 107u);
  const std::string longer = "PROXY UNKNOWN " + std::string(107 - 15, 'x') + "\r\n";
  EXPECT_EQ(parse_proxy_header(longer.substr(0, 106)).status, Status::need_more);
  EXPECT_EQ(parse_proxy_header(longer.substr(0, 107)).status, Status::malformed);
}

TEST(ProxyHeader, AVersionTwoLengthHoldsItsAddressesAndStaysBounded) {
  EXPECT_EQ(parse_proxy_header(v2(0x21, 0x11, kTcp4Addresses.substr(0, 11))).status, Status::malformed);
  EXPECT_EQ(parse_proxy_header(v2(0x21, 0x21, std::string(35, '\0'))).status, Status::malformed);
  EXPECT_EQ(parse_proxy_header(v2(0x21, 0x31, std::string(215, '\0'))).status, Status::malformed);
  // Refused from the fixed part alone, before any of the body arrives.
  const std::string longest = v2(0x21, 0x11, kTcp4Addresses + std::string(kProxyV2MaxLength - 28, 'T'));
  EXPECT_EQ(parse_proxy_header(longest).status, Status::complete);
  const std::string longer = v2(0x21, 0x11, kTcp4Addresses + std::string(kProxyV2MaxLength - 27, 'T'));
  EXPECT_EQ(parse_proxy_header(longer.substr(0, 16)).status, Status::malformed);
}

TEST(ProxyHeader, RefusesWhatIsNoHeaderAsSoonAsItShows) {
  EXPECT_EQ(parse_proxy_header("PROXY").status, Status::need_more);
  const std::string refused[] = {
      "GET / HTTP/1.1\r\n",
      std::string("\x16\x03\x01\x02\x00", 5),  // a TLS hello
      "PROXX",
      "PROXY TCP4 203.0.113.7 192.0.2.1 56324\r\n",
      "PROXY TCP4 203.0.113.7  192.0.2.1 56324 443\r\n",
      "PROXY TCP4 2001:db8::1 192.0.2.1 56324 443\r\n",
      "PROXY TCP6 203.0.113.7 ::1 56324 443\r\n",
      "PROXY TCP4 203.0.113.07 192.0.2.1 56324 443\r\n",
      "PROXY TCP4 203.0.113.7 192.0.2.1 65536 443\r\n",
      "PROXY UDP4 203.0.113.7 192.0.2.1 1 2\r\n",
      "PROXY TCP4 203.0.113.7 192.0.2.1 1 2\n\r\n",
      std::string("\r\n\r\n\0\r\nQUIZ\n", 12),
      v2(0x11, 0x11, kTcp4Addresses),  // version 1 in binary
      v2(0x22, 0x11, kTcp4Addresses),  // an unknown command
      v2(0x21, 0x12, kTcp4Addresses),  // UDP
      v2(0x21, 0x41, kTcp4Addresses),  // an unknown family
  };
  for (const auto& bytes : refused) {
    auto header = parse_proxy_header(bytes);
    EXPECT_EQ(header.status, Status::malformed) << bytes;
    EXPECT_FALSE(header.error.empty());
  }
}

TEST(AddressBlock, HoldsTheAddressesOfItsPrefixAndOfItsFamilyOnly) {
  const struct {
    std::string_view block;
    std::string_view address;
    bool held;
  } cases[] = {
      {"10.0.0.0/8", "10.255.1.2", true},
      {"10.0.0.0/8", "11.0.0.1", false},
      {"10.1.2.3/8", "10.9.9.9", true},
      {"192.0.2.7", "192.0.2.7", true},
      {"192.0.2.7", "192.0.2.8", false},
      {"192.0.2.0/25", "192.0.2.127", true},
      {"192.0.2.0/25", "192.0.2.128", false},
      {"0.0.0.0/0", "198.51.100.1", true},
      {"0.0.0.0/0", "::1", false},
      {"::/0", "10.0.0.1", false},
      {"10.0.0.0/8", "::ffff:10.0.0.1", false},
      {"2001:db8::/32", "2001:db8:ffff::1", true},
      {"2001:db8::/33", "2001:db8:8000::1", false},
      {"::1", "::1", true},
      {"10.0.0.0/8", "not an address", false},
  };
  for (const auto& c : cases) {
    auto block = AddressBlock::parse(c.block);
    ASSERT_TRUE(block) << c.block;
    EXPECT_EQ(block->contains(c.address), c.held) << c.block << " " << c.address;
  }
  EXPECT_EQ(AddressBlock::parse("10.1.2.3/8")->text(), "10.0.0.0/8");
  for (std::string_view bad :
       {"10.0.0.0/33", "::/129", "10.0.0.0/", "10.0.0/8", "host.example", "", "10.0.0.0/-1"})
    EXPECT_FALSE(AddressBlock::parse(bad)) << bad;
}

}  // namespace
}  // namespace brindle::server
