#include "server/http/operations_endpoint.h"

#include <utility>

#include "server/http/http_service.h"
#include "server/operations/operations_service.h"
#include "server/storage/database.h"

namespace brindle::server {
namespace {

class OperationsPages final : public HttpService {
 public:
  explicit OperationsPages(std::shared_ptr<const operations::OperationsService> pages)
      : pages_(std::move(pages)) {}

  void route_async(Channel, std::string_view method, std::string_view target, std::string_view,
                   std::string_view, std::function<void(HttpAnswer)> done) const override {
    done(pages_->answer(method, target));
  }

 private:
  std::shared_ptr<const operations::OperationsService> pages_;
};

}  // namespace

Result<std::unique_ptr<HttpListener>> start_operations_listener(const ListenAddress& address,
                                                                const ServerServices& services,
                                                                std::shared_ptr<const TlsContextHolder> tls) {
  using R = Result<std::unique_ptr<HttpListener>>;
  if (!services.db || !services.metrics)
    return R::failure("the operator's pages need a database and metrics");
  // One thread: these pages are asked a few times a second at most, and a probe waiting on a
  // database that went away holds up only the next check.
  ListenerLimits limits;
  limits.threads = 1;
  auto listener = HttpListener::bind(address.address, address.port, std::move(tls), limits);
  if (!listener) return listener;
  auto pages = std::make_shared<const operations::OperationsService>(
      [db = services.db] { return db->ping(); }, services.metrics);
  listener.value()->start(std::make_shared<const OperationsPages>(std::move(pages)));
  return listener;
}

}  // namespace brindle::server
