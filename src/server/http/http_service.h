#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace brindle::server {

inline constexpr std::string_view kGbkHtml = "text/html; charset=GBK";

struct HttpAnswer {
  unsigned status = 200;
  std::string content_type{kGbkHtml};
  std::string body;
  std::string allow;  // for 405: the methods the path accepts
  // Further response headers (the in-play page's cache and content policies).
  std::vector<std::pair<std::string, std::string>> headers;
};

// How a request reached the listener.
enum class Channel { tls, plain };

// What an HttpListener serves: the betting service's Router, or another set of pages on a listener
// of its own. Called from the listener's network threads, several at once.
class HttpService {
 public:
  virtual ~HttpService() = default;

  // done gets the answer exactly once, perhaps later and from another thread; it may be called
  // before route_async returns. peer is the client's address: the socket's, or the one a trusted
  // proxy named in its PROXY header.
  virtual void route_async(Channel channel, std::string_view method, std::string_view target,
                           std::string_view body, std::string_view peer,
                           std::function<void(HttpAnswer)> done) const = 0;
};

}  // namespace brindle::server
