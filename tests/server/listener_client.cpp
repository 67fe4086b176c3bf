#include "listener_client.h"

#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <boost/asio/connect.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <cstdio>
#include <stdexcept>

namespace brindle::server::probe {
namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
namespace ssl = asio::ssl;
using tcp = asio::ip::tcp;

std::string fingerprint(X509* cert) {
  if (!cert) return {};
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned length = 0;
  if (X509_digest(cert, EVP_sha256(), digest, &length) != 1) return {};
  std::string hex;
  char pair[3];
  for (unsigned i = 0; i < length; ++i) {
    std::snprintf(pair, sizeof pair, "%02x", digest[i]);
    hex += pair;
  }
  return hex;
}

}  // namespace

struct ListenerClient::Impl {
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

ListenerClient::ListenerClient(std::string_view address, unsigned short port, std::string_view source)
    : impl_(std::make_unique<Impl>()) {
  const auto target = asio::ip::make_address(std::string(address));
  impl_->socket.open(target.is_v6() ? tcp::v6() : tcp::v4());
  if (!source.empty()) impl_->socket.bind(tcp::endpoint(asio::ip::make_address(std::string(source)), 0));
  impl_->socket.connect(tcp::endpoint(target, port));
}

ListenerClient::ListenerClient(ListenerClient&&) noexcept = default;
ListenerClient::~ListenerClient() = default;

void ListenerClient::write(std::string_view bytes) {
  impl_->with_stream([&](auto& stream) { asio::write(stream, asio::buffer(bytes.data(), bytes.size())); });
}

std::optional<std::string> ListenerClient::start_tls(const TlsOffer& offer) {
  SSL_CTX* ctx = impl_->context.native_handle();
  impl_->context.set_verify_mode(ssl::verify_none);
  if (!offer.tls12_ciphers.empty()) SSL_CTX_set_cipher_list(ctx, offer.tls12_ciphers.c_str());
  if (offer.tls12_only) SSL_CTX_set_max_proto_version(ctx, TLS1_2_VERSION);
  impl_->tls.emplace(impl_->socket, impl_->context);
  beast::error_code ec;
  impl_->tls->handshake(ssl::stream_base::client, ec);
  if (ec) {
    impl_->tls.reset();
    return ec.message();
  }
  return std::nullopt;
}

std::string ListenerClient::certificate_fingerprint() const {
  if (!impl_->tls) return {};
  X509* cert = SSL_get1_peer_certificate(impl_->tls->native_handle());
  auto text = fingerprint(cert);
  X509_free(cert);
  return text;
}

std::string ListenerClient::cipher() const {
  return impl_->tls ? SSL_get_cipher_name(impl_->tls->native_handle()) : "";
}

ListenerAnswer ListenerClient::get(std::string_view target) {
  http::request<http::empty_body> req{http::verb::get, beast::string_view(target.data(), target.size()), 11};
  req.set(http::field::host, "localhost");
  http::response<http::string_body> res;
  impl_->with_stream([&](auto& stream) {
    http::write(stream, req);
    http::read(stream, impl_->buffer, res);
  });
  ListenerAnswer answer{res.result_int(), {}, res.body()};
  for (const auto& field : res) answer.headers[std::string(field.name_string())] = std::string(field.value());
  return answer;
}

std::string ListenerClient::read_until_close() {
  std::string out = beast::buffers_to_string(impl_->buffer.data());
  impl_->buffer.consume(impl_->buffer.size());
  char chunk[4096];
  for (;;) {
    beast::error_code ec;
    auto n = impl_->with_stream([&](auto& stream) { return stream.read_some(asio::buffer(chunk), ec); });
    out.append(chunk, n);
    if (ec) return out;
  }
}

bool have_ipv6_loopback() {
  asio::io_context ioc;
  tcp::acceptor acceptor(ioc);
  beast::error_code ec;
  acceptor.open(tcp::v6(), ec);
  if (!ec) acceptor.bind(tcp::endpoint(asio::ip::address_v6::loopback(), 0), ec);
  return !ec;
}

std::string file_fingerprint(const std::string& pem_file) {
  FILE* file = std::fopen(pem_file.c_str(), "r");
  if (!file) return {};
  X509* cert = PEM_read_X509(file, nullptr, nullptr, nullptr);
  std::fclose(file);
  auto text = fingerprint(cert);
  X509_free(cert);
  return text;
}

}  // namespace brindle::server::probe
