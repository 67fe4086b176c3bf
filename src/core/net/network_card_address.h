#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace brindle::net {

// One network adapter as the system lists it.
struct NetworkAdapter {
  std::string name;
  int index = 0;  // the system's order
  bool loopback = false;
  bool has_hardware_address = false;
  std::array<std::uint8_t, 6> hardware_address{};
};

// The adapters under a sysfs-style folder (one sub-folder per adapter with "address", "ifindex" and
// "flags"), in the system's order. Adapters whose files cannot be read are left out.
std::vector<NetworkAdapter> list_network_adapters(const std::filesystem::path& folder = "/sys/class/net");

// Twelve upper-case hexadecimal digits and a line feed for the first adapter with a hardware address,
// loopback excluded; empty when there is none.
std::string card_address_text(const std::vector<NetworkAdapter>& adapters);

// What the Login request sends to identify the machine.
std::string network_card_address();

}  // namespace brindle::net
