#pragma once

#include <string>

#include "core/net/client_context.h"

namespace brindle::ports {
class ProgressSink;
}

namespace brindle::net {

class Transport;

inline constexpr int kVersionCheckSubject = 13002;
// How many configured servers the Version check falls back to when the current one cannot be reached.
inline constexpr std::size_t kVersionCheckFailoverServers = 4;

struct VersionCheckResult {
  int local_version = 0;   // SYSTEM / "Version"
  int server_version = 0;  // 0 when the server did not answer
};

// Asks the current server for its version, falling over silently to the first four configured
// servers (each becomes the current server as it is tried). True when a server answered with Result
// code 1; `error` holds the server's message, or the last transport failure when none answered.
bool version_check(ClientContext& context, Transport& transport, ports::ProgressSink& progress,
                   VersionCheckResult& result, std::string& error);

}  // namespace brindle::net
