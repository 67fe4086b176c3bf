#include "core/net/curl_transport.h"

#include <curl/curl.h>

#include <cstddef>
#include <exception>
#include <mutex>
#include <new>
#include <optional>
#include <string_view>
#include <utility>

#include "core/net/reply_lines.h"
#include "core/net/request_gate.h"
#include "core/net/resend_policy.h"
#include "core/net/transport_error_text.h"
#include "core/ports/log_sink.h"
#include "core/ports/progress_sink.h"
#include "core/ports/server_key_port.h"

namespace brindle::net {

namespace {

using Clock = std::chrono::steady_clock;
using Lines = std::vector<std::string>;

constexpr char kNotHttpsText[] = "Error: can only use URLs beginning with http://";
constexpr char kBadStatusText[] = "网络错误，请检查您选择的服务器是否正确！\n";
constexpr char kNameNotResolvedText[] = "网络错误，请检查您的Internet连接是否正常！";
constexpr char kAgent[] = "hbc";
// Far beyond any real reply; only a broken or hostile server gets here.
constexpr std::size_t kReplyLimit = std::size_t{16} << 20;
constexpr std::chrono::milliseconds kPumpInterval{50};

void init_curl_once() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// libcurl's English account of a failure, for the log.
std::string system_detail(CURLcode code, std::string_view detail) {
  std::string text = curl_easy_strerror(code);
  while (!detail.empty() && (detail.back() == '\n' || detail.back() == '\r')) detail.remove_suffix(1);
  if (!detail.empty() && detail != text) {
    text += ": ";
    text += detail;
  }
  return text;
}

Result<Lines> fail(std::string text) { return Result<Lines>::failure(std::move(text)); }

// The address libcurl is to use, or nothing when it is not an https:// URL with a host.
std::optional<std::string> https_url(const std::string& url) {
  CURLU* handle = curl_url();
  if (handle == nullptr) return std::nullopt;
  std::optional<std::string> result;
  char* scheme = nullptr;
  char* host = nullptr;
  char* full = nullptr;
  if (curl_url_set(handle, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK &&
      curl_url_get(handle, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK &&
      curl_url_get(handle, CURLUPART_HOST, &host, 0) == CURLUE_OK &&
      curl_url_get(handle, CURLUPART_URL, &full, 0) == CURLUE_OK && curl_strequal(scheme, "https") != 0 &&
      host[0] != '\0') {
    result = full;
  }
  curl_free(full);
  curl_free(host);
  curl_free(scheme);
  curl_url_cleanup(handle);
  return result;
}

// begin() and end() pair up on every path out of an exchange.
class ProgressScope final {
 public:
  explicit ProgressScope(ports::ProgressSink& sink) : sink_(sink) { sink_.begin(); }
  ~ProgressScope() { sink_.end(); }
  ProgressScope(const ProgressScope&) = delete;
  ProgressScope& operator=(const ProgressScope&) = delete;

 private:
  ports::ProgressSink& sink_;
};

}  // namespace

struct CurlTransport::Handles {
  CURLSH* share = nullptr;
  CURLM* multi = nullptr;
  CURL* easy = nullptr;
  curl_slist* headers = nullptr;
  char errors[CURL_ERROR_SIZE] = {};

  Handles() = default;
  Handles(const Handles&) = delete;
  Handles& operator=(const Handles&) = delete;
  ~Handles() {
    if (easy != nullptr) curl_easy_cleanup(easy);
    if (multi != nullptr) curl_multi_cleanup(multi);
    if (share != nullptr) curl_share_cleanup(share);
    curl_slist_free_all(headers);
  }
};

namespace {

// The state of one perform, reached from libcurl's callbacks.
struct Attempt {
  Attempt(CURL* handle, const HttpExchange& ex, ports::ProgressSink& sink)
      : easy(handle),
        exchange(ex),
        progress(sink),
        splitter([this](std::string line) { keep(std::move(line)); }) {}

  void show(const std::string& text) {
    if (!text.empty()) progress.show_text(text);
  }
  void keep(std::string line) {
    show(exchange.reading_text);
    lines.push_back(std::move(line));
  }
  // Exceptions must not unwind through libcurl: park them and let the transfer fail.
  template <typename F>
  bool guarded(F&& body) {
    try {
      body();
      return true;
    } catch (...) {
      if (!failure) failure = std::current_exception();
      return false;
    }
  }

  CURL* easy;
  const HttpExchange& exchange;
  ports::ProgressSink& progress;
  Lines lines;
  ReplyLineSplitter splitter;
  int connections_ready = 0;
  bool resend_refused = false;
  bool refused_after_sending = false;
  bool status_seen = false;
  bool status_ok = false;
  long status = 0;
  bool reply_too_large = false;
  bool upload_done = false;
  std::size_t reply_bytes = 0;
  curl_off_t uploaded = 0;
  Clock::time_point last_activity = Clock::now();
  std::exception_ptr failure;
};

// A connection is up (new or kept alive) and the request is about to go out.
int on_prereq(void* data, char*, char*, int, int) {
  auto& attempt = *static_cast<Attempt*>(data);
  ++attempt.connections_ready;
  attempt.last_activity = Clock::now();
  if (attempt.connections_ready > 1) {
    // libcurl found the kept-alive connection dead and wants to send again on a fresh one; allow
    // that only when no byte of the request left on the dead one.
    long sent = 0;
    curl_easy_getinfo(attempt.easy, CURLINFO_REQUEST_SIZE, &sent);
    const FailedAttempt dead{sent > 0 ? CURLE_GOT_NOTHING : CURLE_SEND_ERROR, true, sent > 0};
    if (!may_resend(dead)) {
      attempt.resend_refused = true;
      attempt.refused_after_sending = sent > 0;
      return CURL_PREREQFUNC_ABORT;
    }
  }
  return attempt.guarded([&] { attempt.show(attempt.exchange.sending_text); }) ? CURL_PREREQFUNC_OK
                                                                               : CURL_PREREQFUNC_ABORT;
}

std::size_t on_header(char* bytes, std::size_t size, std::size_t count, void* data) {
  auto& attempt = *static_cast<Attempt*>(data);
  const std::size_t length = size * count;
  attempt.last_activity = Clock::now();
  const std::string_view line(bytes, length);
  if (line != "\r\n" && line != "\n") return length;
  long status = 0;
  curl_easy_getinfo(attempt.easy, CURLINFO_RESPONSE_CODE, &status);
  if (status >= 100 && status < 200) return length;  // an interim reply; the real one follows
  attempt.status_seen = true;
  attempt.status = status;
  attempt.status_ok = status == 200;
  // Any other status ends the exchange here: its body is of no use.
  if (!attempt.status_ok) return 0;
  return attempt.guarded([&] { attempt.show(attempt.exchange.reading_text); }) ? length : 0;
}

std::size_t on_body(char* bytes, std::size_t size, std::size_t count, void* data) {
  auto& attempt = *static_cast<Attempt*>(data);
  const std::size_t length = size * count;
  attempt.last_activity = Clock::now();
  if (!attempt.status_ok) return 0;
  attempt.reply_bytes += length;
  if (attempt.reply_bytes > kReplyLimit) {
    attempt.reply_too_large = true;
    return 0;
  }
  return attempt.guarded([&] { attempt.splitter.feed(std::string_view(bytes, length)); }) ? length : 0;
}

int on_progress(void* data, curl_off_t, curl_off_t, curl_off_t upload_total, curl_off_t upload_now) {
  auto& attempt = *static_cast<Attempt*>(data);
  if (upload_now != attempt.uploaded) {
    attempt.uploaded = upload_now;
    attempt.last_activity = Clock::now();
  }
  if (upload_total > 0 && upload_now >= upload_total) attempt.upload_done = true;
  return 0;
}

}  // namespace

CurlTransport::CurlTransport() {
  init_curl_once();
  auto handles = std::make_unique<Handles>();
  handles->share = curl_share_init();
  handles->multi = curl_multi_init();
  handles->easy = curl_easy_init();
  handles->headers = curl_slist_append(nullptr, "Expect:");
  if (handles->share == nullptr || handles->multi == nullptr || handles->easy == nullptr ||
      handles->headers == nullptr) {
    return;
  }
  curl_share_setopt(handles->share, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
  curl_share_setopt(handles->share, CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION);
  curl_share_setopt(handles->share, CURLSHOPT_SHARE, CURL_LOCK_DATA_CONNECT);

  CURL* easy = handles->easy;
  curl_easy_setopt(easy, CURLOPT_SHARE, handles->share);
  curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, handles->errors);
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_USERAGENT, kAgent);
  curl_easy_setopt(easy, CURLOPT_HTTPHEADER, handles->headers);
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "https");
  curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
  // A proxy's answer to CONNECT is not the server's reply and must not be judged as one.
  curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
  // The service's servers run on certificates of their own making, so libcurl's checks would refuse
  // them; the trust decision takes their place in every handshake.
  curl_easy_setopt(easy, CURLOPT_CAINFO, nullptr);
  curl_easy_setopt(easy, CURLOPT_CAPATH, nullptr);
  if (auto attached = trust_.attach(easy); !attached) trust_unavailable_ = attached.error();
  curl_easy_setopt(easy, CURLOPT_PREREQFUNCTION, on_prereq);
  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, on_header);
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, on_body);
  curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, on_progress);
  curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
  handles_ = std::move(handles);
}

