#include "core/notation/totals_notation.h"

#include <cstdlib>

#include "core/notation/decimal_text.h"

namespace brindle::notation {

std::string totals_line_text(int code) {
  if (code == 0) return {};
  const long long e = std::llabs(static_cast<long long>(code)) - 1;
  const long long whole = e / 4;
  switch (e % 4) {
    case 0:
      return std::to_string(whole);
    case 1:
      return std::to_string(whole) + "/" + fixed_decimal(static_cast<double>(e + 1) * 0.25, 1);
    case 2:
      return fixed_decimal(static_cast<double>(e) * 0.25, 1);
    default:
      return fixed_decimal(static_cast<double>(e - 1) * 0.25, 1) + "/" + std::to_string((e + 1) / 4);
  }
}

std::string totals_text_with_side(int code) {
  if (code == 0) return {};
  return totals_line_text(code) + (code < 0 ? " 小" : " 大");
}

}  // namespace brindle::notation
