#include "upgrader/curl_fetcher.h"

#include <curl/curl.h>

#include <memory>

#include "core/net/tls_trust.h"

namespace brindle::upgrader {
namespace {

struct Sink {
  std::string bytes;
  std::uint64_t limit = 0;
  bool too_large = false;
};

std::size_t keep(char* data, std::size_t size, std::size_t count, void* user) {
  auto* sink = static_cast<Sink*>(user);
  const std::size_t length = size * count;
  if (sink->bytes.size() + length > sink->limit) {
    sink->too_large = true;
    return 0;  // ends the transfer
  }
  sink->bytes.append(data, length);
  return length;
}

struct EasyFree {
  void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};

}  // namespace

Result<std::string> CurlFetcher::fetch(const std::string& url, std::uint64_t limit) {
  using Failure = Result<std::string>;
  std::unique_ptr<CURL, EasyFree> easy(curl_easy_init());
  if (!easy) return Failure::failure("libcurl could not start");
  Sink sink;
  sink.limit = limit;
  char error[CURL_ERROR_SIZE] = {};
  curl_easy_setopt(easy.get(), CURLOPT_URL, url.c_str());
  curl_easy_setopt(easy.get(), CURLOPT_PROTOCOLS_STR, "https");
  curl_easy_setopt(easy.get(), CURLOPT_WRITEFUNCTION, keep);
  curl_easy_setopt(easy.get(), CURLOPT_WRITEDATA, &sink);
  curl_easy_setopt(easy.get(), CURLOPT_ERRORBUFFER, error);
  curl_easy_setopt(easy.get(), CURLOPT_FAILONERROR, 1L);
  curl_easy_setopt(easy.get(), CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy.get(), CURLOPT_CONNECTTIMEOUT, 20L);
  // A stalled transfer ends instead of hanging the upgrade: under 1 byte/s for a minute.
  curl_easy_setopt(easy.get(), CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(easy.get(), CURLOPT_LOW_SPEED_TIME, 60L);
  net::TlsTrust trust(keys_);
  if (auto attached = trust.attach(easy.get()); !attached)
    return Failure::failure(url + ": " + attached.error());
  if (!trust.aim(url)) return Failure::failure(url + ": not an https:// address of a server");
  const CURLcode code = curl_easy_perform(easy.get());
  // Nothing was asked of a server the client does not trust; say why in the client's words.
  if (auto refusal = trust.take_refusal()) return Failure::failure(url + ": " + net::refusal_text(*refusal));
  if (sink.too_large) return Failure::failure(url + ": larger than expected");
  if (code != CURLE_OK) return Failure::failure(url + ": " + (error[0] ? error : curl_easy_strerror(code)));
  return std::move(sink.bytes);
}

}  // namespace brindle::upgrader
