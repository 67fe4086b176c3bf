#include "core/net/latest_information.h"

#include "core/net/progress_texts.h"
#include "core/net/request.h"
#include "core/net/transport.h"
#include "wire/framing.h"

namespace brindle::net {

bool latest_information_request(ClientContext& context, Transport& transport, ports::ProgressSink& progress,
                                std::string& error) {
  Request request;
  request.set_subject_id(kLatestInformationSubject, context.current_server);
  request.set_progress_texts(kLatestInformationText);
  if (!request.send(transport, progress, context.request_context(), error)) return false;
  if (request.reply_lines().empty()) {
    error = kEmptyReplyMessage;
    return false;
  }

  wire::SingleRecordReply record(request.reply_lines());
  error = record.message();
  if (!record.success()) return false;
  context.latest_information = record.fields().text();
  return true;
}

}  // namespace brindle::net
