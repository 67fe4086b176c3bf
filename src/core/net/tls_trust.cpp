#include "core/net/tls_trust.h"

#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509_vfy.h>
#include <openssl/x509v3.h>

#include <cstdlib>
#include <memory>
#include <utility>

namespace brindle::net {

namespace {

struct StoreContextFree {
  void operator()(X509_STORE_CTX* context) const { X509_STORE_CTX_free(context); }
};

std::string lines(const std::vector<std::string>& texts) {
  std::string text;
  for (const auto& line : texts) {
    text += "  ";
    text += line;
    text += '\n';
  }
  return text;
}

std::string mismatch_words(const std::string& detail) {
  if (detail == "hostname mismatch" || detail == "IP address mismatch") return "证书是颁发给其他服务器的";
  if (detail == "certificate has expired" || detail == "certificate is not yet valid")
    return "证书已过期或尚未生效";
  return "证书未通过检查（" + detail + "）";
}

// Verifies `leaf` and its chain against `store`. With no host, only that the chain ends at one of the
// authorities, whatever the name and the date; with one, as a browser does.
bool verify(X509_STORE* store, X509* leaf, STACK_OF(X509) * chain, const std::string* host,
            std::string& detail) {
  const std::unique_ptr<X509_STORE_CTX, StoreContextFree> context(X509_STORE_CTX_new());
  if (!context || X509_STORE_CTX_init(context.get(), store, leaf, chain) != 1) {
    detail = "the certificate check could not start";
    return false;
  }
  X509_STORE_CTX_set_default(context.get(), "ssl_server");
  X509_VERIFY_PARAM* parameters = X509_STORE_CTX_get0_param(context.get());
  if (host == nullptr) {
    X509_VERIFY_PARAM_set_flags(parameters, X509_V_FLAG_NO_CHECK_TIME);
  } else if (X509_VERIFY_PARAM_set1_ip_asc(parameters, host->c_str()) != 1) {
    // Not an address: a name, matched as browsers match it.
    X509_VERIFY_PARAM_set1_host(parameters, host->c_str(), host->size());
  }
  const bool ok = X509_verify_cert(context.get()) == 1;
  if (!ok) detail = X509_verify_cert_error_string(X509_STORE_CTX_get_error(context.get()));
  return ok;
}

std::optional<std::string> leaf_fingerprint(X509* leaf) {
  unsigned char* key = nullptr;
  const int size = i2d_X509_PUBKEY(X509_get_X509_PUBKEY(leaf), &key);
  if (size <= 0) return std::nullopt;
  std::string fingerprint =
      key_fingerprint(std::string_view(reinterpret_cast<const char*>(key), static_cast<std::size_t>(size)));
  OPENSSL_free(key);
  return fingerprint;
}

}  // namespace

std::string refusal_text(const TrustRefusal& refusal) {
  const std::string& server = refusal.endpoint;
  switch (refusal.reason) {
    case TrustRefusal::Reason::changed_key:
      return "服务器 " + server + " 出示的证书密钥与上次记住的不同，请求没有发出。\n\n记住的密钥：\n" +
             lines(refusal.held) + "这次的密钥：\n  " + refusal.presented +
             "\n\n这可能是服务器更换了密钥，也可能有人在冒充它。请向服务商核实这次的密钥后，再决定是否信任。";
    case TrustRefusal::Reason::changed_built_in_key:
      return "服务器 " + server + " 出示的证书密钥不是客户端内置的密钥，请求没有发出。\n\n内置的密钥：\n" +
             lines(refusal.held) + "这次的密钥：\n  " + refusal.presented +
             "\n\n有人可能在冒充该服务器。内置的密钥不能更改，请联系服务商。";
    case TrustRefusal::Reason::authority_mismatch:
      return "服务器 " + server + " 的证书由证书机构签发，但" + mismatch_words(refusal.detail) +
             "，请求没有发出。";
    case TrustRefusal::Reason::undecidable:
      break;
  }
  return refusal.detail + "。\n为安全起见，没有向服务器 " + server +
         " 发送任何数据。请检查该文件，或删除它后重新连接（删除后，各服务器的密钥将在下次连接时重新记住）。";
}

ports::ServerKeyChange key_change(const TrustRefusal& refusal) {
  ports::ServerKeyChange change;
  change.server = refusal.endpoint;
  for (const auto& key : refusal.held) {
    if (!change.held.empty()) change.held += '\n';
    change.held += key;
  }
  change.presented = refusal.presented;
  change.built_in = refusal.reason == TrustRefusal::Reason::changed_built_in_key;
  change.text = refusal_text(refusal);
  return change;
}

std::string not_trusted_text(const TrustRefusal& refusal) {
  return "没有向服务器 " + refusal.endpoint + " 发送任何数据：" +
         (refusal.reason == TrustRefusal::Reason::changed_built_in_key
              ? "它的证书密钥不是客户端内置的密钥。"
              : "它的证书密钥已改变，未被信任（重新启动客户端后可再次选择）。");
}

TlsTrust::TlsTrust(std::shared_ptr<ServerKeys> keys) : keys_(std::move(keys)) {}

TlsTrust::~TlsTrust() {
  if (authorities_ != nullptr) X509_STORE_free(authorities_);
}

void TlsTrust::set_authorities(std::filesystem::path file) {
  authorities_file_ = std::move(file);
  if (authorities_ != nullptr) X509_STORE_free(authorities_);
  authorities_ = nullptr;
}

X509_STORE* TlsTrust::authorities() {
  if (authorities_ != nullptr) return authorities_;
  authorities_ = X509_STORE_new();
  if (authorities_ == nullptr) return nullptr;
  // A file that cannot be read leaves the store empty: nothing is vouched for, every server is judged
  // by its key.
  if (authorities_file_.empty()) {
    X509_STORE_set_default_paths(authorities_);
  } else {
    X509_STORE_load_file(authorities_, authorities_file_.c_str());
  }
  return authorities_;
}

Result<void> TlsTrust::attach(CURL* easy) {
  if (curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 0L) != CURLE_OK ||
      curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 0L) != CURLE_OK ||
      curl_easy_setopt(easy, CURLOPT_SSL_CTX_FUNCTION, &TlsTrust::on_context) != CURLE_OK ||
      curl_easy_setopt(easy, CURLOPT_SSL_CTX_DATA, this) != CURLE_OK) {
    return Result<void>::failure("libcurl's TLS library lets no program check a server's certificate itself");
  }
  return {};
}

