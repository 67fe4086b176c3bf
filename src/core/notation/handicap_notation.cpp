#include "core/notation/handicap_notation.h"

#include <array>
#include <string_view>

#include "core/notation/decimal_text.h"

namespace brindle::notation {

namespace {

// Names of the whole and half lines, indexed by (code - 1) / 2 for the odd codes 1..41.
constexpr std::array<std::string_view, 21> kOddCodeNames = {
    "平手",   "半球", "一球",   "球半", "两球",   "两球半", "三球",   "三球半", "四球",   "四球半", "五球",
    "五球半", "六球", "六球半", "七球", "七球半", "八球",   "八球半", "九球",   "九球半", "十球"};

std::string odd_code_name(int code) {
  return std::string(kOddCodeNames[static_cast<std::size_t>((code - 1) / 2)]);
}

}  // namespace

std::string handicap_name(int line_kind, int code) {
  if (line_kind == kBasketballLineKind) {
    // Code 0 is "no line"; a negative code is no point handicap either.
    if (code <= 0) return {};
    return fixed_decimal((static_cast<double>(code) - 1.0) * 0.5, 1);
  }
  if (code < kLowestHandicapCode || code > kHighestHandicapCode) return {};
  if (code % 2 == 1) return odd_code_name(code);
  // A quarter line is a stake split over its two neighbours, and is named by them.
  return odd_code_name(code - 1) + "/" + odd_code_name(code + 1);
}

}  // namespace brindle::notation
