#include "server/http/router.h"

#include <utility>
#include <vector>

#include "server/http/list_document.h"
#include "server/web/in_play_web.h"
#include "server/web/release_files.h"
#include "server/web/web_pages.h"
#include "wire/gbk.h"

namespace brindle::server {
namespace {

HttpAnswer status_answer(unsigned status, std::string_view utf8_text, std::string allow = {}) {
  HttpAnswer answer;
  answer.status = status;
  answer.body = wire::utf8_to_gbk(utf8_text);
  answer.allow = std::move(allow);
  return answer;
}

}  // namespace

Router::Router(std::shared_ptr<const Dispatcher> dispatcher, std::shared_ptr<const ServerConfig> config,
               std::string self_host, std::shared_ptr<const web::InPlayWeb> in_play)
    : dispatcher_(std::move(dispatcher)),
      strict_transport_(!config->certificate.empty()),
      server_list_(
          list_document(config->servers.value_or(std::vector<ListEntry>{{std::move(self_host), 1}}))),
      proxy_list_(list_document(config->proxies)),
      release_dir_(config->release_dir),
      in_play_(std::move(in_play)) {}

HttpAnswer Router::route(Channel channel, std::string_view method, std::string_view target,
                         std::string_view body) const {
  HttpAnswer answer = answer_for(channel, method, target, body);
  add_transport_headers(channel, answer);
  return answer;
}

void Router::add_transport_headers(Channel channel, HttpAnswer& answer) const {
  if (channel == Channel::tls && strict_transport_)
    answer.headers.emplace_back("Strict-Transport-Security", kStrictTransportSecurity);
}

HttpAnswer Router::answer_for(Channel channel, std::string_view method, std::string_view target,
                              std::string_view body) const {
  auto question = target.find('?');
  auto path = target.substr(0, question);
  auto query = question == std::string_view::npos ? std::string_view{} : target.substr(question + 1);

  if (path == kEndpointPath) {
    if (channel != Channel::tls) return status_answer(403, kHttpsOnlyText);
    if (method != "POST") return status_answer(405, "405 请使用POST方法", "POST");
    HttpAnswer answer;
    // Refusals stay HTTP 200: the client shows only a 200 reply's words, anything else as a wrong server.
    answer.body = dispatcher_->dispatch(query, body).to_gbk();
    return answer;
  }
  if (path == kServerListPath || path == kProxyListPath) {
    if (method != "GET") return status_answer(405, "405 请使用GET方法", "GET");
    HttpAnswer answer;
    answer.body = path == kServerListPath ? server_list_ : proxy_list_;
    return answer;
  }
  if (in_play_ && web::InPlayWeb::handles(path)) {
    web::WebAnswer page = in_play_->answer(channel == Channel::tls, method, path, body);
    HttpAnswer answer;
    answer.status = page.status;
    answer.body = std::move(page.gbk_html);
    answer.allow = std::move(page.allow);
    answer.headers = std::move(page.headers);
    return answer;
  }
  if (auto download = web::release_download(release_dir_, path)) {
    if (method != "GET") return status_answer(405, "405 请使用GET方法", "GET");
    if (download->status != 200) return status_answer(download->status, download->body);
    HttpAnswer answer;
    answer.content_type = std::move(download->content_type);
    answer.body = std::move(download->body);
    return answer;
  }
  if (method == "GET") {
    if (auto page = web::page_for(path)) {
      HttpAnswer answer;
      answer.body = std::move(*page);
      return answer;
    }
  }
  return status_answer(404, "404 找不到该页面");
}

void Router::route_async(Channel channel, std::string_view method, std::string_view target,
                         std::string_view body, std::string_view peer,
                         std::function<void(HttpAnswer)> done) const {
  auto path = target.substr(0, target.find('?'));
  if (path != kEndpointPath || channel != Channel::tls || method != "POST") {
    return done(route(channel, method, target, body));
  }
  auto question = target.find('?');
  auto query = question == std::string_view::npos ? std::string_view{} : target.substr(question + 1);
  dispatcher_->dispatch_async(
      query, body, peer, [strict = strict_transport_, done = std::move(done)](Reply reply) {
        HttpAnswer answer;
        answer.body = reply.to_gbk();
        if (strict) answer.headers.emplace_back("Strict-Transport-Security", kStrictTransportSecurity);
        done(std::move(answer));
      });
}

}  // namespace brindle::server
