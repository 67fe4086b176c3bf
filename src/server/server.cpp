#include "server/server.h"

#include <openssl/ssl.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <utility>

#include "server/accounts/authenticator.h"
#include "server/accounts/password_hash.h"
#include "server/banker/banker_handlers.h"
#include "server/http/dispatcher.h"
#include "server/accounts/account_handlers.h"
#include "server/betting/bet_handlers.h"
#include "server/matchinfo/history_handlers.h"
#include "server/market/market_handlers.h"
#include "server/members/member_handlers.h"
#include "server/messages/message_handlers.h"
#include "server/matchinfo/results_handlers.h"
#include "server/accounts/session_handlers.h"
#include "server/rooms/star_handlers.h"
#include "server/operations/metrics.h"
#include "server/http/operations_endpoint.h"
#include "server/http/router.h"
#include "server/storage/private_files.h"
#include "server/http/tls_certificate.h"
#include "server/web/in_play_web.h"
#include "server/http/worker_pool.h"

namespace brindle::server {
namespace {

Result<std::shared_ptr<const Dispatcher>> make_dispatcher(const ServerServices& services,
                                                          std::shared_ptr<WorkerPool> workers) {
  auto dispatcher = std::make_shared<Dispatcher>();
  dispatcher->set_worker_pool(std::move(workers));
  dispatcher->set_metrics(services.metrics);
  if (auto added = add_session_handlers(*dispatcher, services.config); !added) {
    return Result<std::shared_ptr<const Dispatcher>>::failure(added.error());
  }
  using Adder = Result<void> (*)(Dispatcher&, const ServerServices&);
  for (const Adder add : {add_account_handlers, add_market_handlers, add_bet_handlers, add_banker_handlers,
                          add_star_handlers, add_message_handlers, add_member_handlers, add_history_handlers,
                          add_results_handlers}) {
    if (auto added = add(*dispatcher, services); !added) {
      return Result<std::shared_ptr<const Dispatcher>>::failure(added.error());
    }
  }
  return std::shared_ptr<const Dispatcher>(std::move(dispatcher));
}

// How this server is named where the market clock's holder is recorded.
std::string node_name() {
  char host[256] = {};
  if (::gethostname(host, sizeof host - 1) != 0) std::snprintf(host, sizeof host, "localhost");
  return std::string(host) + " pid " + std::to_string(::getpid());
}

}  // namespace

Server::Server(std::vector<std::unique_ptr<HttpListener>> listeners, std::shared_ptr<WorkerPool> workers,
               CertificateFiles certificate, std::shared_ptr<TlsContextHolder> tls, ServerServices services)
    : listeners_(std::move(listeners)),
      workers_(std::move(workers)),
      certificate_(std::move(certificate)),
      tls_(std::move(tls)),
      services_(std::move(services)) {}

Server::~Server() { stop(); }

void Server::stop() {
  // No new work once the network threads are gone; the workers' last answers go to connections
  // that still exist, and are dropped with them.
  for (auto& listener : listeners_) listener->halt();
  workers_->stop();
  for (auto& listener : listeners_) listener->stop();
  if (operations_) operations_->stop();
  if (services_.market) services_.market->stop();
}

Result<void> Server::reload_certificate() {
  std::lock_guard lock(reload_mutex_);
  if (certificate_.self_made) {
    auto renewed = ensure_certificate(services_.data_dir);
    if (!renewed) return Result<void>::failure(renewed.error());
  }
  auto context = make_tls_context(certificate_);
  if (!context) return Result<void>::failure(context.error());
  tls_->replace(std::move(context).value());
  return {};
}

Result<std::string> Server::key_fingerprint() const {
  const X509* served = SSL_CTX_get0_certificate(tls_->current()->native_handle());
  if (served == nullptr) return Result<std::string>::failure("the server has no certificate loaded");
  return brindle::server::key_fingerprint(*served);
}

std::vector<std::string> Server::urls() const {
  std::vector<std::string> urls;
  for (const auto& listener : listeners_) urls.push_back("https://" + listener->host());
  return urls;
}

Result<std::unique_ptr<Server>> Server::start(ServerOptions options) {
  using Failure = Result<std::unique_ptr<Server>>;
  if (options.data_dir.empty()) return Failure::failure("no data folder given");
  if (auto made = storage::make_private_directory(options.data_dir); !made)
    return Failure::failure(made.error());

  auto certificate =
      options.config.certificate.empty()
          ? ensure_certificate(options.data_dir)
          : Result<CertificateFiles>(CertificateFiles{.certificate = options.config.certificate,
                                                      .private_key = options.config.private_key,
                                                      .self_made = false});
  if (!certificate) return Failure::failure(certificate.error());
  auto context = make_tls_context(certificate.value());
  if (!context) return Failure::failure(context.error());
  auto tls = std::make_shared<TlsContextHolder>(std::move(context).value());

  storage::DatabaseOptions database_options;
  database_options.full_sync = options.config.full_sync;
  database_options.pool_size = options.config.database_pool;
  auto database = open_server_database(options.data_dir, options.config.database, database_options);
  if (!database) return Failure::failure(database.error());
  ServerServices services;
  services.config = std::make_shared<const ServerConfig>(std::move(options.config));
  services.db = database.value();
  services.data_dir = options.data_dir;
  services.hasher = std::make_shared<const accounts::PasswordHasher>(options.password_iterations);
  services.authenticator =
      std::make_shared<const accounts::Authenticator>(services.db, services.hasher, options.limiter_clock);
  const auto& limits = *services.config;
  // Servers sharing a PostgreSQL database limit attempts as one; a SQLite file has one server.
  auto limiter = [&](const accounts::AttemptPolicy& policy, std::string_view scope) {
    if (services.db->engine() == storage::Engine::postgresql)
      return std::make_shared<accounts::AttemptLimiter>(policy, services.db, std::string(scope),
                                                        options.limiter_clock);
    return std::make_shared<accounts::AttemptLimiter>(policy, options.limiter_clock);
  };
  services.limiters.sign_in_by_name = limiter(limits.sign_in_per_name, "sign-in name");
  services.limiters.sign_in_by_account = limiter(limits.sign_in_per_account, "sign-in account");
  services.limiters.sign_in_by_address = limiter(limits.sign_in_per_address, "sign-in address");
  services.limiters.lookups_by_address = limiter(limits.lookups_per_address, "look-up address");
  services.limiters.withdrawal_by_account = limiter(limits.withdrawal_per_account, "withdrawal account");
  options.market.peak_period = options.market.peak_period || services.config->peak_period;
  options.market.node = node_name();
  auto market = market::Market::open(services.db, options.market);
  if (!market) return Failure::failure(market.error());
  services.market = market.value();
  services.metrics = std::make_shared<operations::Metrics>();
  services.metrics->watch_database_pool(
      [db = std::weak_ptr(services.db)] {
        auto d = db.lock();
        return d ? d->use().busy : 0;
      },
      [db = std::weak_ptr(services.db)] {
        auto d = db.lock();
        return d ? d->use().limit : 0;
      });
  services.metrics->watch_clock_holder([m = std::weak_ptr(services.market)] {
    auto held = m.lock();
    return held && held->holds_clock();
  });

  auto workers = std::make_shared<WorkerPool>(services.config->hash_threads);
  auto dispatcher = make_dispatcher(services, workers);
  if (!dispatcher) return Failure::failure(dispatcher.error());

  if (options.listen.empty()) options.listen.push_back({options.address, options.port});
  std::vector<std::unique_ptr<HttpListener>> listeners;
  for (const auto& address : options.listen) {
    auto listener = HttpListener::bind(address.address, address.port, tls, options.limits);
    if (!listener) return Failure::failure(listener.error());
    listener.value()->trust_proxies(services.config->trusted_proxies);
    listeners.push_back(std::move(listener).value());
  }

  auto router =
      std::make_shared<const Router>(dispatcher.value(), services.config, listeners.front()->host(),
                                     std::make_shared<const web::InPlayWeb>(services.db, services.market));
  std::unique_ptr<HttpListener> operations;
  if (options.operations) {
    auto started = start_operations_listener(*options.operations, services, tls);
    if (!started) return Failure::failure("the operator's pages: " + started.error());
    operations = std::move(started).value();
  }
  for (auto& listener : listeners) listener->start(router);
  settle_bets_on_finished_matches(services);
  if (options.market.run_feed) services.market->start();
  auto server = std::unique_ptr<Server>(new Server(std::move(listeners), std::move(workers),
                                                   std::move(certificate).value(), std::move(tls),
                                                   std::move(services)));
  server->operations_ = std::move(operations);
  return server;
}

}  // namespace brindle::server
