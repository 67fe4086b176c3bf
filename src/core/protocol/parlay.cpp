#include "core/protocol/parlay.h"

#include <algorithm>
#include <functional>
#include <limits>

#include "core/notation/parlay_type.h"

namespace brindle::protocol {
namespace {

// Beyond this many legs the ticket shows no estimate.
constexpr std::size_t kMaxEstimatedSelections = 50;
// Up to this many legs every size of combination is offered.
constexpr std::size_t kMaxOfferedCombinations = 6;
constexpr std::size_t kMaxMaskBits = 31;

}  // namespace

std::optional<std::string> ParlaySlip::add(ParlaySelection selection) {
  if (selections_.size() >= kMaxParlaySelections) return std::string(kTooManySelectionsMessage);
  std::optional<std::string> refusal;
  for (const auto& held : selections_) {
    if (held.match_number == selection.match_number) refusal = kSameMatchMessage;
    if (held.home_team == selection.home_team && held.away_team == selection.away_team &&
        held.kick_off_date == selection.kick_off_date) {
      refusal = kSameFixtureMessage;
    }
  }
  if (refusal) return refusal;
  selections_.push_back(std::move(selection));
  return std::nullopt;
}

bool ParlaySlip::remove(std::size_t index) {
  if (index >= selections_.size()) return false;
  selections_.erase(selections_.begin() + static_cast<std::ptrdiff_t>(index));
  return true;
}

void ParlaySlip::set_stake(int combination_mask, int stake) {
  const auto it = std::find_if(
      type_entries_.begin(), type_entries_.end(),
      [combination_mask](const ParlayTypeEntry& e) { return e.combination_mask == combination_mask; });
  if (it != type_entries_.end()) {
    it->stake = stake;
  } else {
    type_entries_.push_back({combination_mask, stake});
  }
}

std::vector<int> offered_type_masks(std::size_t n) {
  if (n == 0) return {};
  if (n > kMaxMaskBits) return {};
  if (n > kMaxOfferedCombinations) return {1 << (n - 1)};
  std::vector<int> masks;
  for (std::size_t k = n; k >= 2; --k) masks.push_back(1 << (k - 1));
  masks.push_back((1 << n) - 1);
  return masks;
}

bool ParlaySlip::reprice(std::size_t index, int selection_number, double price) {
  if (index >= selections_.size()) return false;
  selections_[index].selection_number = selection_number;
  selections_[index].price = price;
  return true;
}

bool ParlaySlip::rebuild_types_if_needed() {
  const std::size_t n = selections_.size();
  if (n == types_built_for_ && type_entries_.size() == offered_type_masks(n).size()) return false;
  type_entries_.clear();
  for (const int mask : offered_type_masks(n)) type_entries_.push_back({mask, 0});
  types_built_for_ = n;
  return true;
}

void ParlaySlip::clear() {
  selections_.clear();
  type_entries_.clear();
  types_built_for_ = 0;
}

long long parlay_total_stake(std::size_t n, const std::vector<ParlayTypeEntry>& type_entries) {
  long long total = 0;
  for (const auto& e : type_entries) {
    long long bets = notation::combination_count(static_cast<int>(n), e.combination_mask);
    long long part = 0;
    // Saturate rather than wrap: an absurd mask must not show a small or negative total.
    if (__builtin_mul_overflow(bets, static_cast<long long>(e.stake), &part) ||
        __builtin_add_overflow(total, part, &total)) {
      return std::numeric_limits<long long>::max();
    }
  }
  return total;
}

long long ParlaySlip::total_stake() const { return parlay_total_stake(selections_.size(), type_entries_); }

PayoutEstimate ParlaySlip::highest_payout() const {
  std::vector<double> prices;
  prices.reserve(selections_.size());
  for (const auto& s : selections_) prices.push_back(s.price);
  return theoretical_highest_payout(prices, type_entries_);
}

PayoutEstimate theoretical_highest_payout(const std::vector<double>& prices,
                                          const std::vector<ParlayTypeEntry>& type_entries) {
  PayoutEstimate estimate;
  const std::size_t n = prices.size();
  if (n > kMaxEstimatedSelections || type_entries.empty()) return estimate;

  // The sum over every k-leg combination of the product of its odds is the k-th elementary
  // symmetric sum of the odds: built in O(n²) instead of visiting C(n, k) combinations.
  std::vector<double> odds;
  odds.reserve(n);
  for (const double price : prices) odds.push_back(price + 1.0);
  std::vector<double> sums(n + 1, 0.0);
  sums[0] = 1.0;
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = i + 1; j >= 1; --j) sums[j] += sums[j - 1] * odds[i];
  }
  // The dearest combination of k legs is that of the k highest odds.
  std::vector<double> highest = odds;
  std::sort(highest.begin(), highest.end(), std::greater<>());
  std::vector<double> top_products(n + 1, 1.0);
  for (std::size_t k = 1; k <= n; ++k) top_products[k] = top_products[k - 1] * highest[k - 1];

  for (const auto& entry : type_entries) {
    if (entry.stake <= 0) continue;
    const double stake = entry.stake;
    const auto mask = static_cast<unsigned>(entry.combination_mask);
    for (std::size_t k = 1; k <= n && k <= 32; ++k) {
      if ((mask >> (k - 1) & 1u) == 0) continue;
      estimate.highest_payout += sums[k] * stake;
      if (top_products[k] * stake > kPayoutLimit) estimate.over_limit = true;
    }
  }
  return estimate;
}

}  // namespace brindle::protocol
