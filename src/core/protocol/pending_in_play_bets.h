#pragma once

#include <array>
#include <cstddef>
#include <optional>

namespace brindle::protocol {

// A delayed in-play bet waiting for its acceptance delay to run out.
struct PendingInPlayBet {
  int bet_number = 0;  // from the bet reply, named in the follow-up
  int match_number = 0;
  int market_type = 0;
  int delay = 0;  // seconds
  int ticks = 0;
};

// The table of delayed in-play bets, one slot (and one timer of the same number) per bet.
// Slot numbers are handed out in turn and start again at 0 after the last; a slot whose bet is
// still waiting is skipped rather than overwritten, so a burst of bets never loses one.
class PendingInPlayBets final {
 public:
  static constexpr std::size_t kSlots = 50;

  // The slot of the new bet; nothing when every slot is still waiting.
  std::optional<std::size_t> add(const PendingInPlayBet& bet);

  enum class Tick { kWaiting, kDue, kEmptySlot };
  // One second of the slot's timer. kDue when the delay has run out: the slot is freed and the
  // caller sends the confirmation and the follow-up for the bet `due` receives.
  Tick tick(std::size_t slot, PendingInPlayBet* due = nullptr);

  const PendingInPlayBet* find(std::size_t slot) const;
  std::size_t waiting() const;

 private:
  std::array<std::optional<PendingInPlayBet>, kSlots> slots_{};
  std::size_t next_ = 0;
};

}  // namespace brindle::protocol
