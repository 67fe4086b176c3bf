#pragma once

#include <string>

#include "core/net/client_context.h"

namespace brindle::ports {
class ProgressSink;
}

namespace brindle::net {

class Transport;

inline constexpr int kMemberDetailsSubject = 3032;

// The second step of signing in: fills the Client context's member details. On success the reply
// carries no message, its second field is already the first detail.
bool member_details_request(ClientContext& context, Transport& transport, ports::ProgressSink& progress,
                            std::string& error);

}  // namespace brindle::net
