#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "server/http_listener.h"
#include "server/server_config.h"
#include "wire/result.h"

namespace brindle::server {

struct ServerOptions {
  std::string address = "127.0.0.1";
  unsigned short port = 0;  // 0 picks a free port
  std::filesystem::path data_dir;
  ServerConfig config;
  ListenerLimits limits;
};

// The reference betting server: its certificate, its SubjectID table and its listener, serving in
// background threads from start() until stop() or destruction.
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

  void stop();

 private:
  Server(std::unique_ptr<HttpListener> listener, CertificateFiles certificate);

  std::unique_ptr<HttpListener> listener_;
  CertificateFiles certificate_;
};

}  // namespace brindle::server
