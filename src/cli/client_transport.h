#pragma once

#include <iosfwd>

#include "core/app/stderr_log_sink.h"
#include "core/net/client_context.h"
#include "core/net/curl_transport.h"
#include "core/ports/server_key_port.h"

namespace brindle::cli {

// A changed key on the command line: the whole account and, where the user may trust the new key,
// the command that does it once he has checked it. Never trusts anything itself.
class KeyChangeNotice final : public ports::ServerKeyPort {
 public:
  explicit KeyChangeNotice(std::ostream& err) : err_(err) {}
  bool trust_new_key(const ports::ServerKeyChange& change) override;

 private:
  std::ostream& err_;
};

// The commands' transport: the client's own keys beside the settings, libcurl's account of a failure
// on standard error.
class ClientTransport {
 public:
  ClientTransport(const net::ClientContext& context, std::ostream& err);
  net::CurlTransport& operator*() { return transport_; }
  net::CurlTransport* operator->() { return &transport_; }

 private:
  app::StderrLogSink log_;
  KeyChangeNotice notice_;
  net::CurlTransport transport_;
};

// trust HOST:PORT FINGERPRINT: holds the server to that key from now on.
int run_trust_command(const net::ClientContext& context, const std::vector<std::string>& args,
                      std::ostream& out, std::ostream& err);

}  // namespace brindle::cli
