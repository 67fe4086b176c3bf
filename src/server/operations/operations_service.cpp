#include "server/operations/operations_service.h"

#include <exception>
#include <utility>

namespace brindle::server::operations {
namespace {

HttpAnswer plain(unsigned status, std::string body) {
  HttpAnswer answer;
  answer.status = status;
  answer.content_type = std::string(kPlainText);
  answer.body = std::move(body);
  answer.headers.emplace_back("Cache-Control", "no-store");
  return answer;
}

// A verdict is one line whatever the probe's words.
std::string one_line(std::string_view text) {
  std::string line;
  line.reserve(text.size() + 1);
  for (char c : text) line += (c == '\n' || c == '\r') ? ' ' : c;
  while (!line.empty() && line.back() == ' ') line.pop_back();
  if (line.empty()) line = "unhealthy";
  return line + '\n';
}

}  // namespace

OperationsService::OperationsService(HealthProbe probe, std::shared_ptr<const Metrics> metrics, Now now)
    : probe_(std::move(probe)), metrics_(std::move(metrics)), now_(std::move(now)) {}

HttpAnswer OperationsService::answer(std::string_view method, std::string_view target) const {
  const auto path = target.substr(0, target.find('?'));
  if (path != kHealthPath && path != kMetricsPath) return plain(404, "not found\n");
  if (method != "GET") {
    auto refused = plain(405, "method not allowed\n");
    refused.allow = "GET";
    return refused;
  }
  if (path == kHealthPath) return health();
  auto answer = plain(200, metrics_->render());
  answer.content_type = std::string(kMetricsText);
  return answer;
}

std::optional<OperationsService::Verdict> OperationsService::fresh_verdict() const {
  std::lock_guard lock(verdict_mutex_);
  if (verdict_ && now_() - verdict_->at < kHealthVerdictLife) return verdict_;
  return std::nullopt;
}

OperationsService::Verdict OperationsService::probe_now() const {
  Verdict verdict;
  try {
    auto result = probe_();
    verdict.ok = result.ok();
    if (!result) verdict.reason = result.error();
  } catch (const std::exception& e) {
    verdict.reason = e.what();
  }
  // Aged from the probe's end, so that a slow probe is not run again at once.
  verdict.at = now_();
  return verdict;
}

HttpAnswer OperationsService::health() const {
  auto verdict = fresh_verdict();
  if (!verdict) {
    std::unique_lock probing(probing_, std::try_to_lock);
    if (!probing) {
      // Another check is asking the database: its predecessor's verdict will do meanwhile, and only
      // the very first checks wait for one.
      std::unique_lock lock(verdict_mutex_);
      if (verdict_) {
        verdict = verdict_;
      } else {
        lock.unlock();
        probing.lock();
      }
    }
    if (probing) {
      verdict = fresh_verdict();  // the thread before us may just have asked
      if (!verdict) {
        verdict = probe_now();
        std::lock_guard lock(verdict_mutex_);
        verdict_ = verdict;
      }
    }
  }
  return verdict->ok ? plain(200, "ok\n") : plain(503, one_line(verdict->reason));
}

}  // namespace brindle::server::operations
