#include "core/notation/odds_text.h"

#include "core/notation/decimal_text.h"

namespace brindle::notation {

std::string displayed_odds(double price) { return fixed_decimal(price + 1.0, 3); }

}  // namespace brindle::notation
