#include "core/protocol/pending_in_play_bets.h"

#include <algorithm>

namespace brindle::protocol {

std::optional<std::size_t> PendingInPlayBets::add(const PendingInPlayBet& bet) {
  for (std::size_t tried = 0; tried < kSlots; ++tried) {
    const std::size_t slot = next_;
    next_ = (next_ + 1) % kSlots;
    if (slots_[slot]) continue;
    slots_[slot] = bet;
    slots_[slot]->ticks = 0;
    return slot;
  }
  return std::nullopt;
}

PendingInPlayBets::Tick PendingInPlayBets::tick(std::size_t slot, PendingInPlayBet* due) {
  if (slot >= kSlots || !slots_[slot]) return Tick::kEmptySlot;
  PendingInPlayBet& bet = *slots_[slot];
  if (bet.ticks > bet.delay) {
    if (due) *due = bet;
    slots_[slot].reset();
    return Tick::kDue;
  }
  ++bet.ticks;
  return Tick::kWaiting;
}

const PendingInPlayBet* PendingInPlayBets::find(std::size_t slot) const {
  return slot < kSlots && slots_[slot] ? &*slots_[slot] : nullptr;
}

std::size_t PendingInPlayBets::waiting() const {
  return static_cast<std::size_t>(
      std::count_if(slots_.begin(), slots_.end(), [](const auto& s) { return s.has_value(); }));
}

}  // namespace brindle::protocol
