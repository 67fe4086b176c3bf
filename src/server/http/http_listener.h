#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "server/http/http_service.h"
#include "server/http/network_address.h"
#include "server/http/router.h"
#include "server/http/tls_certificate.h"
#include "server/http/tls_context.h"
#include "wire/result.h"

namespace brindle::server {

struct ListenerLimits {
  // Longest wait for the first bytes, a TLS handshake, a whole request or the next request on a
  // kept-alive connection; a stalled client is disconnected after it.
  std::chrono::milliseconds io_timeout{30'000};
  // After a refused body the connection is closed for sending at once, and what the client still
  // sends is read and thrown away for at most this long, so that closing does not reset the
  // connection before the client has read the refusal.
  std::chrono::milliseconds linger{2'000};
  std::uint64_t body_limit = 64 * 1024;  // a larger body is answered with 413
  std::uint32_t header_limit = 16 * 1024;
  std::size_t threads = 2;
};

// One listening port that serves both HTTPS and plain HTTP (told apart by the first bytes a client
// sends), HTTP/1.1 with keep-alive, on its own worker threads. The service is told which of the two
// a request came on. A reply that ends the connection is followed by the close at once (TLS
// close_notify, then the socket).
class HttpListener final {
 public:
  // Binds and listens with the TLS context for the certificate files (see make_tls_context);
  // requests are served only after start(). The address is any IPv4 or IPv6
  // address of this machine, the wildcards "0.0.0.0" and "::" included, or "localhost"; port 0 picks
  // a free port. An IPv6 listener takes IPv6 clients only, so "0.0.0.0" and "::" share a port.
  static Result<std::unique_ptr<HttpListener>> bind(const std::string& address, unsigned short port,
                                                    const CertificateFiles& certificate,
                                                    ListenerLimits limits);
  // The same with a TLS context shared with other listeners, whose replacement (a reloaded
  // certificate) all of them use for new connections at once.
  static Result<std::unique_ptr<HttpListener>> bind(const std::string& address, unsigned short port,
                                                    std::shared_ptr<const TlsContextHolder> tls,
                                                    ListenerLimits limits);

  HttpListener(const HttpListener&) = delete;
  HttpListener& operator=(const HttpListener&) = delete;
  ~HttpListener();

  unsigned short port() const;
  // "127.0.0.1:47443" or "[::1]:47443": how a client names this listener (a wildcard as bound,
  // "0.0.0.0:47443" or "[::]:47443").
  std::string host() const;

  // Connections from these addresses (the operator's load balancers) must begin with a PROXY
  // header, version 1 or 2, which names the client the service is told of; one without a whole,
  // well-formed header is closed. Connections from any other address are never read for one. Only
  // before start().
  void trust_proxies(std::vector<AddressBlock> proxies);

  // Serves requests with the service (the betting Router, or any other); has no effect after stop()
  // or a second time.
  void start(std::shared_ptr<const HttpService> service);
  // Stops serving and joins the network threads; the port and the connections stay open until
  // stop(), so that work finishing elsewhere can still hand its answer over. Idempotent.
  void halt();
  // Closes the port and every connection, then joins the worker threads. Idempotent.
  void stop();

 private:
  struct Impl;
  HttpListener(std::unique_ptr<Impl> impl, bool v6, std::string address, unsigned short port);
  std::unique_ptr<Impl> impl_;
  bool v6_;
  std::string address_;
  unsigned short port_;
};

}  // namespace brindle::server
