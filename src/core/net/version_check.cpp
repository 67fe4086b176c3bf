#include "core/net/version_check.h"

#include <algorithm>

#include "core/net/progress_texts.h"
#include "core/net/request.h"
#include "core/net/settings.h"
#include "core/net/transport.h"
#include "wire/framing.h"

namespace brindle::net {

namespace {

bool send_version_request(const ClientContext& context, Transport& transport, ports::ProgressSink& progress,
                          Request& request, std::string& error) {
  request = Request(/*name_not_resolved_wording=*/true);
  request.set_subject_id(kVersionCheckSubject, context.current_server);
  request.set_progress_texts(kVerifyingVersionText, kFetchingKeyText);
  return request.send(transport, progress, context.request_context(), error);
}

}  // namespace

bool version_check(ClientContext& context, Transport& transport, ports::ProgressSink& progress,
                   VersionCheckResult& result, std::string& error) {
  result.local_version = settings_version(context);
  result.server_version = 0;

  Request request;
  bool sent = send_version_request(context, transport, progress, request, error);
  if (!sent) {
    const std::size_t tries = std::min(context.configured_servers.size(), kVersionCheckFailoverServers);
    // A copy: the list must not change under the loop if a write re-reads settings one day.
    const std::vector<std::string> servers(context.configured_servers.begin(),
                                           context.configured_servers.begin() + static_cast<long>(tries));
    for (const std::string& server : servers) {
      set_current_server(context, server);
      if (send_version_request(context, transport, progress, request, error)) {
        set_current_server(context, server);
        sent = true;
        break;
      }
    }
  }
  if (!sent) return false;
  if (request.reply_lines().empty()) {
    error = kEmptyReplyMessage;
    return false;
  }

  wire::SingleRecordReply reply(request.reply_lines());
  error = reply.message();
  if (!reply.success()) return false;
  result.server_version = reply.fields().integer();
  return true;
}

}  // namespace brindle::net
