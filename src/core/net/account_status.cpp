#include "core/net/account_status.h"

#include "core/net/progress_texts.h"
#include "core/net/request.h"
#include "core/net/transport.h"
#include "wire/framing.h"

namespace brindle::net {

bool account_status_request(const ClientContext& context, Transport& transport, ports::ProgressSink& progress,
                            bool& frozen, std::string& error) {
  frozen = false;
  Request request(/*name_not_resolved_wording=*/true);
  request.set_subject_id(kAccountStatusSubject, context.current_server);
  request.set_proxy(context.user_proxy, context.proxy_text);
  request.set_txt_para(context.user_name);
  request.set_progress_texts(kConnectingText, kSigningInText);
  if (!request.send(transport, progress, context.request_context(), error)) return false;
  if (request.reply_lines().empty()) {
    error = kEmptyReplyMessage;
    return false;
  }

  wire::SingleRecordReply record(request.reply_lines());
  error = record.message();
  frozen = record.fields().integer() != 0;
  return record.success();
}

}  // namespace brindle::net
