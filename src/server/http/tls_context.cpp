#include "server/http/tls_context.h"

#include <openssl/ssl.h>

#include <string>

namespace brindle::server {
namespace {

namespace ssl = boost::asio::ssl;

// TLS 1.2's forward-secret AEAD suites, strongest-to-cheapest as Mozilla's intermediate profile
// orders them; TLS 1.3 keeps OpenSSL's suites, all of them AEAD.
constexpr const char* kTls12Ciphers =
    "ECDHE-ECDSA-AES128-GCM-SHA256:ECDHE-RSA-AES128-GCM-SHA256:"
    "ECDHE-ECDSA-AES256-GCM-SHA384:ECDHE-RSA-AES256-GCM-SHA384:"
    "ECDHE-ECDSA-CHACHA20-POLY1305:ECDHE-RSA-CHACHA20-POLY1305";

}  // namespace

Result<TlsContextPtr> make_tls_context(const CertificateFiles& files) {
  using Failure = Result<TlsContextPtr>;
  if (auto checked = check_certificate_files(files); !checked) return Failure::failure(checked.error());

  auto context = std::make_shared<ssl::context>(ssl::context::tls_server);
  SSL_CTX* ctx = context->native_handle();
  SSL_CTX_set_options(ctx, SSL_OP_CIPHER_SERVER_PREFERENCE | SSL_OP_NO_COMPRESSION | SSL_OP_NO_RENEGOTIATION);
  if (SSL_CTX_set_min_proto_version(ctx, TLS1_2_VERSION) != 1 ||
      SSL_CTX_set_cipher_list(ctx, kTls12Ciphers) != 1)
    return Failure::failure("cannot set the server's TLS policy");

  boost::system::error_code ec;
  context->use_certificate_chain_file(files.certificate.string(), ec);
  if (ec)
    return Failure::failure("cannot load the certificate " + files.certificate.string() + ": " +
                            ec.message());
  context->use_private_key_file(files.private_key.string(), ssl::context::pem, ec);
  if (ec)
    return Failure::failure("cannot load the private key " + files.private_key.string() + ": " +
                            ec.message());
  if (SSL_CTX_check_private_key(ctx) != 1) {
    return Failure::failure(files.certificate.string() + " and " + files.private_key.string() +
                            " do not belong together");
  }
  return context;
}

}  // namespace brindle::server
