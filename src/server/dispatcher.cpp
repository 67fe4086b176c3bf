#include "server/dispatcher.h"

#include <utility>

namespace brindle::server {

std::string unsupported_subject_text(int subject_id) {
  return "服务器暂不支持此项业务（编号" + std::to_string(subject_id) + "）。";
}

Result<void> Dispatcher::add(int subject_id, SubjectHandler handler, Access access) {
  if (!category_of(subject_id)) {
    return Result<void>::failure("SubjectID " + std::to_string(subject_id) +
                                 " belongs to no request category");
  }
  if (!handlers_.emplace(subject_id, std::move(handler)).second) {
    return Result<void>::failure("SubjectID " + std::to_string(subject_id) + " already has a handler");
  }
  if (access == Access::open) open_subjects_.insert(subject_id);
  return {};
}

Reply Dispatcher::dispatch(std::string_view category_name, std::string_view gbk_body) const {
  auto category = category_from_name(category_name);
  if (!category) return Reply::failure(kResultRefused, std::string(kUnknownCategoryText));

  auto form = parse_form_body(gbk_body);
  if (!form) return Reply::failure(kResultRefused, form.error());

  if (category_of(form->subject_id) != category) {
    return Reply::failure(kResultRefused, std::string(kCategoryMismatchText));
  }
  // Only DATA_ACQUIRE goes without sign-in fields; every other request is authenticated from them.
  if (*category != RequestCategory::acquire && !form->credentials) {
    return Reply::failure(kResultRefused, std::string(kMissingCredentialsText));
  }

  auto handler = handlers_.find(form->subject_id);
  if (handler == handlers_.end()) {
    return Reply::failure(kResultUnsupported, unsupported_subject_text(form->subject_id));
  }
  try {
    SubjectRequest request{*category, std::move(form).value(), std::nullopt};
    if (*category != RequestCategory::acquire && authenticator_ &&
        !open_subjects_.contains(request.form.subject_id)) {
      accounts::AuthenticatedAccount account;
      if (auto refused = authenticator_(*request.form.credentials, account)) {
        return Reply::failure(refused->result_code, std::move(refused->message));
      }
      request.account = std::move(account);
    }
    return handler->second(request);
  } catch (...) {
    // A failing handler costs its one request, never the connection or the process.
    return Reply::failure(kResultServerError, std::string(kServerErrorText));
  }
}

}  // namespace brindle::server
