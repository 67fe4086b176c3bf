#include "server/server.h"

#include <system_error>
#include <utility>

#include "server/dispatcher.h"
#include "server/handlers/session_handlers.h"
#include "server/router.h"
#include "server/tls_certificate.h"

namespace brindle::server {
namespace {

Result<std::shared_ptr<const Dispatcher>> make_dispatcher(const std::shared_ptr<const ServerConfig>& config) {
  auto dispatcher = std::make_shared<Dispatcher>();
  if (auto added = add_session_handlers(*dispatcher, config); !added) {
    return Result<std::shared_ptr<const Dispatcher>>::failure(added.error());
  }
  return std::shared_ptr<const Dispatcher>(std::move(dispatcher));
}

}  // namespace

Server::Server(std::unique_ptr<HttpListener> listener, CertificateFiles certificate)
    : listener_(std::move(listener)), certificate_(std::move(certificate)) {}

Server::~Server() { stop(); }

void Server::stop() { listener_->stop(); }

Result<std::unique_ptr<Server>> Server::start(ServerOptions options) {
  using Failure = Result<std::unique_ptr<Server>>;
  if (options.data_dir.empty()) return Failure::failure("no data folder given");
  std::error_code ec;
  std::filesystem::create_directories(options.data_dir, ec);
  if (ec)
    return Failure::failure("cannot create the data folder " + options.data_dir.string() + ": " +
                            ec.message());

  auto certificate = ensure_certificate(options.data_dir);
  if (!certificate) return Failure::failure(certificate.error());

  auto config = std::make_shared<const ServerConfig>(std::move(options.config));
  auto dispatcher = make_dispatcher(config);
  if (!dispatcher) return Failure::failure(dispatcher.error());

  auto listener = HttpListener::bind(options.address, options.port, certificate.value(), options.limits);
  if (!listener) return Failure::failure(listener.error());

  auto router = std::make_shared<const Router>(dispatcher.value(), config, listener.value()->host());
  listener.value()->start(std::move(router));
  return std::unique_ptr<Server>(new Server(std::move(listener).value(), std::move(certificate).value()));
}

}  // namespace brindle::server
