#pragma once

#include "core/ports/clock_port.h"

namespace brindle::gui {

// The core's timers as QTimers on the user-interface thread.
class QtClock final : public ports::ClockPort {
 public:
  std::unique_ptr<ports::TimerHandle> every(std::chrono::milliseconds period,
                                            std::function<void()> tick) override;
};

}  // namespace brindle::gui
