#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace brindle::ports {

//! A running timer; destroying the handle stops it (also from inside its own tick).
class TimerHandle {
 public:
  virtual ~TimerHandle() = default;
};

//! Time as the core sees it: repeating timers that tick on the user-interface thread, so that time
//! limits and follow-ups run under tests without sleeping.
class ClockPort {
 public:
  virtual ~ClockPort() = default;
  virtual std::unique_ptr<TimerHandle> every(std::chrono::milliseconds period,
                                             std::function<void()> tick) = 0;
};

}  // namespace brindle::ports
