#pragma once

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "server/accounts/attempt_limiter.h"
#include "server/http/http_listener.h"
#include "server/market/market.h"
#include "server/http/network_address.h"
#include "server/server_config.h"
#include "server/services.h"
#include "server/http/tls_context.h"
#include "wire/result.h"

namespace brindle::server {

struct ServerOptions {
  std::string address = "127.0.0.1";
  unsigned short port = 0;  // 0 picks a free port
  // Every address to listen on, each with a listener of its own; empty: address and port above.
  std::vector<ListenAddress> listen;
  // Where /healthz and /metrics answer; nowhere when absent.
  std::optional<ListenAddress> operations;
  std::filesystem::path data_dir;
  ServerConfig config;
  ListenerLimits limits;
  unsigned password_iterations = 100'000;           // PBKDF2 rounds for passwords; tests lower it
  market::MarketOptions market;                     // the peak-period flag comes from config.peak_period
  accounts::AttemptLimiter::Clock limiter_clock{};  // limits and sessions; tests step it; empty: steady clock
};

// The reference betting server: its certificate, its SubjectID table and its listeners, serving in
// background threads from start() until stop() or destruction.
class WorkerPool;

class Server final {
 public:
  static Result<std::unique_ptr<Server>> start(ServerOptions options);

  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;
  ~Server();

  // The first listener's port and address.
  unsigned short port() const { return listeners_.front()->port(); }
  // "https://127.0.0.1:47443": the address to print and to hand to a client.
  std::string url() const { return "https://" + listeners_.front()->host(); }
  // One per listener, in the order of ServerOptions::listen.
  std::vector<std::string> urls() const;
  const std::vector<std::unique_ptr<HttpListener>>& listeners() const { return listeners_; }
  // The files served: the operator's (config.certificate and config.private_key), or the
  // self-made pair in the data folder.
  const CertificateFiles& certificate() const { return certificate_; }
  // The TLS context every listener of this server uses for new connections; a listener of other
  // pages (HttpListener::bind) may share it, and so its reloads.
  std::shared_ptr<const TlsContextHolder> tls_context() const { return tls_; }
  // Reads the certificate files again (renewing a self-made certificate that lapses soon), checks
  // them as start() does and serves them to new connections; connections already open keep theirs.
  // Files that fail a check leave the certificate in use as it is, and the failure says why.
  Result<void> reload_certificate();
  // The key fingerprint (key_fingerprint) of the certificate that new connections are served.
  Result<std::string> key_fingerprint() const;
  const ServerServices& services() const { return services_; }
  // The port of the operator's pages, 0 when there are none.
  unsigned short operations_port() const { return operations_ ? operations_->port() : 0; }

  void stop();

 private:
  Server(std::vector<std::unique_ptr<HttpListener>> listeners, std::shared_ptr<WorkerPool> workers,
         CertificateFiles certificate, std::shared_ptr<TlsContextHolder> tls, ServerServices services);

  std::vector<std::unique_ptr<HttpListener>> listeners_;
  std::shared_ptr<WorkerPool> workers_;
  CertificateFiles certificate_;
  std::shared_ptr<TlsContextHolder> tls_;
  std::mutex reload_mutex_;
  ServerServices services_;
  std::unique_ptr<HttpListener> operations_;
};

}  // namespace brindle::server
