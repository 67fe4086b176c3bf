// A client signed in as alice against a scripted HTTPS server. Header-only: the support library
// stays below the core, and only the suites that link the core include this.

#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/net/client_context.h"
#include "core/net/curl_transport.h"
#include "core/ports/progress_sink.h"
#include "core/protocol/session.h"
#include "support/scripted_https_server.h"
#include "support/scripted_replies.h"

namespace brindle::testing {

// The server and the context that points at it, for code that makes its own transport.
struct ScriptedAccount {
  ScriptedAccount() {
    context.current_server = server.authority();
    context.user_name = "alice";
    context.password = "pw";
  }
  void reply(const std::vector<std::string>& utf8_lines) { server.queue({.body = gbk_reply(utf8_lines)}); }
  std::string para(std::size_t request) const { return request_para(server.requests().at(request)); }
  std::vector<int> subjects() const { return request_subjects(server); }

  ScriptedHttpsServer server;
  net::ClientContext context;
};

// The same with a session over the real transport.
struct ScriptedSession : ScriptedAccount {
  net::CurlTransport transport;
  ports::SilentProgress progress;
  protocol::Session session{transport, progress, context};
};

}  // namespace brindle::testing
