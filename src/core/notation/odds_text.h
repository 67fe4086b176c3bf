#pragma once

#include <string>

namespace brindle::notation {

// Displayed odds of a net price: price + 1 with three decimals (0.95 shows as "1.950").
std::string displayed_odds(double price);

}  // namespace brindle::notation
