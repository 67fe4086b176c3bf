#include "server/http/http_listener.h"

#include <array>
#include <boost/asio/dispatch.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ip/v6_only.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/asio/strand.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/ssl.hpp>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "server/http/proxy_protocol.h"
#include "wire/gbk.h"

namespace brindle::server {
namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
namespace ssl = asio::ssl;
using tcp = asio::ip::tcp;

constexpr std::string_view kServerName = "brindle-server";
// After a refused body, how much more of it is read and thrown away so that closing the connection
// does not reset it before the client has read the refusal.
constexpr std::size_t kDrainLimit = 1024 * 1024;

struct Shared {
  std::shared_ptr<const HttpService> service;
  ListenerLimits limits;
  std::shared_ptr<const TlsContextHolder> tls;
  std::vector<AddressBlock> trusted_proxies;
};

using Response = http::response<http::string_body>;

// Takes the answer's body rather than copying it: a market list is a megabyte.
Response make_response(unsigned version, bool keep_alive, HttpAnswer&& answer) {
  Response res{static_cast<http::status>(answer.status), version};
  res.set(http::field::server, std::string(kServerName));
  res.set(http::field::content_type, answer.content_type);
  if (!answer.allow.empty()) res.set(http::field::allow, answer.allow);
  for (const auto& [name, value] : answer.headers) res.set(name, value);
  res.keep_alive(keep_alive);
  res.body() = std::move(answer.body);
  res.prepare_payload();
  return res;
}

Response status_response(unsigned status, std::string_view text) {
  HttpAnswer answer;
  answer.status = status;
  answer.body = wire::utf8_to_gbk(text);
  return make_response(11, false, std::move(answer));
}

bool is_parse_error(const beast::error_code& ec) {
  return &ec.category() == &http::make_error_code(http::error::bad_target).category();
}

// The request-reading loop shared by the plain and the TLS connection.
template <typename Derived>
class HttpSession {
 public:
  HttpSession(beast::flat_buffer buffer, std::shared_ptr<const Shared> shared, std::string peer)
      : buffer_(std::move(buffer)), shared_(std::move(shared)), peer_(std::move(peer)) {}

 protected:
  beast::flat_buffer buffer_;
  std::shared_ptr<const Shared> shared_;
  std::string peer_;  // the client's address: the socket's, or the one a trusted proxy named

  void do_read() {
    parser_.emplace();
    parser_->body_limit(shared_->limits.body_limit);
    parser_->header_limit(shared_->limits.header_limit);
    arm_timer();
    http::async_read_header(derived().stream(), buffer_, *parser_,
                            beast::bind_front_handler(&HttpSession::on_header, derived().shared_from_this()));
  }

 private:
  Derived& derived() { return static_cast<Derived&>(*this); }
  void arm_timer() { beast::get_lowest_layer(derived().stream()).expires_after(shared_->limits.io_timeout); }

  void on_header(beast::error_code ec, std::size_t) {
    if (ec) return on_error(ec);
    auto length = parser_->content_length();
    if (length && *length > shared_->limits.body_limit) return refuse_body();
    auto expect = parser_->get()[http::field::expect];
    if (beast::iequals(expect, "100-continue")) {
      auto interim = std::make_shared<http::response<http::empty_body>>(http::status::continue_, 11);
      http::async_write(
          derived().stream(), *interim,
          [self = derived().shared_from_this(), interim](beast::error_code write_ec, std::size_t) {
            if (!write_ec) self->read_body();
          });
      return;
    }
    read_body();
  }

  void read_body() {
    http::async_read(derived().stream(), buffer_, *parser_,
                     beast::bind_front_handler(&HttpSession::on_read, derived().shared_from_this()));
  }

  void on_read(beast::error_code ec, std::size_t) {
    if (ec) return on_error(ec);
    auto request = parser_->release();
    const unsigned version = request.version();
    const bool keep_alive = request.keep_alive();
    try {
      auto method = request.method_string();
      auto target = request.target();
      // The answer may come from a worker thread: it is sent from this connection's strand.
      shared_->service->route_async(
          Derived::kChannel, std::string_view(method.data(), method.size()),
          std::string_view(target.data(), target.size()), request.body(), peer_,
          [self = derived().shared_from_this(), version, keep_alive](HttpAnswer answer) {
            asio::dispatch(self->stream().get_executor(),
                           [self, version, keep_alive, answer = std::move(answer)]() mutable {
                             self->send(make_response(version, keep_alive, std::move(answer)));
                           });
          });
    } catch (...) {
      send(status_response(500, "500 服务器内部错误"));
    }
  }

