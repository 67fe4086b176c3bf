#pragma once

#include <curl/curl.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/net/server_keys.h"
#include "core/ports/server_key_port.h"
#include "wire/result.h"

typedef struct x509_store_st X509_STORE;
typedef struct x509_store_ctx_st X509_STORE_CTX;

namespace brindle::net {

// Why a handshake was broken off before any byte of the request went out.
struct TrustRefusal {
  enum class Reason {
    changed_key,           // another key than the one learned for the server
    changed_built_in_key,  // another key than the ones built in for it
    authority_mismatch,    // vouched for by an authority, but for another name or out of date
    undecidable,           // the learned keys could not be read
  };
  Reason reason = Reason::undecidable;
  std::string endpoint;
  std::string presented;
  std::vector<std::string> held;
  std::string detail;  // authority_mismatch: the check's own words; undecidable: the problem
};

// What the user is told: the whole account of a refusal, and the window's account of a changed key.
std::string refusal_text(const TrustRefusal& refusal);
ports::ServerKeyChange key_change(const TrustRefusal& refusal);
// The transport's answer once the user has been shown a changed key and did not trust it.
std::string not_trusted_text(const TrustRefusal& refusal);

// The trust decision in every TLS handshake of a libcurl handle, made before the request is sent:
//   1. a certificate that the system's authorities vouch for, for the host's name and in date, is
//      accepted; one they vouch for with another name or out of date is refused;
//   2. any other (the servers' own certificates) is judged by its key alone, against ServerKeys:
//      held → accepted, never seen → accepted and learned, changed or undecidable → refused.
// libcurl's own checks stay off: this replaces them.
class TlsTrust {
 public:
  explicit TlsTrust(std::shared_ptr<ServerKeys> keys);
  ~TlsTrust();
  TlsTrust(const TlsTrust&) = delete;
  TlsTrust& operator=(const TlsTrust&) = delete;

  // A PEM file of authorities instead of the system's.
  void set_authorities(std::filesystem::path file);
  void set_keys(std::shared_ptr<ServerKeys> keys) { keys_ = std::move(keys); }
  ServerKeys& keys() { return *keys_; }

  // Once per handle; fails when libcurl's TLS library leaves no way to make the decision.
  Result<void> attach(CURL* easy);
  // Before each transfer: the https:// address it is for. False when the address names no server.
  bool aim(std::string_view url);
  // What the last transfer's handshake refused, if it did.
  std::optional<TrustRefusal> take_refusal() { return std::exchange(refusal_, std::nullopt); }
  bool refused() const { return refusal_.has_value(); }

 private:
  static CURLcode on_context(CURL* easy, void* ssl_context, void* self);
  static int on_verify(X509_STORE_CTX* context, void* self);
  bool decide(X509_STORE_CTX* context);
  X509_STORE* authorities();

  std::shared_ptr<ServerKeys> keys_;
  std::filesystem::path authorities_file_;
  X509_STORE* authorities_ = nullptr;
  std::string host_;  // as the name check takes it: an IPv6 address without brackets
  std::string endpoint_;
  std::optional<TrustRefusal> refusal_;
};

}  // namespace brindle::net
