#include "core/net/server_lists.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "core/net/list_cache.h"
#include "core/net/request.h"
#include "core/net/transport.h"
#include "wire/field_reader.h"

namespace brindle::net {

namespace {

constexpr const char* kConnecting = "正在与服务器连接...";
constexpr const char* kSending = "正在向服务器发送请求...";
constexpr const char* kReading = "正在从服务器读取数据...";
constexpr std::size_t kLineCapacity = 4095;
constexpr std::size_t kFieldCapacity = 1024;

std::string document_url(const char* pattern, const std::string& host) {
  const int length = std::snprintf(nullptr, 0, pattern, host.c_str());
  std::string url(static_cast<std::size_t>(length), '\0');
  std::snprintf(url.data(), url.size() + 1, pattern, host.c_str());
  return url;
}

bool list_fetch(const char* document, std::vector<ListEntry>& list, const ClientContext& context,
                Transport& transport, ports::ProgressSink& progress, std::string& error,
                const std::vector<std::string>& hosts) {
  for (const std::string& host : hosts) {
    Request request;
    request.set_url(document_url(document, host));
    request.set_progress_texts(kConnecting, kSending, kReading);
    if (!request.send(transport, progress, context.request_context(), error, /*no_body=*/true)) continue;

    list.clear();
    std::string line;
    while (request.read_line(line, kLineCapacity)) {
      wire::FieldReader reader(line, '|');
      ListEntry entry;
      reader.next(entry.text, kFieldCapacity);
      std::string number;
      reader.next(number, kFieldCapacity);
      entry.number = wire::to_integer(number);
      list.push_back(std::move(entry));
    }
    return true;
  }
  return false;
}

}  // namespace

std::vector<std::string> list_document_hosts(const ClientContext& context,
                                             const std::vector<std::string>& built_in) {
  std::vector<std::string> hosts;
  auto add = [&](std::string_view text) {
    const std::string_view host = strip_blanks(text);
    if (!host.empty() && std::find(hosts.begin(), hosts.end(), host) == hosts.end()) hosts.emplace_back(host);
  };
  add(context.current_server);
  for (const std::string& server : context.configured_servers) add(server);
  for (const std::string& host : built_in) add(host);
  return hosts;
}

bool server_list_fetch(ClientContext& context, Transport& transport, ports::ProgressSink& progress,
                       std::string& error, const std::vector<std::string>& hosts) {
  if (!list_fetch(kServerListDocument, context.server_list, context, transport, progress, error, hosts)) {
    return false;
  }
  server_list_cache_write(context);  // a cache that cannot be written is not the fetch's failure
  return true;
}

bool proxy_list_fetch(ClientContext& context, Transport& transport, ports::ProgressSink& progress,
                      std::string& error, const std::vector<std::string>& hosts) {
  if (!list_fetch(kProxyListDocument, context.proxy_list, context, transport, progress, error, hosts)) {
    return false;
  }
  proxy_list_cache_write(context);
  return true;
}

}  // namespace brindle::net
