#pragma once

#include <string>
#include <string_view>

#include "core/notation/handicap_side.h"

namespace brindle::betting {

// The paragraph shown before a bet on a basketball point handicap line: an odd code is a whole
// number of points (with a refund on the exact margin), an even code a half-point line. `giving`
// is the team listed first, `receiving` the other; `price` is the net price of the chosen side.
// Empty for a code below 1, which is no line.
std::string basketball_handicap_explanation(int code, std::string_view giving, std::string_view receiving,
                                            double price, notation::HandicapSide side);

}  // namespace brindle::betting
