#include "core/notation/decimal_text.h"

#include <array>
#include <charconv>
#include <system_error>

namespace brindle::notation {

std::string fixed_decimal(double value, int digits) {
  // Wide enough for the largest double written out in full.
  std::array<char, 400> buf{};
  const auto [end, ec] =
      std::to_chars(buf.data(), buf.data() + buf.size(), value, std::chars_format::fixed, digits);
  if (ec != std::errc{}) return {};
  return std::string(buf.data(), end);
}

}  // namespace brindle::notation
