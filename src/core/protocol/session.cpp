#include "core/protocol/session.h"

#include <utility>

#include "core/net/client_context.h"
#include "core/protocol/subject_table.h"

namespace brindle::protocol {

Result<net::Request> send_subject(Session& session, int subject_id, std::string txt_para,
                                  std::optional<std::string> reading) {
  const SubjectEntry* entry = find_subject(subject_id);
  if (entry == nullptr) {
    return Result<net::Request>::failure("SubjectID " + std::to_string(subject_id) +
                                         " is not in the catalogue");
  }
  net::Request request(entry->name_not_resolved_wording);
  request.set_subject_id(subject_id, session.context.current_server);
  request.set_txt_para(std::move(txt_para));
  if (entry->use_proxy) request.set_proxy(session.context.user_proxy, session.context.proxy_text);
  auto text = [](const char* t) { return t ? std::optional<std::string>(t) : std::nullopt; };
  request.set_progress_texts(text(entry->connecting), text(entry->sending),
                             reading ? std::move(reading) : text(entry->reading));
  std::string error;
  if (!request.send(session.transport, session.progress, session.context.request_context(), error)) {
    return Result<net::Request>::failure(std::move(error));
  }
  return request;
}

std::string clean_free_text(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    if (c != '\r' && c != '\n' && c != '|') out.push_back(c);
  }
  return out;
}

}  // namespace brindle::protocol