CurlTransport::~CurlTransport() = default;

void CurlTransport::set_timeouts(std::chrono::milliseconds send, std::chrono::milliseconds receive) {
  send_timeout_ = send;
  receive_timeout_ = receive;
}

Result<Lines> CurlTransport::exchange(const HttpExchange& exchange, ports::ProgressSink& progress) {
  const RequestGate::Pass pass = RequestGate::try_enter();
  if (!pass) return fail(kRequestInFlightText);
  try {
    const std::optional<std::string> url = https_url(exchange.url);
    if (!url) {
      const ProgressScope scope(progress);
      if (!exchange.connecting_text.empty()) progress.show_text(exchange.connecting_text);
      return fail(kNotHttpsText);
    }
    auto result = attempt(exchange, *url, progress);
    if (std::string warning = trust_.keys().take_warning(); !warning.empty()) report(exchange, warning);
    if (result) return result;
    std::optional<TrustRefusal> refusal = trust_.take_refusal();
    if (!refusal) return result;
    // The request never left: the handshake was broken off before it.
    bool asked = false;
    if (!trusted_after_refusal(*refusal, exchange, asked))
      return fail(asked ? not_trusted_text(*refusal) : refusal_text(*refusal));
    result = attempt(exchange, *url, progress);
    if (std::optional<TrustRefusal> again = trust_.take_refusal()) return fail(refusal_text(*again));
    return result;
  } catch (const std::bad_alloc& error) {
    return failure(exchange, CURLE_OUT_OF_MEMORY, error.what());
  } catch (const std::exception& error) {
    return failure(exchange, CURLE_ABORTED_BY_CALLBACK, error.what());
  } catch (...) {
    return failure(exchange, CURLE_ABORTED_BY_CALLBACK, "unknown exception");
  }
}

