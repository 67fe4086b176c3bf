#pragma once

namespace brindle::ports {

//! A window that edits settings and closes itself when its entries are accepted.
class SettingsWindowPort {
 public:
  virtual ~SettingsWindowPort() = default;
  //! Runs the window modally; true when it closed with its entries written.
  virtual bool run() = 0;
};

}  // namespace brindle::ports
