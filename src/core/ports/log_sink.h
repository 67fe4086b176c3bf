#pragma once

#include <string_view>

namespace brindle::ports {

//! Where the core writes what the user is not shown but whoever runs the program may need: the
//! transport's own words for a failure, a reply that arrived damaged.
class LogSink {
 public:
  virtual ~LogSink() = default;
  //! One line of diagnosis, without a line end.
  virtual void warn(std::string_view text) = 0;
};

}  // namespace brindle::ports
