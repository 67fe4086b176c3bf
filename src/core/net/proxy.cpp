#include "core/net/proxy.h"

#include "core/net/list_cache.h"
#include "core/net/server_lists.h"
#include "core/net/settings_file.h"

namespace brindle::net {

namespace {

constexpr const char* kSection = "SETTINGS";
constexpr const char* kUserProxyKey = "UserProxy";
constexpr const char* kPersonalProxyKey = "PersonalProxy";
constexpr const char* kProxyServerKey = "ProxyServer";
constexpr const char* kProxyPortKey = "ProxyPort";

const char* flag_text(bool flag) { return flag ? "1" : "0"; }

}  // namespace

std::string make_proxy_text(const std::string& address, int port) {
  if (address.empty()) return {};
  return address + ":" + std::to_string(port);
}

bool proxy_load(ClientContext& context) {
  const SettingsFile settings(context.settings_path());
  context.user_proxy = settings.read_int(kSection, kUserProxyKey, 0) != 0;
  context.personal_proxy = settings.read_int(kSection, kPersonalProxyKey, 0) != 0;
  if (context.personal_proxy) {
    context.personal_proxy_address = settings.read_text(kSection, kProxyServerKey);
    context.personal_proxy_port = settings.read_int(kSection, kProxyPortKey, 0);
    context.proxy_text = make_proxy_text(context.personal_proxy_address, context.personal_proxy_port);
  }
  proxy_list_cache_read(context);
  return !context.proxy_list.empty();
}

bool proxy_apply(ClientContext& context, bool use_proxy, bool personal, const std::string& address,
                 int port) {
  context.user_proxy = use_proxy;
  context.personal_proxy = personal;
  context.proxy_text = make_proxy_text(address, port);

  const SettingsFile settings(context.settings_path());
  settings.write_text(kSection, kUserProxyKey, flag_text(use_proxy));
  settings.write_text(kSection, kPersonalProxyKey, flag_text(personal));
  if (personal) {
    settings.write_text(kSection, kProxyServerKey, address);
    settings.write_int(kSection, kProxyPortKey, port);
  }
  return true;
}

std::optional<ListEntry> take_next_proxy(ClientContext& context) {
  if (context.proxy_list.empty()) return std::nullopt;
  // A list re-read shorter than before would otherwise leave the cursor past its end for good.
  if (context.proxy_cursor >= context.proxy_list.size()) context.proxy_cursor = 0;
  ListEntry entry = context.proxy_list[context.proxy_cursor];
  context.proxy_cursor = (context.proxy_cursor + 1) % context.proxy_list.size();
  return entry;
}

bool automatic_proxy_choice(ClientContext& context, Transport& transport, ports::ProgressSink& progress,
                            const std::vector<std::string>& hosts) {
  proxy_load(context);
  if (!context.user_proxy) {
    context.user_proxy = true;
    context.personal_proxy = false;
  }

  if (!context.proxy_text.empty()) {
    if (context.personal_proxy) return true;
    const auto next = take_next_proxy(context);
    if (!next) return true;
    return proxy_apply(context, context.user_proxy, context.personal_proxy, next->text, next->number);
  }

  std::string address;
  int port = 0;
  if (context.personal_proxy) {
    address = context.personal_proxy_address;
    port = context.personal_proxy_port;
  } else {
    std::string ignored;
    proxy_list_fetch(context, transport, progress, ignored, hosts);
    if (const auto next = take_next_proxy(context)) {
      address = next->text;
      port = next->number;
    }
  }
  return proxy_apply(context, context.user_proxy, context.personal_proxy, address, port);
}

ProxySettingsEntries proxy_settings_open(ClientContext& context) {
  proxy_load(context);
  return {context.user_proxy, context.personal_proxy, context.personal_proxy_address,
          context.personal_proxy_port};
}

void proxy_settings_confirm(ClientContext& context, const ProxySettingsEntries& entries, Transport& transport,
                            ports::ProgressSink& progress, const std::vector<std::string>& hosts) {
  std::string address;
  int port = 0;
  if (entries.use_proxy) {
    if (entries.personal) {
      address = entries.address;
      port = entries.port;
    } else {
      std::string ignored;
      if (proxy_list_fetch(context, transport, progress, ignored, hosts)) {
        if (const auto next = take_next_proxy(context)) {
          address = next->text;
          port = next->number;
        }
      }
    }
  }
  proxy_apply(context, entries.use_proxy, entries.personal, address, port);
}

}  // namespace brindle::net
