#pragma once

#include <memory>

#include "server/http/http_listener.h"
#include "server/http/network_address.h"
#include "server/services.h"
#include "server/http/tls_context.h"
#include "wire/result.h"

namespace brindle::server {

// The operator's pages (/healthz, /metrics) on a listener of their own, on the address the operator
// names for them and nowhere else: a load balancer's checks and a Prometheus scrape, over plain
// HTTP or TLS. Healthy means the database answers now; the figures are services.metrics.
Result<std::unique_ptr<HttpListener>> start_operations_listener(const ListenAddress& address,
                                                                const ServerServices& services,
                                                                std::shared_ptr<const TlsContextHolder> tls);

}  // namespace brindle::server
