#include "wire/number_format.h"

#include <array>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

namespace brindle::wire {

std::string zero_padded(std::int64_t value, int digits) {
  std::array<char, 48> buf{};
  const int precision = digits < 0 ? 0 : (digits > 30 ? 30 : digits);
  const int n = std::snprintf(buf.data(), buf.size(), "%.*lld", precision, static_cast<long long>(value));
  return n > 0 ? std::string(buf.data(), static_cast<std::size_t>(n)) : std::string();
}

std::string number_field(std::int64_t value) { return zero_padded(value, 10); }

std::string stake_field(std::int64_t value) { return zero_padded(value, 6); }

int price_thousandths(double price) {
  const double scaled = price * 1000.0 + 0.5;
  if (std::isnan(scaled)) return 0;
  if (scaled >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (scaled <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(scaled);
}

std::string price_field8(double price) { return zero_padded(price_thousandths(price), 8); }

std::string price_field7(double price) { return zero_padded(price_thousandths(price), 7); }

}  // namespace brindle::wire
