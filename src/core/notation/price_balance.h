#pragma once

namespace brindle::notation {

struct BalancedPrices final {
  double first = 0.0;
  double second = 0.0;
};

// Shifts both net prices of a two-way line by the same amount so that they add up to the line's
// price-sum target (in hundredths: 190 means 1.90); their difference stays as it was.
BalancedPrices balance_prices(int target_hundredths, double first, double second);

}  // namespace brindle::notation
