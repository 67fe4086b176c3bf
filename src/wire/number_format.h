#pragma once

#include <cstdint>
#include <string>

namespace brindle::wire {

// Fixed-width numbers for request fields that hold several numbers one after another. They follow
// printf's integer precision: at least `digits` digits, zero-padded, a minus sign in front of the
// padding ("%.6d" of -42 is "-000042"); a wider number keeps all its digits.
std::string zero_padded(std::int64_t value, int digits);

std::string number_field(std::int64_t value);  // "%.10d": match and event numbers
std::string stake_field(std::int64_t value);   // "%.6d"

// A net price in thousandths as requests carry it: price × 1000 + 0.5, truncated toward zero
// (0.875 is 875, 0.8756 is 876). Clamped to int; not a number reads 0.
int price_thousandths(double price);

std::string price_field8(double price);  // "%.8d" of price_thousandths
std::string price_field7(double price);  // "%.7d" of price_thousandths

}  // namespace brindle::wire
