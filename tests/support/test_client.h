#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace brindle::testing {

struct HttpResult {
  unsigned status = 0;
  std::string content_type;
  std::string body;
  bool keep_alive = false;
};

struct ConnectionEnd {
  std::string bytes;  // everything read before the end
  // The server ended the connection cleanly: TLS close_notify and then the socket's close, or the
  // socket's close on a plain connection.
  bool closed = false;
  std::string error;  // otherwise what ended the read, or that the deadline passed first
};

// One client connection to a server on loopback, plain or TLS, for driving the listener the way a
// client would (and the ways a broken one would).
class TestConnection {
 public:
  static TestConnection plain(unsigned short port);
  // Without a trust anchor any certificate is accepted, as the client does; with one the chain and
  // the name "localhost" are verified against it. The connection comes from `source`, another
  // loopback address for a client the server is to tell apart.
  static TestConnection tls(unsigned short port,
                            const std::optional<std::filesystem::path>& trust_anchor = {},
                            std::string_view source = "127.0.0.1");

  TestConnection(TestConnection&&) noexcept;
  ~TestConnection();

  HttpResult post(std::string_view target, std::string_view body);
  HttpResult get(std::string_view target);

  // Raw bytes, for malformed and stalled requests.
  void write_raw(std::string_view bytes);
  // Everything the server sends until it closes the connection (or an error ends the read).
  std::string read_until_close();
  // Reads until the server ends the connection, giving up after the deadline so that a server that
  // keeps the connection open fails the test instead of hanging it.
  ConnectionEnd read_to_end(std::chrono::milliseconds deadline);
  // The next response on the connection.
  HttpResult read_response();

 private:
  struct Impl;
  explicit TestConnection(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace brindle::testing
