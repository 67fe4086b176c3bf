#include "support/scripted_https_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <stdexcept>

namespace brindle::testing {

namespace {

constexpr std::size_t kMaxHead = 64 * 1024;

std::string lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::string trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
    text.remove_suffix(1);
  return std::string(text);
}

const char* reason(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 404:
      return "Not Found";
    case 500:
      return "Internal Server Error";
    default:
      return "Scripted";
  }
}

void load_pem(SSL_CTX* context, const TestCertificate& certificate) {
  std::unique_ptr<BIO, decltype(&BIO_free)> cert_bio(
      BIO_new_mem_buf(certificate.certificate_pem.data(),
                      static_cast<int>(certificate.certificate_pem.size())),
      BIO_free);
  std::unique_ptr<X509, decltype(&X509_free)> cert(
      PEM_read_bio_X509(cert_bio.get(), nullptr, nullptr, nullptr), X509_free);
  std::unique_ptr<BIO, decltype(&BIO_free)> key_bio(
      BIO_new_mem_buf(certificate.private_key_pem.data(),
                      static_cast<int>(certificate.private_key_pem.size())),
      BIO_free);
  std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key(
      PEM_read_bio_PrivateKey(key_bio.get(), nullptr, nullptr, nullptr), EVP_PKEY_free);
  if (!cert || !key || SSL_CTX_use_certificate(context, cert.get()) != 1 ||
      SSL_CTX_use_PrivateKey(context, key.get()) != 1) {
    throw std::runtime_error("scripted server: bad test certificate");
  }
}

}  // namespace

std::string ReceivedRequest::header(std::string_view lower_case_name) const {
  for (const auto& [name, value] : headers) {
    if (name == lower_case_name) return value;
  }
  return {};
}

// One accepted socket, plain or wrapped in TLS.
struct ScriptedHttpsServer::Stream {
  int fd = -1;
  SSL* ssl = nullptr;
  std::string buffer;  // bytes read but not yet used

