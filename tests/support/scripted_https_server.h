#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "support/test_certificate.h"

typedef struct ssl_ctx_st SSL_CTX;

namespace brindle::testing {

// How the server answers one request.
struct ScriptedReply {
  enum class Drop {
    none,
    // Close without reading: a new connection is closed before its TLS handshake; on a kept-alive
    // connection the server waits for the next request to arrive and closes with it unread.
    before_reading,
    // Read and record the request, then close without answering.
    after_reading,
  };
  int status = 200;
  std::string body = "1|ok";
  std::chrono::milliseconds delay{0};        // before the status line
  std::size_t chunk_size = 0;                // 0: the whole body in one write
  std::chrono::milliseconds chunk_delay{0};  // between chunks
  Drop drop = Drop::none;
  bool keep_alive = true;
};

// A request as the server read it.
struct ReceivedRequest {
  std::string method;
  std::string target;  // path and query as sent; "host:port" for CONNECT
  std::string body;
  std::vector<std::pair<std::string, std::string>> headers;  // names in lower case
  int connection = 0;  // 1 for the first TCP connection accepted, 2 for the next, …

  std::string header(std::string_view lower_case_name) const;
};

// A loopback HTTPS (or plain HTTP) server in background threads that answers by script and records
// what it was sent. In plain HTTP mode it also acts as a proxy: after a CONNECT it answers the
// tunnelled TLS requests itself, whatever host was named.
class ScriptedHttpsServer final {
 public:
  enum class Mode { https, http };

  explicit ScriptedHttpsServer(Mode mode = Mode::https,
                               TestCertificate certificate = make_self_signed_certificate());
  explicit ScriptedHttpsServer(TestCertificate certificate)
      : ScriptedHttpsServer(Mode::https, std::move(certificate)) {}
  ~ScriptedHttpsServer();
  ScriptedHttpsServer(const ScriptedHttpsServer&) = delete;
  ScriptedHttpsServer& operator=(const ScriptedHttpsServer&) = delete;

  std::uint16_t port() const { return port_; }
  // "https://127.0.0.1:<port>" (or http://) followed by `target`.
  std::string url(std::string_view target = "/") const;
  // "127.0.0.1:<port>", the form the Request's server and proxy texts take.
  std::string authority() const;

  // Replies come from the queue first (one per request, in order), then by path (the target
  // without its query), then the default ("1|ok").
  void queue(ScriptedReply reply);
  void on_path(std::string path, ScriptedReply reply);
  void set_default(ScriptedReply reply);

  std::vector<ReceivedRequest> requests() const;
  int connections_accepted() const;
  void stop();

 private:
  struct Stream;
  void accept_loop();
  void serve(int fd, int connection);
  bool take_drop_before_reading();
  ScriptedReply reply_for(const std::string& target);
  bool pause(std::chrono::milliseconds duration);

  Mode mode_;
  SSL_CTX* context_ = nullptr;
  int listen_fd_ = -1;
  std::uint16_t port_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread acceptor_;

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<ScriptedReply> queued_;
  std::map<std::string, ScriptedReply> by_path_;
  ScriptedReply default_reply_;
  std::vector<ReceivedRequest> received_;
  int active_workers_ = 0;
  // Joined by stop(), so that each connection thread has also run its thread-exit clean-up (the TLS
  // library's per-thread state) before the server is gone.
  std::vector<std::thread> workers_;
  std::vector<int> open_fds_;
  int connections_ = 0;
};

}  // namespace brindle::testing