  void on_error(beast::error_code ec) {
    if (ec == http::error::end_of_stream) return derived().do_eof();
    if (ec == http::error::body_limit) return refuse_body();
    if (ec == http::error::header_limit) return send(status_response(431, "431 请求头过长"));
    if (is_parse_error(ec)) return send(status_response(400, "400 请求格式错误"));
    // Timeouts and network errors: the connection is dropped when the last handler lets go of it.
  }

  void refuse_body() {
    draining_ = true;
    send(status_response(413, "413 请求内容过长"));
  }

  void send(Response res) {
    response_ = std::make_shared<Response>(std::move(res));
    arm_timer();
    http::async_write(derived().stream(), *response_,
                      beast::bind_front_handler(&HttpSession::on_write, derived().shared_from_this(),
                                                response_->need_eof()));
  }

  void on_write(bool close, beast::error_code ec, std::size_t) {
    if (ec) return;
    response_.reset();
    if (draining_) {
      return derived().end_sending([self = derived().shared_from_this()] {
        beast::get_lowest_layer(self->stream()).expires_after(self->shared_->limits.linger);
        self->drained_ = 0;
        self->drain();
      });
    }
    if (close) return derived().do_eof();
    do_read();
  }

  // Reads the raw bytes below any TLS, since nothing more is decrypted after the close.
  void drain() {
    beast::get_lowest_layer(derived().stream())
        .async_read_some(asio::buffer(discard_),
                         [self = derived().shared_from_this()](beast::error_code ec, std::size_t n) {
                           self->drained_ += n;
                           if (!ec && self->drained_ < kDrainLimit) self->drain();
                         });
  }

  std::optional<http::request_parser<http::string_body>> parser_;
  std::shared_ptr<Response> response_;
  bool draining_ = false;
  std::size_t drained_ = 0;
  std::array<char, 4096> discard_{};
};

class PlainSession final : public HttpSession<PlainSession>,
                           public std::enable_shared_from_this<PlainSession> {
 public:
  static constexpr Channel kChannel = Channel::plain;

  PlainSession(beast::tcp_stream&& stream, beast::flat_buffer buffer, std::shared_ptr<const Shared> shared,
               std::string peer)
      : HttpSession(std::move(buffer), std::move(shared), std::move(peer)), stream_(std::move(stream)) {}

  void run() { do_read(); }
  beast::tcp_stream& stream() { return stream_; }

  // The socket closes when the last handler lets go of the session.
  void do_eof() {
    beast::error_code ignored;
    stream_.socket().shutdown(tcp::socket::shutdown_send, ignored);
  }
  template <typename Then>
  void end_sending(Then then) {
    do_eof();
    then();
  }

 private:
  beast::tcp_stream stream_;
};

class TlsSession final : public HttpSession<TlsSession>, public std::enable_shared_from_this<TlsSession> {
 public:
  static constexpr Channel kChannel = Channel::tls;

  TlsSession(beast::tcp_stream&& stream, TlsContextPtr context, beast::flat_buffer buffer,
             std::shared_ptr<const Shared> shared, std::string peer)
      : HttpSession(std::move(buffer), std::move(shared), std::move(peer)),
        context_(std::move(context)),
        stream_(std::move(stream), *context_) {}

  void run() {
    beast::get_lowest_layer(stream_).expires_after(shared_->limits.io_timeout);
    // The bytes read while detecting TLS are the start of the handshake.
    stream_.async_handshake(ssl::stream_base::server, buffer_.data(),
                            beast::bind_front_handler(&TlsSession::on_handshake, shared_from_this()));
  }
  beast::ssl_stream<beast::tcp_stream>& stream() { return stream_; }

  // Sends close_notify, then the socket closes when the session is let go.
  void do_eof() {
    end_sending([] {});
  }
  // Sends close_notify and the TCP half-close without waiting for the client's close_notify, which
  // a client that has stopped reading never sends: its read sees the end at once.
  template <typename Then>
  void end_sending(Then then) {
    beast::get_lowest_layer(stream_).expires_after(shared_->limits.io_timeout);
    SSL* ssl = stream_.native_handle();
    SSL_set_shutdown(ssl, SSL_get_shutdown(ssl) | SSL_RECEIVED_SHUTDOWN);
    stream_.async_shutdown([self = shared_from_this(), then = std::move(then)](beast::error_code) mutable {
      beast::error_code ignored;
      beast::get_lowest_layer(self->stream_).socket().shutdown(tcp::socket::shutdown_send, ignored);
      then();
    });
  }

 private:
  void on_handshake(beast::error_code ec, std::size_t used) {
    if (ec) return;
    buffer_.consume(used);
    do_read();
  }

