#pragma once

#include <string>

namespace brindle::ports {

//! The Progress window as the transport sees it: one text line behind which the owner is disabled.
class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  //! The exchange starts: disable the owner, show the window with its initial text.
  virtual void begin() = 0;
  //! Show one of the Request's Progress texts (connecting, sending, reading).
  virtual void show_text(const std::string& utf8_text) = 0;
  //! Called periodically while waiting on the network: repaint, drop user input.
  virtual void pump() = 0;
  //! The exchange is over, successful or not: re-enable the owner, hide the window.
  virtual void end() = 0;
};

//! A Progress window that shows nothing: for the command line and for tests.
class SilentProgress final : public ProgressSink {
 public:
  void begin() override {}
  void show_text(const std::string&) override {}
  void pump() override {}
  void end() override {}
};

}  // namespace brindle::ports
