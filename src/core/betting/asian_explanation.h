#pragma once

#include <string>
#include <string_view>

#include "core/notation/handicap_side.h"

namespace brindle::betting {

// The paragraph shown before a bet on a football Asian handicap line (goal codes 1..41): for which
// results the bet wins, is refunded in whole or in half, and loses. `giving` is the team listed
// first, `receiving` the other; `price` is the net price of the chosen side. Empty for a code
// outside 1..41.
std::string asian_handicap_explanation(int code, std::string_view giving, std::string_view receiving,
                                       double price, notation::HandicapSide side);

}  // namespace brindle::betting
