#include "core/notation/price_balance.h"

namespace brindle::notation {

BalancedPrices balance_prices(int target_hundredths, double first, double second) {
  const double shift = (static_cast<double>(target_hundredths) - (first + second) * 100.0) * 0.005;
  return {first + shift, second + shift};
}

}  // namespace brindle::notation
