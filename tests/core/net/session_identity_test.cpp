// The Digest text, the Registration signature and the Network card address.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "core/net/digest.h"
#include "core/net/network_card_address.h"
#include "support/temp_dir.h"

namespace {

using brindle::testing::TempDir;
using brindle::testing::write_file;

TEST(DigestText, IsUpperCaseMd5WithATrailingSpace) {
  EXPECT_EQ(brindle::net::digest_text(""), "D41D8CD98F00B204E9800998ECF8427E ");
  EXPECT_EQ(brindle::net::digest_text("abc"), "900150983CD24FB0D6963F7D28E17F72 ");
  // Chinese text is hashed as its GBK bytes ("中" is D6 D0), not as UTF-8.
  EXPECT_EQ(brindle::net::digest_text("中"), "5301DA37E5FFCA1823A5CEF67488D4BF ");
}

TEST(RegistrationSignature, IsLowerCaseHexDependingOnBothInputs) {
  const std::string a = brindle::net::registration_signature("demo", "secret");
  ASSERT_EQ(a.size(), 32u);
  EXPECT_TRUE(
      std::all_of(a.begin(), a.end(), [](char c) { return std::isdigit(c) || (c >= 'a' && c <= 'f'); }));
  EXPECT_NE(a, brindle::net::registration_signature("demo", "secret2"));
  EXPECT_NE(a, brindle::net::registration_signature("demo2", "secret"));
  EXPECT_EQ(a, brindle::net::registration_signature("demo", "secret"));

  // MD5(lower(MD5("583brindle" + user) + " ") + lower(MD5(password + "20130611") + " ")), worked out
  // independently.
  EXPECT_EQ(a, "b32850ed11fe319143ce867876d11032");
}

void add_adapter(const TempDir& dir, const std::string& name, int index, const std::string& flags,
                 const std::string& address) {
  const auto folder = dir / name;
  std::filesystem::create_directories(folder);
  write_file(folder / "ifindex", std::to_string(index) + "\n");
  write_file(folder / "flags", flags + "\n");
  write_file(folder / "address", address + "\n");
}

TEST(NetworkCardAddress, FirstAdapterWithAnAddressInTheSystemsOrderSkippingLoopback) {
  TempDir dir;
  add_adapter(dir, "lo", 1, "0x9", "00:00:00:00:00:00");
  add_adapter(dir, "tun0", 2, "0x1091", "");
  add_adapter(dir, "wlan0", 4, "0x1003", "aa:bb:cc:dd:ee:01");
  add_adapter(dir, "eth0", 3, "0x1003", "0a:1b:2c:3d:4e:5f");
  const auto adapters = brindle::net::list_network_adapters(dir.path());
  ASSERT_EQ(adapters.size(), 4u);
  EXPECT_TRUE(adapters[0].loopback);
  EXPECT_FALSE(adapters[1].has_hardware_address);
  EXPECT_EQ(brindle::net::card_address_text(adapters), "0A1B2C3D4E5F\n");
}

TEST(NetworkCardAddress, EmptyWithoutAnUsableAdapter) {
  TempDir dir;
  EXPECT_EQ(brindle::net::card_address_text(brindle::net::list_network_adapters(dir / "missing")), "");
  add_adapter(dir, "lo", 1, "0x9", "00:11:22:33:44:55");
  EXPECT_EQ(brindle::net::card_address_text(brindle::net::list_network_adapters(dir.path())), "");
}

TEST(NetworkCardAddress, ThisMachinesTextIsTwelveDigitsAndALineFeedOrEmpty) {
  const std::string text = brindle::net::network_card_address();
  if (text.empty()) GTEST_SKIP() << "no network adapter with a hardware address here";
  ASSERT_EQ(text.size(), 13u);
  EXPECT_EQ(text.back(), '\n');
  EXPECT_TRUE(std::all_of(text.begin(), text.end() - 1,
                          [](char c) { return std::isdigit(c) || (c >= 'A' && c <= 'F'); }));
}

}  // namespace
