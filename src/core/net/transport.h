#pragma once

#include <string>
#include <vector>

#include "wire/result.h"

namespace brindle::ports {
class LogSink;
class ProgressSink;
}  // namespace brindle::ports

namespace brindle::net {

// One HTTPS exchange as the Request hands it to the transport.
struct HttpExchange {
  std::string url;         // "https://host[:port]/path?query"
  std::string body;        // GBK bytes, sent as they are; empty means GET
  bool has_body = false;   // POST with body (even an empty one) when set, GET otherwise
  bool use_proxy = false;  // through `proxy` rather than the system's configuration
  std::string proxy;       // "address:port"
  bool name_not_resolved_wording = false;
  std::string connecting_text;  // Progress texts, UTF-8; empty ones are not shown
  std::string sending_text;
  std::string reading_text;
};

// What every transport must do; CurlTransport is the real one, tests script their own.
class Transport {
 public:
  virtual ~Transport() = default;
  // Performs the exchange and returns the Reply lines (GBK bytes, trimmed, non-empty, at most
  // 4,095 bytes each), or the error text to show (UTF-8).
  virtual Result<std::vector<std::string>> exchange(const HttpExchange& exchange,
                                                    ports::ProgressSink& progress) = 0;

  // Where the transport's own account of a failure and warnings about damaged replies go; none by
  // default. The sink must outlive the transport's use of it.
  void set_log_sink(ports::LogSink* sink) { log_sink_ = sink; }
  ports::LogSink* log_sink() const { return log_sink_; }

 private:
  ports::LogSink* log_sink_ = nullptr;
};

}  // namespace brindle::net
