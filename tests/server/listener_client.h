#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace brindle::server::probe {

struct ListenerAnswer {
  unsigned status = 0;
  std::map<std::string, std::string> headers;
  std::string body;
};

// What a TLS client offers, to see what the listener accepts: empty fields leave OpenSSL's defaults.
struct TlsOffer {
  std::string tls12_ciphers;  // e.g. "ECDHE-ECDSA-AES128-SHA"
  bool tls12_only = false;    // no TLS 1.3, so that only tls12_ciphers can be agreed
  int max_version = 0;        // e.g. TLS1_1_VERSION
};

// A client connection to a listener on loopback, IPv4 or IPv6, that can send raw bytes (a PROXY
// header) before the TLS handshake and read the answer's headers; every call throws on a network
// error.
class ListenerClient {
 public:
  ListenerClient(std::string_view address, unsigned short port, std::string_view source = {});
  ListenerClient(ListenerClient&&) noexcept;
  ~ListenerClient();

  void write(std::string_view bytes);
  // The handshake; the reason it failed, or nothing.
  std::optional<std::string> start_tls(const TlsOffer& offer = {});
  // SHA-256 of the certificate the server presented, in hex.
  std::string certificate_fingerprint() const;
  std::string cipher() const;  // the suite agreed, in OpenSSL's name
  ListenerAnswer get(std::string_view target);
  // What the server still sends until it ends the connection.
  std::string read_until_close();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Whether this machine can bind ::1 (some containers have no IPv6 loopback).
bool have_ipv6_loopback();

// SHA-256 of a PEM certificate file, in hex, as certificate_fingerprint() gives it.
std::string file_fingerprint(const std::string& pem_file);

}  // namespace brindle::server::probe
