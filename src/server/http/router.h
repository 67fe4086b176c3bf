#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "server/http/dispatcher.h"
#include "server/http/http_service.h"
#include "server/server_config.h"

namespace brindle::server {

namespace web {
class InPlayWeb;
}

inline constexpr std::string_view kEndpointPath = "/betengine/VTServer220.dll";
inline constexpr std::string_view kServerListPath = "/betengine/ServerList.htm";
inline constexpr std::string_view kProxyListPath = "/betengine/ProxyList.htm";
inline constexpr std::string_view kHttpsOnlyText = "403 投注接口只接受HTTPS连接";
inline constexpr std::string_view kStrictTransportSecurity = "max-age=31536000";

// Maps one HTTP request to its answer. Safe to call from several threads at once.
class Router final : public HttpService {
 public:
  // self_host ("127.0.0.1:47443") is what the server list names when the configuration gives none.
  // in_play serves the in-play web page; without it that page is not found.
  Router(std::shared_ptr<const Dispatcher> dispatcher, std::shared_ptr<const ServerConfig> config,
         std::string self_host, std::shared_ptr<const web::InPlayWeb> in_play = nullptr);

  // Web pages and list documents are served on either channel. The endpoint answers only over TLS:
  // every request body there carries the user's password. With the operator's certificate
  // (config.certificate), every answer over TLS tells browsers to come over TLS only
  // (Strict-Transport-Security); with the self-made one it does not, since no browser can check that
  // certificate and one told so would let no one accept it any more.
  HttpAnswer route(Channel channel, std::string_view method, std::string_view target,
                   std::string_view body) const;
  // The same for a network thread: done gets the answer exactly once, perhaps later from a worker
  // thread (see Dispatcher::dispatch_async). peer is the client's address.
  void route_async(Channel channel, std::string_view method, std::string_view target, std::string_view body,
                   std::string_view peer, std::function<void(HttpAnswer)> done) const override;

 private:
  HttpAnswer answer_for(Channel channel, std::string_view method, std::string_view target,
                        std::string_view body) const;
  void add_transport_headers(Channel channel, HttpAnswer& answer) const;

  std::shared_ptr<const Dispatcher> dispatcher_;
  bool strict_transport_;
  std::string server_list_;
  std::string proxy_list_;
  std::filesystem::path release_dir_;
  std::shared_ptr<const web::InPlayWeb> in_play_;
};

}  // namespace brindle::server
