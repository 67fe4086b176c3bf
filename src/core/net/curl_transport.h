#pragma once

#include <curl/curl.h>

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/net/transport.h"

namespace brindle::net {

// The real transport: HTTPS through libcurl. One transport keeps its connection, TLS session and
// resolved names between exchanges, so the periodic refreshes do not pay a handshake each time;
// the application holds one for its whole life. Failures reach the user in the client's words;
// libcurl's own account of each goes to the log sink, when one is set.
class CurlTransport final : public Transport {
 public:
  static constexpr std::chrono::milliseconds kDefaultTimeout{90'000};

  CurlTransport();
  ~CurlTransport() override;
  CurlTransport(const CurlTransport&) = delete;
  CurlTransport& operator=(const CurlTransport&) = delete;

  Result<std::vector<std::string>> exchange(const HttpExchange& exchange,
                                            ports::ProgressSink& progress) override;

  // `send` bounds the connection set-up and any stall while the request goes out, `receive` any
  // stall while the reply is awaited or read. Neither caps a reply that keeps arriving.
  void set_timeouts(std::chrono::milliseconds send, std::chrono::milliseconds receive);

 private:
  struct Handles;

  Result<std::vector<std::string>> perform(const HttpExchange& exchange, ports::ProgressSink& progress,
                                           bool& may_try_again);
  // The user's text for `code`; libcurl's words and `detail` go to the log.
  Result<std::vector<std::string>> failure(const HttpExchange& exchange, CURLcode code,
                                           std::string_view detail);
  void report(const HttpExchange& exchange, std::string_view text);

  std::unique_ptr<Handles> handles_;
  std::chrono::milliseconds send_timeout_ = kDefaultTimeout;
  std::chrono::milliseconds receive_timeout_ = kDefaultTimeout;
};

}  // namespace brindle::net
