#include "core/net/network_card_address.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <system_error>

namespace brindle::net {

namespace {

constexpr unsigned long kLoopbackFlag = 0x8;  // IFF_LOOPBACK

bool read_first_line(const std::filesystem::path& file, std::string& line) {
  std::ifstream in(file);
  return in && static_cast<bool>(std::getline(in, line));
}

// "aa:bb:cc:dd:ee:ff"; anything else (InfiniBand's 20 bytes, tunnels without one) is no address.
bool parse_hardware_address(const std::string& text, std::array<std::uint8_t, 6>& address) {
  unsigned int b[6];
  char tail = 0;
  if (std::sscanf(text.c_str(), "%2x:%2x:%2x:%2x:%2x:%2x%c", &b[0], &b[1], &b[2], &b[3], &b[4], &b[5],
                  &tail) != 6) {
    return false;
  }
  for (std::size_t i = 0; i < 6; ++i) address[i] = static_cast<std::uint8_t>(b[i]);
  return std::any_of(address.begin(), address.end(), [](std::uint8_t v) { return v != 0; });
}

}  // namespace

std::vector<NetworkAdapter> list_network_adapters(const std::filesystem::path& folder) {
  std::vector<NetworkAdapter> adapters;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    NetworkAdapter adapter;
    adapter.name = entry.path().filename().string();
    std::string line;
    if (!read_first_line(entry.path() / "ifindex", line)) continue;
    adapter.index = std::atoi(line.c_str());
    if (read_first_line(entry.path() / "flags", line)) {
      adapter.loopback = (std::strtoul(line.c_str(), nullptr, 0) & kLoopbackFlag) != 0;
    }
    if (read_first_line(entry.path() / "address", line)) {
      adapter.has_hardware_address = parse_hardware_address(line, adapter.hardware_address);
    }
    adapters.push_back(std::move(adapter));
  }
  std::sort(adapters.begin(), adapters.end(),
            [](const NetworkAdapter& a, const NetworkAdapter& b) { return a.index < b.index; });
  return adapters;
}

std::string card_address_text(const std::vector<NetworkAdapter>& adapters) {
  for (const NetworkAdapter& adapter : adapters) {
    if (adapter.loopback || !adapter.has_hardware_address) continue;
    const auto& a = adapter.hardware_address;
    char text[14];
    std::snprintf(text, sizeof text, "%02X%02X%02X%02X%02X%02X\n", a[0], a[1], a[2], a[3], a[4], a[5]);
    return text;
  }
  return {};
}

std::string network_card_address() { return card_address_text(list_network_adapters()); }

}  // namespace brindle::net
