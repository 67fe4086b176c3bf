#pragma once

#include <string>

namespace brindle::ports {

//! A server presented another key than the one the client holds for it; nothing was sent to it.
struct ServerKeyChange {
  std::string server;     //!< "host:port"
  std::string held;       //!< the fingerprint(s) held, one per line
  std::string presented;  //!< the fingerprint it presented now
  bool built_in = false;  //!< held keys built into the client: the user is told, never asked
  std::string text;       //!< the whole account, UTF-8, as the window shows it
};

class ServerKeyPort {
 public:
  virtual ~ServerKeyPort() = default;
  //! True when the user trusts the new key from now on ("信任"); "不信任" and closing answer false,
  //! as does every answer about a built-in key.
  virtual bool trust_new_key(const ServerKeyChange& change) = 0;
};

}  // namespace brindle::ports