  ~Stream() {
    if (ssl != nullptr) SSL_free(ssl);
  }
  bool start_tls(SSL_CTX* context) {
    ssl = SSL_new(context);
    if (ssl == nullptr) return false;
    SSL_set_fd(ssl, fd);
    return SSL_accept(ssl) == 1;
  }
  long read_some() {
    char chunk[16 * 1024];
    long got = 0;
    if (ssl != nullptr) {
      got = SSL_read(ssl, chunk, sizeof chunk);
    } else {
      got = ::recv(fd, chunk, sizeof chunk, 0);
    }
    if (got > 0) buffer.append(chunk, static_cast<std::size_t>(got));
    return got;
  }
  bool write_all(std::string_view bytes) {
    while (!bytes.empty()) {
      long put = 0;
      if (ssl != nullptr) {
        put = SSL_write(ssl, bytes.data(), static_cast<int>(bytes.size()));
      } else {
        put = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      }
      if (put <= 0) return false;
      bytes.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
  }
  // Reads one request head and body; false at the end of the connection or on garbage.
  bool read_request(ReceivedRequest& request) {
    std::size_t head_end = std::string::npos;
    while ((head_end = buffer.find("\r\n\r\n")) == std::string::npos) {
      if (buffer.size() > kMaxHead || read_some() <= 0) return false;
    }
    const std::string head = buffer.substr(0, head_end);
    buffer.erase(0, head_end + 4);
    std::size_t line_end = head.find("\r\n");
    const std::string request_line = head.substr(0, line_end);
    const std::size_t first_space = request_line.find(' ');
    const std::size_t second_space = request_line.find(' ', first_space + 1);
    if (first_space == std::string::npos || second_space == std::string::npos) return false;
    request.method = request_line.substr(0, first_space);
    request.target = request_line.substr(first_space + 1, second_space - first_space - 1);
    while (line_end != std::string::npos) {
      const std::size_t start = line_end + 2;
      line_end = head.find("\r\n", start);
      const std::string line =
          head.substr(start, line_end == std::string::npos ? std::string::npos : line_end - start);
      const std::size_t colon = line.find(':');
      if (colon == std::string::npos) continue;
      request.headers.emplace_back(lower(line.substr(0, colon)),
                                   trim(std::string_view(line).substr(colon + 1)));
    }
    const std::string length_text = request.header("content-length");
    const std::size_t length = length_text.empty() ? 0 : std::stoul(length_text);
    while (buffer.size() < length) {
      if (read_some() <= 0) return false;
    }
    request.body = buffer.substr(0, length);
    buffer.erase(0, length);
    return true;
  }
  // True once bytes of the next request are waiting (or the peer went away).
  bool wait_readable(const std::atomic<bool>& stopping) {
    if (!buffer.empty() || (ssl != nullptr && SSL_pending(ssl) > 0)) return true;
    pollfd entry{fd, POLLIN, 0};
    while (!stopping) {
      const int ready = ::poll(&entry, 1, 50);
      if (ready != 0) return ready > 0;
    }
    return false;
  }
};

ScriptedHttpsServer::ScriptedHttpsServer(Mode mode, TestCertificate certificate) : mode_(mode) {
  // A client that hangs up mid-reply must not kill the test process.
  ::signal(SIGPIPE, SIG_IGN);
  context_ = SSL_CTX_new(TLS_server_method());
  if (context_ == nullptr) throw std::runtime_error("scripted server: no TLS context");
  load_pem(context_, certificate);
  static const unsigned char kSessionContext[] = "scripted";
  SSL_CTX_set_session_id_context(context_, kSessionContext, sizeof kSessionContext - 1);

  listen_fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const int on = 1;
  ::setsockopt(listen_fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t size = sizeof address;
  if (listen_fd_ < 0 || ::bind(listen_fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listen_fd_, 64) != 0 ||
      ::getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    if (listen_fd_ >= 0) ::close(listen_fd_);
    SSL_CTX_free(context_);
    throw std::runtime_error("scripted server: cannot listen on loopback");
  }
  port_ = ntohs(address.sin_port);
  acceptor_ = std::thread([this] { accept_loop(); });
}

ScriptedHttpsServer::~ScriptedHttpsServer() {
  stop();
  SSL_CTX_free(context_);
}

std::string ScriptedHttpsServer::url(std::string_view target) const {
  return (mode_ == Mode::https ? "https://" : "http://") + authority() + std::string(target);
}

std::string ScriptedHttpsServer::authority() const { return "127.0.0.1:" + std::to_string(port_); }

void ScriptedHttpsServer::queue(ScriptedReply reply) {
  const std::lock_guard lock(mutex_);
  queued_.push_back(std::move(reply));
}

void ScriptedHttpsServer::on_path(std::string path, ScriptedReply reply) {
  const std::lock_guard lock(mutex_);
  by_path_[std::move(path)] = std::move(reply);
}

void ScriptedHttpsServer::set_default(ScriptedReply reply) {
  const std::lock_guard lock(mutex_);
  default_reply_ = std::move(reply);
}

std::vector<ReceivedRequest> ScriptedHttpsServer::requests() const {
  const std::lock_guard lock(mutex_);
  return received_;
}

int ScriptedHttpsServer::connections_accepted() const {
  const std::lock_guard lock(mutex_);
  return connections_;
}

void ScriptedHttpsServer::stop() {
  if (stopping_.exchange(true)) return;
  ::shutdown(listen_fd_, SHUT_RDWR);  // wakes the acceptor's poll at once
  wake_.notify_all();
  if (acceptor_.joinable()) acceptor_.join();
  {
    const std::lock_guard lock(mutex_);
    for (const int fd : open_fds_) ::shutdown(fd, SHUT_RDWR);
  }
  std::vector<std::thread> workers;
  {
    std::unique_lock lock(mutex_);
    wake_.wait(lock, [this] { return active_workers_ == 0; });
    workers.swap(workers_);
  }
  for (auto& worker : workers) worker.join();
  ::close(listen_fd_);
}

void ScriptedHttpsServer::accept_loop() {
  pollfd entry{listen_fd_, POLLIN, 0};
  while (!stopping_) {
    if (::poll(&entry, 1, 50) <= 0) continue;
    const int fd = ::accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    const std::lock_guard lock(mutex_);
    const int connection = ++connections_;
    open_fds_.push_back(fd);
    ++active_workers_;
    workers_.emplace_back([this, fd, connection] { serve(fd, connection); });
  }
}

bool ScriptedHttpsServer::take_drop_before_reading() {
  const std::lock_guard lock(mutex_);
  if (queued_.empty() || queued_.front().drop != ScriptedReply::Drop::before_reading) return false;
  queued_.pop_front();
  return true;
}

ScriptedReply ScriptedHttpsServer::reply_for(const std::string& target) {
  const std::lock_guard lock(mutex_);
  if (!queued_.empty()) {
    ScriptedReply reply = std::move(queued_.front());
    queued_.pop_front();
    return reply;
  }
  const auto found = by_path_.find(target.substr(0, target.find('?')));
  return found != by_path_.end() ? found->second : default_reply_;
}

bool ScriptedHttpsServer::pause(std::chrono::milliseconds duration) {
  if (duration.count() <= 0) return !stopping_;
  std::unique_lock lock(mutex_);
  return !wake_.wait_for(lock, duration, [this] { return stopping_.load(); });
}

void ScriptedHttpsServer::serve(int fd, int connection) {
  // The TLS state is freed before the worker counts itself out, so that stop() returning means no
  // connection of this server holds anything any more.
  {
    Stream stream;
    stream.fd = fd;
    bool tls = mode_ == Mode::https;
    bool fresh = true;
    if (!take_drop_before_reading() && (!tls || stream.start_tls(context_))) {
      while (!stopping_) {
        if (!fresh && take_drop_before_reading()) {
          stream.wait_readable(stopping_);
          break;
        }
        fresh = false;
        ReceivedRequest request;
        if (!stream.read_request(request)) break;
        request.connection = connection;
        {
          const std::lock_guard lock(mutex_);
          received_.push_back(request);
        }
        if (request.method == "CONNECT" && !tls) {
          if (!stream.write_all("HTTP/1.1 200 Connection established\r\n\r\n") || !stream.start_tls(context_))
            break;
          tls = true;
          continue;
        }
        const ScriptedReply reply = reply_for(request.target);
        if (reply.drop != ScriptedReply::Drop::none) break;
        if (!pause(reply.delay)) break;
        const std::string head =
            "HTTP/1.1 " + std::to_string(reply.status) + " " + reason(reply.status) +
            "\r\nContent-Type: text/html\r\nContent-Length: " + std::to_string(reply.body.size()) +
            "\r\nConnection: " + (reply.keep_alive ? "keep-alive" : "close") + "\r\n\r\n";
        bool written = stream.write_all(head);
        const std::size_t step = reply.chunk_size == 0 ? reply.body.size() : reply.chunk_size;
        for (std::size_t at = 0; written && at < reply.body.size(); at += step) {
          if (at > 0 && !pause(reply.chunk_delay)) written = false;
          if (written) written = stream.write_all(std::string_view(reply.body).substr(at, step));
        }
        if (!written || !reply.keep_alive) break;
      }
      if (stream.ssl != nullptr) SSL_shutdown(stream.ssl);
    }
  }
  {
    const std::lock_guard lock(mutex_);
    open_fds_.erase(std::remove(open_fds_.begin(), open_fds_.end(), fd), open_fds_.end());
  }
  ::close(fd);
  const std::lock_guard lock(mutex_);
  --active_workers_;
  wake_.notify_all();
}

}  // namespace brindle::testing
