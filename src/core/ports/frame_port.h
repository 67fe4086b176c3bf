#pragma once

#include "core/ports/window_message.h"

namespace brindle::ports {

//! The Main window as the pages and tickets talk to it: by its messages.
class FramePort {
 public:
  virtual ~FramePort() = default;
  //! Hands the Main window one of its messages with two arguments.
  virtual void post(ports::WindowMessage message, int first, int second) = 0;
};

}  // namespace brindle::ports
