#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "wire/result.h"

namespace brindle::server {

// One line of a list document: a server (host, optionally ":port") with its number, or a proxy
// address with its port.
struct ListEntry {
  std::string text;
  std::int32_t number = 0;
  bool operator==(const ListEntry&) const = default;
};

// What the operator sets; every text is UTF-8 and is written to the wire in GBK.
struct ServerConfig {
  int version = 100;
  std::string login_notice = "欢迎使用澜川国际体育。";
  std::string latest_information = "欢迎光临澜川国际体育，祝您好运！";
  std::string second_information = "走地盘口即时更新，请留意比分变化。";
  // Market lists tell the client it is peak time; accounts that never bought credit then get no rows.
  bool peak_period = false;
  // Every commit waits for the disk (SQLite synchronous=FULL), so a power cut loses no committed
  // bet; off, a crash of the process still loses nothing but a power cut may lose the last commits.
  bool full_sync = false;
  // Absent: the server list names this server itself, so a fresh install is reachable.
  std::optional<std::vector<ListEntry>> servers;
  std::vector<ListEntry> proxies;
};

// Reads the INI-style configuration (UTF-8):
//
//   [server]    version, login_notice, latest_information, second_information, peak_period,
//               full_sync (key = value; the flags are 0 or 1)
//   [servers]   one "text|number" line per server
//   [proxies]   one "address|port" line per proxy
//
// Lines starting with "#" or ";" are comments. Keys left out keep their defaults. Unknown sections
// and keys, texts that cannot travel in one reply field ("|", no GBK form) and bad numbers are
// refused with the line they stand on.
Result<ServerConfig> parse_server_config(std::string_view utf8_text);
Result<ServerConfig> load_server_config(const std::filesystem::path& file);

}  // namespace brindle::server
