#pragma once

#include <optional>
#include <string_view>

namespace brindle::net {

// How the bettor wants prices shown. A display choice only: every request keeps the service's own
// net prices. The enum lives beside the settings file that keeps it; notation/odds_format.h converts.
enum class OddsFormat { kDecimal, kHongKong, kMalay, kIndonesian };

// "decimal", "hongkong", "malay", "indonesian": the settings file's and the command line's words.
std::string_view odds_format_name(OddsFormat format);
std::optional<OddsFormat> parse_odds_format(std::string_view name);

}  // namespace brindle::net
