#pragma once

namespace brindle::ports {

//! The Main window as start-up runs it.
class MainWindowPort {
 public:
  virtual ~MainWindowPort() = default;
  //! Runs the window modally until the user leaves; `private_room` asks it to open the private rooms.
  virtual void run(bool private_room) = 0;
};

}  // namespace brindle::ports
