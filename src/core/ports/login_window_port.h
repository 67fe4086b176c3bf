#pragma once

#include <optional>
#include <string>

namespace brindle::ports {

//! What the Login window hands back when it closes with OK.
struct LoginChoice {
  std::string server;         //!< the drop-down text
  std::string user_name;      //!< UTF-8
  std::string password;       //!< the Masked password box's kept text
  bool visitor = false;       //!< closed by "参观"
  bool private_room = false;  //!< "私人房间": go straight to the private rooms
};

//! The Login window as start-up drives it.
class LoginWindowPort {
 public:
  virtual ~LoginWindowPort() = default;
  //! Runs the window modally; nothing when it was left by "退出" or closed.
  virtual std::optional<LoginChoice> run() = 0;
  //! Empties the user name, the password box and the private-room request for the next showing.
  virtual void clear_entries() = 0;
};

}  // namespace brindle::ports