  // The context this connection began with, kept while it lasts even if a reload replaces it.
  TlsContextPtr context_;
  beast::ssl_stream<beast::tcp_stream> stream_;
};

class DetectSession final : public std::enable_shared_from_this<DetectSession> {
 public:
  DetectSession(tcp::socket&& socket, std::shared_ptr<const Shared> shared)
      : stream_(std::move(socket)), shared_(std::move(shared)) {}

  void run() {
    asio::dispatch(stream_.get_executor(),
                   beast::bind_front_handler(&DetectSession::on_run, shared_from_this()));
  }

 private:
  void on_run() {
    stream_.expires_after(shared_->limits.io_timeout);
    beast::error_code ec;
    peer_ = stream_.socket().remote_endpoint(ec).address().to_string();
    if (ec) return;
    // Only a balancer the operator trusts may name another client; from anyone else a PROXY line
    // is just the start of a bad request.
    for (const auto& block : shared_->trusted_proxies) {
      if (block.contains(peer_)) return read_proxy_header();
    }
    detect();
  }

  // Reads until the buffer holds the whole header; what follows it stays for the detection.
  void read_proxy_header() {
    const auto data = buffer_.data();
    auto header = parse_proxy_header(std::string_view(static_cast<const char*>(data.data()), data.size()));
    if (header.status == ProxyHeader::Status::malformed) return;  // the connection closes
    if (header.status == ProxyHeader::Status::complete) {
      buffer_.consume(header.consumed);
      if (!header.source.empty()) peer_ = std::move(header.source);
      return detect();
    }
    stream_.async_read_some(buffer_.prepare(512),
                            [self = shared_from_this()](beast::error_code ec, std::size_t n) {
                              if (ec) return;
                              self->buffer_.commit(n);
                              self->read_proxy_header();
                            });
  }

  void detect() {
    beast::async_detect_ssl(stream_, buffer_,
                            beast::bind_front_handler(&DetectSession::on_detect, shared_from_this()));
  }

  void on_detect(beast::error_code ec, bool tls) {
    if (ec) return;
    if (tls) {
      std::make_shared<TlsSession>(std::move(stream_), shared_->tls->current(), std::move(buffer_), shared_,
                                   std::move(peer_))
          ->run();
    } else {
      std::make_shared<PlainSession>(std::move(stream_), std::move(buffer_), shared_, std::move(peer_))
          ->run();
    }
  }

  beast::tcp_stream stream_;
  std::shared_ptr<const Shared> shared_;
  beast::flat_buffer buffer_;
  std::string peer_;
};

class Acceptor final : public std::enable_shared_from_this<Acceptor> {
 public:
  Acceptor(asio::io_context& ioc, tcp::acceptor acceptor, std::shared_ptr<const Shared> shared)
      : ioc_(ioc), acceptor_(std::move(acceptor)), shared_(std::move(shared)) {}

  void run() {
    asio::dispatch(acceptor_.get_executor(),
                   beast::bind_front_handler(&Acceptor::do_accept, shared_from_this()));
  }

 private:
  void do_accept() {
    acceptor_.async_accept(asio::make_strand(ioc_),
                           beast::bind_front_handler(&Acceptor::on_accept, shared_from_this()));
  }

  void on_accept(beast::error_code ec, tcp::socket socket) {
    if (ec == asio::error::operation_aborted || !acceptor_.is_open()) return;
    if (!ec) {
      // Replies are small and written in pieces (TLS records, headers, body): without this the
      // last piece waits for the client's delayed acknowledgement.
      beast::error_code ignored;
      socket.set_option(tcp::no_delay(true), ignored);
      std::make_shared<DetectSession>(std::move(socket), shared_)->run();
    }
    do_accept();
  }

  asio::io_context& ioc_;
  tcp::acceptor acceptor_;
  std::shared_ptr<const Shared> shared_;
};

// An IP address in text, or "localhost" for 127.0.0.1; host names are not looked up.
std::optional<asio::ip::address> listen_ip(const std::string& text) {
  if (text == "localhost") return asio::ip::make_address_v4("127.0.0.1");
  beast::error_code ec;
  auto address = asio::ip::make_address(text, ec);
  if (ec) return std::nullopt;
  return address;
}

std::string bind_error_text(const tcp::endpoint& endpoint, const beast::error_code& ec) {
  std::string where = (endpoint.address().is_v6() ? "[" + endpoint.address().to_string() + "]"
                                                  : endpoint.address().to_string()) +
                      ":" + std::to_string(endpoint.port());
  if (ec == asio::error::address_in_use) return where + " is already in use";
  if (ec == asio::error::access_denied) return "no permission to listen on " + where;
  if (ec == boost::system::errc::address_not_available) return where + " is not an address of this machine";
  return "cannot listen on " + where + ": " + ec.message();
}

}  // namespace

