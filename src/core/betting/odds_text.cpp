#include "core/betting/odds_text.h"

#include "core/betting/decimal_text.h"

namespace brindle::betting {

std::string displayed_odds(double price) { return fixed_decimal(price + 1.0, 3); }

}  // namespace brindle::betting
