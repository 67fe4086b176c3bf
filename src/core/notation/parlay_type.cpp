#include "core/notation/parlay_type.h"

#include <cstdint>
#include <limits>

#include "core/notation/chinese_numeral.h"

namespace brindle::notation {

namespace {

constexpr long long kSaturated = std::numeric_limits<long long>::max();
constexpr int kMaskBits = 32;
constexpr unsigned kDoublesBit = 1U << 1;

// C(n, r) by the running product, which stays a whole number at every step.
long long binomial(long long n, long long r) {
  long long value = 1;
  for (long long i = 0; i < r; ++i) {
    long long product = 0;
    if (__builtin_mul_overflow(value, n - i, &product)) return kSaturated;
    value = product / (i + 1);
  }
  return value;
}

}  // namespace

long long combination_count(int n, int mask) {
  if (n < 1) return 0;
  const auto bits = static_cast<std::uint32_t>(mask);
  long long total = 0;
  for (int k = 0; k < n && k < kMaskBits; ++k) {
    if ((bits & (1U << k)) == 0) continue;
    const long long bets = binomial(n, k + 1);
    if (bets == kSaturated || __builtin_add_overflow(total, bets, &total)) return kSaturated;
  }
  return total;
}

std::string parlay_type_name(int n, int mask) {
  if (n < 1) return {};
  if (n == 1) return "单式投注";
  const long long bets = combination_count(n, mask);
  const std::string matches_text = chinese_numeral(n);
  const std::string bets_text = chinese_numeral(bets);
  if (matches_text.empty() || bets_text.empty()) return {};
  std::string name = matches_text + "串" + bets_text;
  const bool doubles = (static_cast<std::uint32_t>(mask) & kDoublesBit) != 0;
  // 五串十 is either all doubles or all trebles, 六串十五 either all doubles or all quadruples.
  if (n == 5 && bets == 10) name += doubles ? "(对关)" : "(三关)";
  if (n == 6 && bets == 15) name += doubles ? "(对关)" : "(四关)";
  return name;
}

}  // namespace brindle::notation
