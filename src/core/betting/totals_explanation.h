#pragma once

#include <string>

namespace brindle::betting {

// The paragraph shown before a bet on a totals line: a positive code is over, a negative one under;
// the basketball line kind words it in points, any other in goals. `price` is the net price.
// Empty for code 0, which is no line.
std::string totals_explanation(int code, int line_kind, double price);

}  // namespace brindle::betting