struct HttpListener::Impl {
  std::shared_ptr<const TlsContextHolder> tls;
  asio::io_context ioc;
  std::shared_ptr<Acceptor> acceptor;
  ListenerLimits limits;
  std::vector<std::thread> threads;
  std::optional<tcp::acceptor> bound;
  std::vector<AddressBlock> trusted_proxies;

  Impl(std::shared_ptr<const TlsContextHolder> t, ListenerLimits l)
      : tls(std::move(t)), ioc(static_cast<int>(l.threads)), limits(l) {}
};

HttpListener::HttpListener(std::unique_ptr<Impl> impl, bool v6, std::string address, unsigned short port)
    : impl_(std::move(impl)), v6_(v6), address_(std::move(address)), port_(port) {}

HttpListener::~HttpListener() { stop(); }

Result<std::unique_ptr<HttpListener>> HttpListener::bind(const std::string& address, unsigned short port,
                                                         const CertificateFiles& certificate,
                                                         ListenerLimits limits) {
  auto context = make_tls_context(certificate);
  if (!context) return Result<std::unique_ptr<HttpListener>>::failure(context.error());
  return bind(address, port, std::make_shared<const TlsContextHolder>(std::move(context).value()), limits);
}

Result<std::unique_ptr<HttpListener>> HttpListener::bind(const std::string& address, unsigned short port,
                                                         std::shared_ptr<const TlsContextHolder> tls,
                                                         ListenerLimits limits) {
  using Failure = Result<std::unique_ptr<HttpListener>>;
  if (!tls) return Failure::failure("no TLS context given");
  auto ip = listen_ip(address);
  if (!ip)
    return Failure::failure("'" + address +
                            "' is not an IP address (use e.g. 127.0.0.1, 0.0.0.0, :: or ::1)");
  if (limits.threads == 0) limits.threads = 1;

  auto impl = std::make_unique<Impl>(std::move(tls), limits);
  beast::error_code ec;

  tcp::endpoint endpoint{*ip, port};
  tcp::acceptor acceptor{impl->ioc};
  acceptor.open(endpoint.protocol(), ec);
  if (!ec) acceptor.set_option(asio::socket_base::reuse_address(true), ec);
  // "::" then takes only IPv6 clients, so that "0.0.0.0" can take the IPv4 ones on the same port.
  if (!ec && endpoint.address().is_v6()) acceptor.set_option(asio::ip::v6_only(true), ec);
  if (!ec) acceptor.bind(endpoint, ec);
  if (!ec) acceptor.listen(asio::socket_base::max_listen_connections, ec);
  if (ec) return Failure::failure(bind_error_text(endpoint, ec));
  auto local = acceptor.local_endpoint(ec);
  if (ec) return Failure::failure(bind_error_text(endpoint, ec));
  impl->bound.emplace(std::move(acceptor));
  return std::unique_ptr<HttpListener>(
      new HttpListener(std::move(impl), local.address().is_v6(), local.address().to_string(), local.port()));
}

unsigned short HttpListener::port() const { return port_; }

void HttpListener::trust_proxies(std::vector<AddressBlock> proxies) {
  if (impl_ && impl_->bound) impl_->trusted_proxies = std::move(proxies);
}

std::string HttpListener::host() const {
  return (v6_ ? "[" + address_ + "]" : address_) + ":" + std::to_string(port_);
}

void HttpListener::start(std::shared_ptr<const HttpService> service) {
  if (!impl_ || !impl_->bound || !service) return;
  auto shared = std::make_shared<const Shared>(
      Shared{std::move(service), impl_->limits, impl_->tls, impl_->trusted_proxies});
  impl_->acceptor = std::make_shared<Acceptor>(impl_->ioc, std::move(*impl_->bound), std::move(shared));
  impl_->bound.reset();
  impl_->acceptor->run();
  for (std::size_t i = 0; i < impl_->limits.threads; ++i) {
    impl_->threads.emplace_back([ioc = &impl_->ioc] {
      // A handler that throws costs its own connection; the worker goes on serving.
      for (;;) {
        try {
          ioc->run();
          return;
        } catch (...) {
        }
      }
    });
  }
}

void HttpListener::halt() {
  if (!impl_) return;
  impl_->ioc.stop();
  for (auto& thread : impl_->threads) {
    if (thread.joinable()) thread.join();
  }
}

void HttpListener::stop() {
  if (!impl_) return;
  halt();
  // Destroying the io_context with its pending handlers closes the port and every connection.
  impl_.reset();
}

}  // namespace brindle::server
