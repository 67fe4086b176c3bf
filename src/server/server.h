#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "server/accounts/attempt_limiter.h"
#include "server/http_listener.h"
#include "server/market/market.h"
#include "server/server_config.h"
#include "server/services.h"
#include "wire/result.h"

namespace brindle::server {

struct ServerOptions {
  std::string address = "127.0.0.1";
  unsigned short port = 0;  // 0 picks a free port
  std::filesystem::path data_dir;
  ServerConfig config;
  ListenerLimits limits;
  unsigned password_iterations = 100'000;           // PBKDF2 rounds for passwords; tests lower it
  market::MarketOptions market;                     // the peak-period flag comes from config.peak_period
  accounts::AttemptLimiter::Clock limiter_clock{};  // limits and sessions; tests step it; empty: steady clock
};

// The reference betting server: its certificate, its SubjectID table and its listener, serving in
// background threads from start() until stop() or destruction.
class WorkerPool;

class Server final {
 public:
  static Result<std::unique_ptr<Server>> start(ServerOptions options);

  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;
  ~Server();

  unsigned short port() const { return listener_->port(); }
  // "https://127.0.0.1:47443": the address to print and to hand to a client.
  std::string url() const { return "https://" + listener_->host(); }
  const CertificateFiles& certificate() const { return certificate_; }
  const ServerServices& services() const { return services_; }

  void stop();

 private:
  Server(std::unique_ptr<HttpListener> listener, std::shared_ptr<WorkerPool> workers,
         CertificateFiles certificate, ServerServices services);

  std::unique_ptr<HttpListener> listener_;
  std::shared_ptr<WorkerPool> workers_;
  CertificateFiles certificate_;
  ServerServices services_;
};

}  // namespace brindle::server
