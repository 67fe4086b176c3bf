#include "server/storage/timestamp.h"

#include <chrono>
#include <ctime>

#include "wire/ole_date.h"

namespace brindle::server::storage {

std::int64_t now_unix_seconds() {
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

double ole_from_unix(std::int64_t unix_seconds) {
  const auto seconds = static_cast<std::time_t>(unix_seconds);
  std::tm local{};
  localtime_r(&seconds, &local);
  wire::CivilDateTime civil{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                            local.tm_hour,        local.tm_min,     local.tm_sec};
  return wire::civil_to_ole(civil).value_or(0.0);
}

std::optional<std::int64_t> unix_from_range_text(std::string_view text) {
  if (text.size() != 14) return std::nullopt;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  auto number = [&](std::size_t at, std::size_t width) {
    int value = 0;
    for (std::size_t i = at; i < at + width; ++i) value = value * 10 + (text[i] - '0');
    return value;
  };
  wire::CivilDateTime civil{number(0, 4), number(4, 2),  number(6, 2),
                            number(8, 2), number(10, 2), number(12, 2)};
  if (!wire::is_valid_civil(civil)) return std::nullopt;
  std::tm local{};
  local.tm_year = civil.year - 1900;
  local.tm_mon = civil.month - 1;
  local.tm_mday = civil.day;
  local.tm_hour = civil.hour;
  local.tm_min = civil.minute;
  local.tm_sec = civil.second;
  local.tm_isdst = -1;
  const std::time_t seconds = std::mktime(&local);
  if (seconds == static_cast<std::time_t>(-1)) return std::nullopt;
  return static_cast<std::int64_t>(seconds);
}

}  // namespace brindle::server::storage
