#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace brindle::protocol {

// One leg that the parlay ticket has chosen, with what the checks and the explanation need.
struct ParlaySelection {
  int match_number = 0;
  int market_type = 0;
  int selection_number = 0;
  int line_code = 0;
  int line_kind = 0;  // of the match: 9 = basketball
  bool neutral_venue = false;
  std::string league;
  std::string kick_off_date;
  std::string kick_off_time;
  std::string second_date;
  std::string second_time;
  std::string home_team;
  std::string away_team;
  double price = 0.0;  // net
};

// A stake for every combination of k + 1 legs whose bit k is set in the mask (1 = singles).
struct ParlayTypeEntry {
  int combination_mask = 0;
  int stake = 0;  // whole currency units
};

inline constexpr std::size_t kMaxParlaySelections = 10;
inline constexpr const char* kTooManySelectionsMessage = "在一次过关中，最多只能选择十场比赛...";
inline constexpr const char* kSameMatchMessage = "在一次过关中，您不能投注于同一场比赛...";
inline constexpr const char* kSameFixtureMessage = "在一次过关中，您不能投注于同一场比赛....";
// A single combination paying more than this raises the ticket's over-limit notice.
inline constexpr double kPayoutLimit = 500000.0;

struct PayoutEstimate {
  double highest_payout = 0.0;
  bool over_limit = false;
};

// The masks of the parlay types offered for n legs, in the types list's order: every size from all
// n legs down to doubles, then every combination of every size (n ≤ 6); all legs together only
// beyond six; a single for one leg; nothing for none.
std::vector<int> offered_type_masks(std::size_t n);

// The parlay ticket's legs and stakes, with the checks made before anything is sent.
class ParlaySlip final {
 public:
  // Appends the selection, or refuses it with the message to show (nothing is changed then).
  std::optional<std::string> add(ParlaySelection selection);
  // False (and no change) for an index past the end.
  bool remove(std::size_t index);
  // Replaces the stake of the entry with this mask, or appends a new entry.
  void set_stake(int combination_mask, int stake);
  // The offered types with stakes 0 when their number is not that of the legs' count any more;
  // true when it rebuilt them. Beyond six legs the single row is kept, stake and all, until the
  // count changes: a refresh must not wipe what the user typed.
  bool rebuild_types_if_needed();
  std::size_t types_built_for() const { return types_built_for_; }
  // Takes a fresh selection number and price into a held leg; false for an index past the end.
  bool reprice(std::size_t index, int selection_number, double price);
  void clear();

  const std::vector<ParlaySelection>& selections() const { return selections_; }
  const std::vector<ParlayTypeEntry>& type_entries() const { return type_entries_; }

  long long total_stake() const;
  PayoutEstimate highest_payout() const;

 private:
  std::vector<ParlaySelection> selections_;
  std::vector<ParlayTypeEntry> type_entries_;
  std::size_t types_built_for_ = 0;  // the leg count of the last rebuild
};

// The theoretical highest payout of the legs' prices under the type entries.
PayoutEstimate theoretical_highest_payout(const std::vector<double>& prices,
                                          const std::vector<ParlayTypeEntry>& type_entries);

// The number of bets of the type entries over n legs, times their stakes.
long long parlay_total_stake(std::size_t n, const std::vector<ParlayTypeEntry>& type_entries);

}  // namespace brindle::protocol
