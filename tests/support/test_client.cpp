#include "support/test_client.h"

#include <array>
#include <boost/asio/connect.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <functional>
#include <stdexcept>
#include <string>

namespace brindle::testing {
namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
namespace ssl = asio::ssl;
using tcp = asio::ip::tcp;

}  // namespace

struct TestConnection::Impl {
  asio::io_context ioc;
  ssl::context context{ssl::context::tls_client};
  tcp::socket socket{ioc};
  std::optional<ssl::stream<tcp::socket&>> tls;
  beast::flat_buffer buffer;

  template <typename F>
  decltype(auto) with_stream(F f) {
    if (tls) return f(*tls);
    return f(socket);
  }
};

TestConnection::TestConnection(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
TestConnection::TestConnection(TestConnection&&) noexcept = default;
TestConnection::~TestConnection() = default;

TestConnection TestConnection::plain(unsigned short port) {
  auto impl = std::make_unique<Impl>();
  impl->socket.connect(tcp::endpoint(asio::ip::make_address("127.0.0.1"), port));
  return TestConnection(std::move(impl));
}

TestConnection TestConnection::tls(unsigned short port,
                                   const std::optional<std::filesystem::path>& trust_anchor,
                                   std::string_view source) {
  auto impl = std::make_unique<Impl>();
  if (trust_anchor) {
    impl->context.load_verify_file(trust_anchor->string());
    impl->context.set_verify_mode(ssl::verify_peer);
  } else {
    impl->context.set_verify_mode(ssl::verify_none);
  }
  impl->socket.open(tcp::v4());
  impl->socket.bind(tcp::endpoint(asio::ip::make_address(std::string(source)), 0));
  impl->socket.connect(tcp::endpoint(asio::ip::make_address("127.0.0.1"), port));
  impl->tls.emplace(impl->socket, impl->context);
  if (trust_anchor) impl->tls->set_verify_callback(ssl::host_name_verification("localhost"));
  impl->tls->handshake(ssl::stream_base::client);
  return TestConnection(std::move(impl));
}

HttpResult TestConnection::read_response() {
  http::response<http::string_body> res;
  impl_->with_stream([&](auto& stream) { http::read(stream, impl_->buffer, res); });
  return {res.result_int(), std::string(res[http::field::content_type]), res.body(), res.keep_alive()};
}

HttpResult TestConnection::post(std::string_view target, std::string_view body) {
  http::request<http::string_body> req{http::verb::post, beast::string_view(target.data(), target.size()),
                                       11};
  req.set(http::field::host, "127.0.0.1");
  req.body() = std::string(body);
  req.prepare_payload();
  impl_->with_stream([&](auto& stream) { http::write(stream, req); });
  return read_response();
}

HttpResult TestConnection::get(std::string_view target) {
  http::request<http::empty_body> req{http::verb::get, beast::string_view(target.data(), target.size()), 11};
  req.set(http::field::host, "127.0.0.1");
  impl_->with_stream([&](auto& stream) { http::write(stream, req); });
  return read_response();
}

void TestConnection::write_raw(std::string_view bytes) {
  impl_->with_stream([&](auto& stream) { asio::write(stream, asio::buffer(bytes.data(), bytes.size())); });
}

std::string TestConnection::read_until_close() {
  std::string out;
  char chunk[4096];
  for (;;) {
    beast::error_code ec;
    auto n = impl_->with_stream([&](auto& stream) { return stream.read_some(asio::buffer(chunk), ec); });
    out.append(chunk, n);
    if (ec) return out;
  }
}

ConnectionEnd TestConnection::read_to_end(std::chrono::milliseconds deadline) {
  ConnectionEnd end;
  bool done = false;
  std::array<char, 4096> chunk{};
  // After close_notify the socket itself is read, to see that the server closed it too.
  bool below_tls = !impl_->tls;
  std::function<void()> next;
  auto on_read = [&](beast::error_code ec, std::size_t n) {
    end.bytes.append(chunk.data(), n);
    if (!ec) return next();
    if (ec == asio::error::eof && !below_tls) {
      below_tls = true;
      return next();
    }
    done = true;
    end.closed = ec == asio::error::eof;
    if (!end.closed) end.error = ec.message();
  };
  next = [&] {
    if (below_tls) {
      impl_->socket.async_read_some(asio::buffer(chunk), on_read);
    } else {
      impl_->tls->async_read_some(asio::buffer(chunk), on_read);
    }
  };
  // Bytes already buffered by an earlier read come first.
  end.bytes = beast::buffers_to_string(impl_->buffer.data());
  impl_->buffer.consume(impl_->buffer.size());
  next();
  impl_->ioc.restart();
  impl_->ioc.run_for(deadline);
  if (!done) {
    beast::error_code ignored;
    impl_->socket.close(ignored);
    impl_->ioc.restart();
    impl_->ioc.run();
    end.closed = false;
    end.error = "the connection was still open after " + std::to_string(deadline.count()) + " ms";
  }
  return end;
}

}  // namespace brindle::testing
