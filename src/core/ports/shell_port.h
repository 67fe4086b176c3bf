#pragma once

#include <string>

namespace brindle::ports {

//! The desktop's shell: addresses in the user's browser, programs started beside the client.
class ShellPort {
 public:
  virtual ~ShellPort() = default;
  //! Opens an address (or a document) in the user's browser, maximised where the desktop allows.
  virtual void open_address(const std::string& address) = 0;
  //! Whether `path` names a file that can be opened for reading.
  virtual bool file_exists(const std::string& path) = 0;
  //! Starts a program without arguments and without waiting; false when it could not be started.
  virtual bool start_program(const std::string& path) = 0;
};

}  // namespace brindle::ports
