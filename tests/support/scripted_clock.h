#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <memory>

#include "core/ports/clock_port.h"

namespace brindle::testing {

// A clock that moves only when the test says so; every timer ticks once per whole period passed.
// Timers may be started and stopped from inside a tick.
class ScriptedClock final : public ports::ClockPort {
 public:
  std::unique_ptr<ports::TimerHandle> every(std::chrono::milliseconds period,
                                            std::function<void()> tick) override {
    const int id = next_id_++;
    timers_[id] = std::make_shared<Timer>(Timer{period, now_ + period, std::move(tick)});
    return std::make_unique<Handle>(*this, id);
  }

  // Moves the clock on by whole seconds, one at a time, firing what falls due.
  void advance_seconds(int seconds) {
    for (int i = 0; i < seconds; ++i) {
      now_ += std::chrono::seconds(1);
      auto due = timers_;  // ticks may start or stop timers
      for (auto& [id, timer] : due) {
        if (!timers_.count(id) || timer->next > now_) continue;
        timer->next += timer->period;
        const auto keep = timer;  // a tick that stops its own timer stays alive until it returns
        keep->tick();
      }
    }
  }
  std::size_t running() const { return timers_.size(); }

 private:
  struct Timer {
    std::chrono::milliseconds period;
    std::chrono::milliseconds next;
    std::function<void()> tick;
  };
  class Handle final : public ports::TimerHandle {
   public:
    Handle(ScriptedClock& clock, int id) : clock_(clock), id_(id) {}
    ~Handle() override { clock_.timers_.erase(id_); }

   private:
    ScriptedClock& clock_;
    int id_;
  };

  std::chrono::milliseconds now_{0};
  int next_id_ = 0;
  std::map<int, std::shared_ptr<Timer>> timers_;
};

}  // namespace brindle::testing
