#include "core/net/login_request.h"

#include "core/net/progress_texts.h"
#include "core/net/request.h"
#include "core/net/transport.h"
#include "wire/framing.h"

namespace brindle::net {

bool login_request(ClientContext& context, Transport& transport, ports::ProgressSink& progress,
                   const std::string& user_name, const std::string& password, int mode,
                   const std::string& network_card_address, LoginReply& reply, std::string& error) {
  // The body is built from the Client context, so the new identity must be there first.
  context.user_name = user_name;
  context.password = password;

  Request request(/*name_not_resolved_wording=*/true);
  request.set_subject_id(kLoginSubject, context.current_server);
  request.set_proxy(context.user_proxy, context.proxy_text);
  request.set_txt_para(std::to_string(kLoginRequestModeMember) + "|" + network_card_address);
  request.set_progress_texts(kConnectingText, kSigningInText);
  if (!request.send(transport, progress, context.request_context(), error)) return false;
  if (request.reply_lines().empty()) {
    error = kEmptyReplyMessage;
    return false;
  }

  wire::SingleRecordReply record(request.reply_lines());
  error = record.message();
  if (!record.success()) return false;

  wire::FieldReader& fields = record.fields();
  context.login_text1 = fields.text();
  context.star_member = fields.integer();
  context.login_text3 = fields.text();
  context.currency_code = fields.integer();
  context.balance = fields.decimal();
  context.frozen_amount = fields.decimal();
  context.credit = fields.decimal();
  reply.spare = fields.integer();
  context.context_number1 = fields.integer();
  context.context_number2 = fields.integer();
  reply.new_messages = fields.integer();

  context.user_name = user_name;
  context.password = password;
  context.login_mode = mode == kLoginRequestModeMember ? kLoginModeMember : kLoginModeSecondary;
  return true;
}

}  // namespace brindle::net
