#pragma once

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "server/accounts/account.h"
#include "server/category.h"
#include "server/form_body.h"
#include "server/reply.h"
#include "wire/result.h"

namespace brindle::server {

struct SubjectRequest {
  RequestCategory category;
  FormBody form;
  // The signed-in account: set for every request outside DATA_ACQUIRE once a Dispatcher has an
  // authenticator; empty for DATA_ACQUIRE.
  std::optional<accounts::AuthenticatedAccount> account{};
};

// Checks one request's credentials; a failure's text goes back with the code of the failure.
struct AuthenticationFailure {
  int result_code;
  std::string message;
};
using RequestAuthenticator =
    std::function<std::optional<AuthenticationFailure>(const Credentials&, accounts::AuthenticatedAccount&)>;

// Called from several connection threads at once: a handler must be safe for that.
using SubjectHandler = std::function<Reply(const SubjectRequest&)>;

inline constexpr std::string_view kUnknownCategoryText = "请求类别无法识别。";
inline constexpr std::string_view kCategoryMismatchText = "请求类别与业务编号不符。";
inline constexpr std::string_view kMissingCredentialsText = "请求缺少用户名或密码。";
inline constexpr std::string_view kServerErrorText = "服务器内部错误，请稍后再试。";

// "服务器暂不支持此项业务（编号N）。"
std::string unsupported_subject_text(int subject_id);

// The table from SubjectID to its handler. Filled at start-up, then only read, so dispatching needs
// no lock.
class Dispatcher final {
 public:
  // Whether a subject's handler needs a signed-in account. Registration, the name checks and
  // password retrieval come before the user can sign in: their sign-in fields are whatever the
  // client last held, so they are not checked and the handler gets no account.
  enum class Access { signed_in, open };

  // Refuses a SubjectID that the client files under no category (no request could reach it) and one
  // that already has a handler.
  Result<void> add(int subject_id, SubjectHandler handler, Access access = Access::signed_in);
  bool handles(int subject_id) const { return handlers_.contains(subject_id); }
  // From then on every request outside DATA_ACQUIRE is authenticated before its handler runs.
  void set_authenticator(RequestAuthenticator authenticator) { authenticator_ = std::move(authenticator); }

  // Answers one request: category_name is the endpoint's query string, body the form text in GBK.
  // Every malformed or misfiled request gets a refusal reply; nothing here throws.
  Reply dispatch(std::string_view category_name, std::string_view gbk_body) const;

 private:
  std::map<int, SubjectHandler> handlers_;
  std::set<int> open_subjects_;
  RequestAuthenticator authenticator_;
};

}  // namespace brindle::server