bool CurlTransport::trusted_after_refusal(const TrustRefusal& refusal, const HttpExchange& exchange,
                                          bool& asked) {
  std::string account = "the certificate was refused";
  if (!refusal.presented.empty()) account += "; key presented " + refusal.presented;
  if (!refusal.detail.empty()) account += "; " + refusal.detail;
  report(exchange, account);
  const bool changed = refusal.reason == TrustRefusal::Reason::changed_key ||
                       refusal.reason == TrustRefusal::Reason::changed_built_in_key;
  if (!changed || key_port_ == nullptr) return false;
  asked = true;
  // The sign-in tries the configured servers and proxies in turn, often the same server again: a key
  // the user has turned down is not put to him again in this run.
  const auto answered = std::make_pair(refusal.endpoint, refusal.presented);
  if (declined_.count(answered) != 0) return false;
  // A built-in key is only told of; the window offers no choice for it.
  const bool trusted = key_port_->trust_new_key(key_change(refusal));
  if (!trusted || refusal.reason != TrustRefusal::Reason::changed_key) {
    declined_.insert(answered);
    return false;
  }
  // Trusted, even when it could not be written down: then for this run alone.
  if (auto kept = trust_.keys().trust(refusal.endpoint, refusal.presented); !kept)
    report(exchange, kept.error());
  return true;
}

Result<Lines> CurlTransport::attempt(const HttpExchange& exchange, const std::string& url,
                                     ports::ProgressSink& progress) {
  const ProgressScope scope(progress);
  if (!exchange.connecting_text.empty()) progress.show_text(exchange.connecting_text);
  if (!handles_) return failure(exchange, CURLE_OUT_OF_MEMORY, "the transport's handles could not be made");
  if (!trust_unavailable_.empty()) return failure(exchange, CURLE_SSL_ENGINE_INITFAILED, trust_unavailable_);
  if (!trust_.aim(url)) return fail(kNotHttpsText);

  CURL* easy = handles_->easy;
  curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
  if (exchange.has_body) {
    curl_easy_setopt(easy, CURLOPT_POST, 1L);
    curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(exchange.body.size()));
    curl_easy_setopt(easy, CURLOPT_POSTFIELDS, exchange.body.data());
  } else {
    curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
  }
  // Null hands the choice back to the system's configuration, so a proxy named for an earlier
  // exchange never carries over to the next one on this handle.
  curl_easy_setopt(easy, CURLOPT_PROXY, exchange.use_proxy ? exchange.proxy.c_str() : nullptr);
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(send_timeout_.count()));

  bool may_try_again = false;
  auto result = perform(exchange, progress, may_try_again);
  if (result || !may_try_again) return result;
  return perform(exchange, progress, may_try_again);
}

Result<Lines> CurlTransport::failure(const HttpExchange& exchange, CURLcode code, std::string_view detail) {
  report(exchange, system_detail(code, detail));
  return fail(transport_error_text(code));
}

void CurlTransport::report(const HttpExchange& exchange, std::string_view text) {
  ports::LogSink* sink = log_sink();
  if (sink == nullptr) return;
  // A log that fails must not turn a reported failure into another one.
  try {
    std::string line = exchange.url;
    line += ": ";
    line += text;
    sink->warn(line);
  } catch (...) {
  }
}

