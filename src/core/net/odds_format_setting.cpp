#include "core/net/odds_format_setting.h"

#include <array>
#include <utility>

namespace brindle::net {
namespace {

constexpr std::array<std::pair<OddsFormat, std::string_view>, 4> kNames{{
    {OddsFormat::kDecimal, "decimal"},
    {OddsFormat::kHongKong, "hongkong"},
    {OddsFormat::kMalay, "malay"},
    {OddsFormat::kIndonesian, "indonesian"},
}};

}  // namespace

std::string_view odds_format_name(OddsFormat format) {
  for (const auto& [f, name] : kNames) {
    if (f == format) return name;
  }
  return kNames.front().second;
}

std::optional<OddsFormat> parse_odds_format(std::string_view name) {
  for (const auto& [f, n] : kNames) {
    if (n == name) return f;
  }
  return std::nullopt;
}

}  // namespace brindle::net
