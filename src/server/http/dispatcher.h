#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

#include "server/accounts/account.h"
#include "server/http/category.h"
#include "server/http/form_body.h"
#include "server/http/reply.h"
#include "wire/result.h"

namespace brindle::server {

struct SubjectRequest {
  RequestCategory category;
  FormBody form;
  // The signed-in account: set for every request outside DATA_ACQUIRE once a Dispatcher has an
  // authenticator; empty for DATA_ACQUIRE.
  std::optional<accounts::AuthenticatedAccount> account{};
  std::string peer{};  // the client's address ("127.0.0.1"); empty when not known
};

// Checks one request's credentials; a failure's text goes back with the code of the failure.
struct AuthenticationFailure {
  int result_code;
  std::string message;
};
using RequestAuthenticator =
    std::function<std::optional<AuthenticationFailure>(const Credentials&, accounts::AuthenticatedAccount&)>;

struct AuthenticationAttempt {
  const Credentials& credentials;
  std::string_view peer;
  // False on a network thread: no full password check may run there; when only one can tell, the
  // outcome says so and the request moves to the worker pool.
  bool may_hash;
};
struct AuthenticationOutcome {
  std::optional<accounts::AuthenticatedAccount> account{};
  std::optional<AuthenticationFailure> failure{};
  bool needs_hashing() const { return !account && !failure; }
};
using AuthenticationStep = std::function<AuthenticationOutcome(const AuthenticationAttempt&)>;

// Whether a handler may run on a network thread or, because it hashes passwords, on the worker pool.
enum class HandlerCost { quick, hashes };

// Called from several connection threads at once: a handler must be safe for that.
using SubjectHandler = std::function<Reply(const SubjectRequest&)>;
// What a hashing handler can refuse without hashing (a limit that holds), asked on the network
// thread before the request goes to the worker pool; empty lets the request go on. The handler
// must still ask itself: a request dispatched in place never meets its precheck.
using SubjectPrecheck = std::function<std::optional<Reply>(const SubjectRequest&)>;

inline constexpr std::string_view kUnknownCategoryText = "请求类别无法识别。";
inline constexpr std::string_view kCategoryMismatchText = "请求类别与业务编号不符。";
inline constexpr std::string_view kMissingCredentialsText = "请求缺少用户名或密码。";
inline constexpr std::string_view kServerErrorText = "服务器内部错误，请稍后再试。";

// "服务器暂不支持此项业务（编号N）。"
std::string unsupported_subject_text(int subject_id);

// The table from SubjectID to its handler. Filled at start-up, then only read, so dispatching needs
// no lock.
class WorkerPool;
namespace operations {
class Metrics;
}

class Dispatcher final {
 public:
  // Whether a subject's handler needs a signed-in account. Registration, the name checks and
  // password retrieval come before the user can sign in: their sign-in fields are whatever the
  // client last held, so they are not checked and the handler gets no account.
  enum class Access { signed_in, open };
  using Done = std::function<void(Reply)>;

  // Refuses a SubjectID that the client files under no category (no request could reach it) and one
  // that already has a handler.
  // A handler that hashes passwords (registration, password changes) is added with
  // HandlerCost::hashes: it then always runs on the worker pool.
  Result<void> add(int subject_id, SubjectHandler handler, HandlerCost cost = HandlerCost::quick) {
    return add(subject_id, std::move(handler), Access::signed_in, cost);
  }
  Result<void> add(int subject_id, SubjectHandler handler, Access access,
                   HandlerCost cost = HandlerCost::quick, SubjectPrecheck precheck = {});
  bool handles(int subject_id) const { return handlers_.contains(subject_id); }
  // From then on every request outside DATA_ACQUIRE is authenticated before its handler runs.
  void set_authenticator(RequestAuthenticator authenticator);
  // The same with the client's address and the choice to defer a full password check.
  void set_authentication(AuthenticationStep step) { authenticate_ = std::move(step); }
  // Where requests that need hashing run in dispatch_async; without one they run in place.
  void set_worker_pool(std::shared_ptr<WorkerPool> pool) { pool_ = std::move(pool); }
  // Where every answer is counted: by subject and outcome with its latency, the bets placed among
  // them, and the refused sign-ins.
  void set_metrics(std::shared_ptr<operations::Metrics> metrics) { metrics_ = std::move(metrics); }

  // Answers one request: category_name is the endpoint's query string, body the form text in GBK.
  // Every malformed or misfiled request gets a refusal reply; nothing here throws.
  Reply dispatch(std::string_view category_name, std::string_view gbk_body, std::string_view peer = {}) const;
  // The same for a network thread: a request that needs a full password check or a hashing handler
  // goes to the worker pool, so requests with remembered credentials never wait behind hashing.
  // done runs exactly once, on the calling thread or on a pool thread.
  void dispatch_async(std::string_view category_name, std::string_view gbk_body, std::string_view peer,
                      Done done) const;

 private:
  struct Entry {
    SubjectHandler handler;
    HandlerCost cost;
    Access access;
    SubjectPrecheck precheck;
  };
  struct Prepared {
    SubjectRequest request;
    const Entry* entry;
  };
  std::variant<Reply, Prepared> prepare(std::string_view category_name, std::string_view gbk_body,
                                        std::string_view peer) const;
  // Empty when may_hash is false and only a full password check can tell.
  std::optional<Reply> run(Prepared& prepared, bool may_hash) const;
  // Counts one answer; subject 0 for a request that named none the table knows.
  void count(int subject, const Reply& reply, std::chrono::steady_clock::time_point started) const;

  std::map<int, Entry> handlers_;
  AuthenticationStep authenticate_;
  std::shared_ptr<WorkerPool> pool_;
  std::shared_ptr<operations::Metrics> metrics_;
};

}  // namespace brindle::server
