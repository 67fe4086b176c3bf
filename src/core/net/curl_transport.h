#pragma once

#include <curl/curl.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/net/tls_trust.h"
#include "core/net/transport.h"

namespace brindle::ports {
class ServerKeyPort;
}

namespace brindle::net {

// The real transport: HTTPS through libcurl. One transport keeps its connection, TLS session and
// resolved names between exchanges, so the periodic refreshes do not pay a handshake each time;
// the application holds one for its whole life. Failures reach the user in the client's words;
// libcurl's own account of each goes to the log sink, when one is set.
//
// No byte of a request reaches a server the user does not trust: each new connection's certificate
// is judged in its handshake (TlsTrust). A server whose key changed is put to the user through the
// key port, when one is set; the request goes out only once he trusts the new key.
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

  // The keys servers are held to; by default this build's built-in ones and what this run learns.
  void set_server_keys(std::shared_ptr<ServerKeys> keys) { trust_.set_keys(std::move(keys)); }
  // A PEM file of the authorities that vouch for certificates, instead of the system's.
  void set_authorities(std::filesystem::path file) { trust_.set_authorities(std::move(file)); }
  // Where a changed key is put to the user; with none, the request fails with the whole account.
  void set_key_port(ports::ServerKeyPort* port) { key_port_ = port; }

 private:
  struct Handles;

  // One exchange behind the Progress window, tried again once when that is safe.
  Result<std::vector<std::string>> attempt(const HttpExchange& exchange, const std::string& url,
                                           ports::ProgressSink& progress);
  Result<std::vector<std::string>> perform(const HttpExchange& exchange, ports::ProgressSink& progress,
                                           bool& may_try_again);
  // A refused handshake: the user is asked about a changed key; true when he trusts it.
  bool trusted_after_refusal(const TrustRefusal& refusal, const HttpExchange& exchange, bool& asked);
  // The user's text for `code`; libcurl's words and `detail` go to the log.
  Result<std::vector<std::string>> failure(const HttpExchange& exchange, CURLcode code,
                                           std::string_view detail);
  void report(const HttpExchange& exchange, std::string_view text);

  // Before the handles: libcurl's connections, which call on it, go first.
  TlsTrust trust_{std::make_shared<ServerKeys>(built_in_pins(), std::filesystem::path())};
  std::string trust_unavailable_;
  ports::ServerKeyPort* key_port_ = nullptr;
  std::set<std::pair<std::string, std::string>> declined_;  // endpoint, key turned down in this run
  std::unique_ptr<Handles> handles_;
  std::chrono::milliseconds send_timeout_ = kDefaultTimeout;
  std::chrono::milliseconds receive_timeout_ = kDefaultTimeout;
};

}  // namespace brindle::net