bool TlsTrust::aim(std::string_view url) {
  refusal_.reset();
  host_.clear();
  endpoint_.clear();
  CURLU* handle = curl_url();
  if (handle == nullptr) return false;
  char* host = nullptr;
  char* port = nullptr;
  const std::string text(url);
  if (curl_url_set(handle, CURLUPART_URL, text.c_str(), 0) == CURLUE_OK &&
      curl_url_get(handle, CURLUPART_HOST, &host, 0) == CURLUE_OK &&
      curl_url_get(handle, CURLUPART_PORT, &port, CURLU_DEFAULT_PORT) == CURLUE_OK) {
    std::string name = host;
    if (auto endpoint = key_endpoint(name, std::atoi(port))) {
      endpoint_ = std::move(*endpoint);
      if (name.size() > 2 && name.front() == '[') name = name.substr(1, name.size() - 2);
      host_ = std::move(name);
    }
  }
  curl_free(port);
  curl_free(host);
  curl_url_cleanup(handle);
  return !endpoint_.empty();
}

CURLcode TlsTrust::on_context(CURL*, void* ssl_context, void* self) {
  auto* context = static_cast<SSL_CTX*>(ssl_context);
  SSL_CTX_set_verify(context, SSL_VERIFY_PEER, nullptr);
  SSL_CTX_set_cert_verify_callback(context, &TlsTrust::on_verify, self);
  return CURLE_OK;
}

int TlsTrust::on_verify(X509_STORE_CTX* context, void* self) {
  bool accepted = false;
  // Nothing may unwind through the TLS library; a decision that cannot be made is a refusal.
  try {
    accepted = static_cast<TlsTrust*>(self)->decide(context);
  } catch (...) {
    accepted = false;
  }
  X509_STORE_CTX_set_error(context, accepted ? X509_V_OK : X509_V_ERR_APPLICATION_VERIFICATION);
  return accepted ? 1 : 0;
}

bool TlsTrust::decide(X509_STORE_CTX* context) {
  TrustRefusal refusal;
  refusal.endpoint = endpoint_;
  X509* leaf = X509_STORE_CTX_get0_cert(context);
  STACK_OF(X509)* chain = X509_STORE_CTX_get0_untrusted(context);
  X509_STORE* store = authorities();
  if (leaf == nullptr || endpoint_.empty() || store == nullptr) {
    refusal.detail = "没有可以检查的证书";
    refusal_ = std::move(refusal);
    return false;
  }
  std::string detail;
  if (verify(store, leaf, chain, nullptr, detail)) {
    if (verify(store, leaf, chain, &host_, detail)) return true;
    refusal.reason = TrustRefusal::Reason::authority_mismatch;
    refusal.detail = detail;
    refusal_ = std::move(refusal);
    return false;
  }
  const auto fingerprint = leaf_fingerprint(leaf);
  if (!fingerprint) {
    refusal.detail = "证书中的公钥无法读取";
    refusal_ = std::move(refusal);
    return false;
  }
  KeyJudgement judgement = keys_->judge(endpoint_, *fingerprint);
  switch (judgement.verdict) {
    case KeyVerdict::known:
    case KeyVerdict::first_use:
      return true;
    case KeyVerdict::changed:
      refusal.reason = TrustRefusal::Reason::changed_key;
      break;
    case KeyVerdict::changed_built_in:
      refusal.reason = TrustRefusal::Reason::changed_built_in_key;
      break;
    case KeyVerdict::undecidable:
      refusal.reason = TrustRefusal::Reason::undecidable;
      refusal.detail = std::move(judgement.problem);
      break;
  }
  refusal.presented = std::move(judgement.presented);
  refusal.held = std::move(judgement.held);
  refusal_ = std::move(refusal);
  return false;
}

}  // namespace brindle::net
