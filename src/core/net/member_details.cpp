#include "core/net/member_details.h"

#include "core/net/progress_texts.h"
#include "core/net/request.h"
#include "core/net/transport.h"
#include "wire/field_reader.h"
#include "wire/framing.h"

namespace brindle::net {

bool member_details_request(ClientContext& context, Transport& transport, ports::ProgressSink& progress,
                            std::string& error) {
  Request request;
  request.set_subject_id(kMemberDetailsSubject, context.current_server);
  request.set_proxy(context.user_proxy, context.proxy_text);
  request.set_progress_texts(kConnectingText, kSigningInText);
  if (!request.send(transport, progress, context.request_context(), error)) return false;
  if (request.reply_lines().empty()) {
    error = kEmptyReplyMessage;
    return false;
  }

  wire::SingleRecordReply record(request.reply_lines());
  if (!record.success()) {
    error = record.message();
    return false;
  }
  MemberDetails details;
  details.in_play_web_mode = wire::to_integer(record.message());
  wire::FieldReader& fields = record.fields();
  for (std::string& text : details.texts) text = fields.text();
  details.number1 = fields.integer();
  details.number2 = fields.integer();
  context.member_details = std::move(details);
  return true;
}

}  // namespace brindle::net
