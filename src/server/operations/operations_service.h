#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "server/http/http_service.h"
#include "server/operations/metrics.h"
#include "wire/result.h"

namespace brindle::server::operations {

inline constexpr std::string_view kHealthPath = "/healthz";
inline constexpr std::string_view kMetricsPath = "/metrics";
inline constexpr std::string_view kPlainText = "text/plain; charset=utf-8";
inline constexpr std::string_view kMetricsText = "text/plain; version=0.0.4; charset=utf-8";

// How long a health verdict is reused. A load balancer's flood of checks reaches the database at most
// this often, and a database that went away shows within this much (plus one probe's timeout).
inline constexpr std::chrono::milliseconds kHealthVerdictLife{200};

// The operator's pages: GET /healthz for load balancers and service managers, GET /metrics for
// Prometheus. Safe to call from several threads at once.
class OperationsService {
 public:
  using HealthProbe = std::function<Result<void>()>;
  using Now = std::function<std::chrono::steady_clock::time_point()>;

  // probe answers whether this node can serve (the database reachable); it may block up to its own
  // timeout, and runs on the asking thread. now is the clock verdicts age by.
  OperationsService(HealthProbe probe, std::shared_ptr<const Metrics> metrics,
                    Now now = std::chrono::steady_clock::now);

  HttpAnswer answer(std::string_view method, std::string_view target) const;

 private:
  struct Verdict {
    std::chrono::steady_clock::time_point at;
    bool ok = false;
    std::string reason;
  };
  HttpAnswer health() const;
  Verdict probe_now() const;
  std::optional<Verdict> fresh_verdict() const;

  HealthProbe probe_;
  std::shared_ptr<const Metrics> metrics_;
  Now now_;
  mutable std::mutex probing_;  // held by the one thread running the probe
  mutable std::mutex verdict_mutex_;
  mutable std::optional<Verdict> verdict_;
};

}  // namespace brindle::server::operations
