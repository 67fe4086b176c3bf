#pragma once

#include <string>

#include "core/net/client_context.h"

namespace brindle::ports {
class ProgressSink;
}

namespace brindle::net {

class Transport;

inline constexpr int kLatestInformationSubject = 1001;

// Fetches the text of the Main window's running information line into the Client context.
bool latest_information_request(ClientContext& context, Transport& transport, ports::ProgressSink& progress,
                                std::string& error);

}  // namespace brindle::net
