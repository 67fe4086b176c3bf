#pragma once

#include <boost/asio/ssl/context.hpp>
#include <memory>
#include <mutex>

#include "server/http/tls_certificate.h"
#include "wire/result.h"

namespace brindle::server {

using TlsContextPtr = std::shared_ptr<boost::asio::ssl::context>;

// The server's TLS context for its certificate files, as a scanner expects of a public service:
// TLS 1.2 at least, for TLS 1.2 only ECDHE key exchange with AEAD ciphers (AES-GCM,
// ChaCha20-Poly1305) in the server's order, TLS 1.3's own suites, no compression and no
// renegotiation. The files are checked first (check_certificate_files).
Result<TlsContextPtr> make_tls_context(const CertificateFiles& files);

// The context new handshakes use, shared by every listener of a server and replaced whole when the
// certificate is reloaded; a connection keeps the context it began with until it ends.
class TlsContextHolder final {
 public:
  explicit TlsContextHolder(TlsContextPtr context) : context_(std::move(context)) {}

  TlsContextPtr current() const {
    std::lock_guard lock(mutex_);
    return context_;
  }
  void replace(TlsContextPtr context) {
    std::lock_guard lock(mutex_);
    context_.swap(context);
  }

 private:
  mutable std::mutex mutex_;
  TlsContextPtr context_;
};

}  // namespace brindle::server
