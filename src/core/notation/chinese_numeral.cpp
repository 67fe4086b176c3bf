#include "core/notation/chinese_numeral.h"

#include <array>
#include <cstddef>
#include <string_view>

namespace brindle::notation {

namespace {

constexpr long long kTenDigitsLimit = 10'000'000'000LL;

constexpr std::array<std::string_view, 10> kDigits = {"",   "一", "二", "三", "四",
                                                      "五", "六", "七", "八", "九"};
// The unit of each position; 万 and 亿 also close their section.
constexpr std::array<std::string_view, 10> kUnits = {"",   "十", "百", "千", "万",
                                                     "十", "百", "千", "亿", "十"};

// Whether any digit of the section that position p closes (万: positions 4..7, 亿: 8 and 9) is set.
bool section_has_digits(long long n, int p) {
  if (p == 4) return (n / 10'000) % 10'000 != 0;
  if (p == 8) return n / 100'000'000 != 0;
  return false;
}

}  // namespace

std::string chinese_numeral(long long n) {
  if (n < 0 || n >= kTenDigitsLimit) return {};
  if (n == 0) return "零";
  std::string text;
  int below = 0;
  long long rest = n;
  for (int p = 0; rest > 0; ++p, rest /= 10) {
    const int d = static_cast<int>(rest % 10);
    const std::size_t pos = static_cast<std::size_t>(p);
    std::string piece;
    if (d > 0) {
      // 十二, not 一十二; but 一百一十.
      if (!(p == 1 && d == 1 && n < 20)) piece += kDigits[static_cast<std::size_t>(d)];
      piece += kUnits[pos];
    } else {
      if (p > 0 && below != 0) piece = "零";
      // 十万 and 二十亿 need their section unit even though its own digit is 0.
      if (section_has_digits(n, p)) piece = std::string(kUnits[pos]) + piece;
    }
    text.insert(0, piece);
    below = d;
  }
  return text;
}

}  // namespace brindle::notation