Result<Lines> CurlTransport::perform(const HttpExchange& exchange, ports::ProgressSink& progress,
                                     bool& may_try_again) {
  may_try_again = false;
  CURL* easy = handles_->easy;
  CURLM* multi = handles_->multi;
  Attempt attempt(easy, exchange, progress);
  attempt.upload_done = !exchange.has_body || exchange.body.empty();
  curl_easy_setopt(easy, CURLOPT_PREREQDATA, &attempt);
  curl_easy_setopt(easy, CURLOPT_HEADERDATA, &attempt);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, &attempt);
  curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &attempt);
  handles_->errors[0] = '\0';

  if (const CURLMcode added = curl_multi_add_handle(multi, easy); added != CURLM_OK) {
    return failure(exchange, added == CURLM_OUT_OF_MEMORY ? CURLE_OUT_OF_MEMORY : CURLE_FAILED_INIT,
                   curl_multi_strerror(added));
  }
  CURLcode code = CURLE_OK;
  bool done = false;
  bool stalled = false;
  CURLMcode multi_code = CURLM_OK;
  Clock::time_point last_pump = Clock::now();
  while (!done) {
    int running = 0;
    multi_code = curl_multi_perform(multi, &running);
    if (multi_code != CURLM_OK) break;
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
      if (message->msg == CURLMSG_DONE && message->easy_handle == easy) {
        code = message->data.result;
        done = true;
      }
    }
    if (done) break;
    // Connection set-up is bounded by libcurl; once connected, only a stall counts, so a slow
    // but steady reply is never cut off.
    if (attempt.connections_ready > 0) {
      const auto limit = attempt.upload_done || attempt.status_seen ? receive_timeout_ : send_timeout_;
      if (Clock::now() - attempt.last_activity > limit) {
        stalled = true;
        break;
      }
    }
    multi_code = curl_multi_poll(multi, nullptr, 0, static_cast<int>(kPumpInterval.count()), nullptr);
    if (multi_code != CURLM_OK) break;
    if (Clock::now() - last_pump >= kPumpInterval) {
      progress.pump();
      last_pump = Clock::now();
    }
  }
  // Removing an unfinished transfer closes its connection, so nothing half-read is reused.
  curl_multi_remove_handle(multi, easy);

  if (attempt.failure) std::rethrow_exception(attempt.failure);
  if (trust_.refused()) return fail(kBadStatusText);  // the caller reads the refusal itself
  if (attempt.status_seen && !attempt.status_ok) {
    report(exchange, "the server answered with HTTP status " + std::to_string(attempt.status));
    return fail(kBadStatusText);
  }
  if (stalled) {
    const bool sending = !attempt.upload_done && !attempt.status_seen;
    const long waited = static_cast<long>((sending ? send_timeout_ : receive_timeout_).count());
    return failure(
        exchange, CURLE_OPERATION_TIMEDOUT,
        (sending ? "nothing could be sent to the server for " : "nothing arrived from the server for ") +
            std::to_string(waited) + " ms");
  }
  if (multi_code != CURLM_OK) {
    return failure(exchange, multi_code == CURLM_OUT_OF_MEMORY ? CURLE_OUT_OF_MEMORY : CURLE_FAILED_INIT,
                   curl_multi_strerror(multi_code));
  }
  if (attempt.resend_refused) {
    return failure(exchange, attempt.refused_after_sending ? CURLE_GOT_NOTHING : CURLE_SEND_ERROR,
                   "the connection closed before the reply; the request was not sent again");
  }
  if (attempt.reply_too_large) {
    return failure(exchange, CURLE_FILESIZE_EXCEEDED,
                   "the reply is larger than " + std::to_string(kReplyLimit) + " bytes");
  }
  if (code == CURLE_OK) {
    if (!attempt.status_ok) return fail(kBadStatusText);
    attempt.splitter.finish();
    if (attempt.failure) std::rethrow_exception(attempt.failure);
    if (const std::size_t cut = attempt.splitter.cut_lines(); cut != 0) {
      report(exchange, std::to_string(cut) + " reply line(s) longer than " +
                           std::to_string(ReplyLineSplitter::kMaxLineBytes) + " bytes arrived in pieces");
    }
    return std::move(attempt.lines);
  }
  // Nothing left for the server when no connection came up: only then is a second try safe.
  may_try_again = attempt.connections_ready == 0 && may_resend(FailedAttempt{code, false, false});
  if (code == CURLE_COULDNT_RESOLVE_HOST && exchange.name_not_resolved_wording) {
    report(exchange, system_detail(code, handles_->errors));
    return fail(kNameNotResolvedText);
  }
  return failure(exchange, code, handles_->errors);
}

}  // namespace brindle::net
