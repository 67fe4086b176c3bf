#pragma once

#include <string>

#include "core/net/client_context.h"

namespace brindle::ports {
class ProgressSink;
}

namespace brindle::net {

class Transport;

inline constexpr int kLoginSubject = 3001;
// The mode start-up asks for; any other mode signs in as Login mode 3.
inline constexpr int kLoginRequestModeMember = 1;

struct LoginReply {
  int spare = 0;         // the reply's ninth field, handed to the caller unread
  int new_messages = 0;  // unread private messages waiting
};

// Signs in as `user_name`, sending the Network card address (with its line feed). On Result code 1
// the account figures, the context numbers and the Login mode land in the Client context; a short
// reply leaves the missing fields empty or zero. False with the server's or the transport's text.
bool login_request(ClientContext& context, Transport& transport, ports::ProgressSink& progress,
                   const std::string& user_name, const std::string& password, int mode,
                   const std::string& network_card_address, LoginReply& reply, std::string& error);

}  // namespace brindle::net
