#include "server/http/dispatcher.h"

#include <utility>

#include "server/operations/metrics.h"
#include "server/http/worker_pool.h"

namespace brindle::server {
namespace {

Reply server_error() { return Reply::failure(kResultServerError, std::string(kServerErrorText)); }

// The subjects that place a bet or take a banker's offer.
bool places_bet(int subject) {
  return subject == 3009 || subject == 3010 || subject == 3020 || subject == 3022 || subject == 3050;
}

std::string_view outcome_of(const Reply& reply) {
  if (reply.result_code() == kResultSuccess) return "ok";
  if (reply.result_code() == kResultServerError) return "error";
  return "refused";
}

}  // namespace

std::string unsupported_subject_text(int subject_id) {
  return "服务器暂不支持此项业务（编号" + std::to_string(subject_id) + "）。";
}

Result<void> Dispatcher::add(int subject_id, SubjectHandler handler, Access access, HandlerCost cost,
                             SubjectPrecheck precheck) {
  if (!category_of(subject_id)) {
    return Result<void>::failure("SubjectID " + std::to_string(subject_id) +
                                 " belongs to no request category");
  }
  if (!handlers_.emplace(subject_id, Entry{std::move(handler), cost, access, std::move(precheck)}).second) {
    return Result<void>::failure("SubjectID " + std::to_string(subject_id) + " already has a handler");
  }
  return {};
}

void Dispatcher::set_authenticator(RequestAuthenticator authenticator) {
  set_authentication([check = std::move(authenticator)](const AuthenticationAttempt& attempt) {
    AuthenticationOutcome outcome;
    accounts::AuthenticatedAccount account;
    outcome.failure = check(attempt.credentials, account);
    if (!outcome.failure) outcome.account = std::move(account);
    return outcome;
  });
}

std::variant<Reply, Dispatcher::Prepared> Dispatcher::prepare(std::string_view category_name,
                                                              std::string_view gbk_body,
                                                              std::string_view peer) const {
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
  return Prepared{SubjectRequest{*category, std::move(form).value(), std::nullopt, std::string(peer)},
                  &handler->second};
}

std::optional<Reply> Dispatcher::run(Prepared& prepared, bool may_hash) const {
  auto& request = prepared.request;
  try {
    if (request.category != RequestCategory::acquire && prepared.entry->access == Access::signed_in &&
        authenticate_ && !request.account) {
      auto outcome = authenticate_({*request.form.credentials, request.peer, may_hash});
      if (outcome.failure) {
        if (metrics_) metrics_->sign_in_refusals().inc();
        return Reply::failure(outcome.failure->result_code, std::move(outcome.failure->message));
      }
      if (!outcome.account) {
        if (may_hash) return server_error();
        return std::nullopt;
      }
      request.account = std::move(outcome.account);
    }
    if (!may_hash && prepared.entry->cost == HandlerCost::hashes) {
      if (prepared.entry->precheck) {
        if (auto refused = prepared.entry->precheck(request)) return refused;
      }
      return std::nullopt;
    }
    return prepared.entry->handler(request);
  } catch (...) {
    // A failing handler costs its one request, never the connection or the process.
    return server_error();
  }
}

void Dispatcher::count(int subject, const Reply& reply, std::chrono::steady_clock::time_point started) const {
  if (!metrics_) return;
  const std::string label = subject == 0 ? std::string("none") : std::to_string(subject);
  const auto outcome = outcome_of(reply);
  metrics_->request_answered(label, outcome, std::chrono::steady_clock::now() - started);
  if (places_bet(subject) && outcome != "error")
    (outcome == "ok" ? metrics_->bets_accepted() : metrics_->bets_refused()).inc();
}

Reply Dispatcher::dispatch(std::string_view category_name, std::string_view gbk_body,
                           std::string_view peer) const {
  const auto started = std::chrono::steady_clock::now();
  auto prepared = prepare(category_name, gbk_body, peer);
  if (auto* reply = std::get_if<Reply>(&prepared)) {
    count(0, *reply, started);
    return std::move(*reply);
  }
  auto& job = std::get<Prepared>(prepared);
  auto reply = run(job, true).value_or(server_error());
  count(job.request.form.subject_id, reply, started);
  return reply;
}

void Dispatcher::dispatch_async(std::string_view category_name, std::string_view gbk_body,
                                std::string_view peer, Done done) const {
  const auto started = std::chrono::steady_clock::now();
  auto prepared = prepare(category_name, gbk_body, peer);
  if (auto* reply = std::get_if<Reply>(&prepared)) {
    count(0, *reply, started);
    return done(std::move(*reply));
  }
  auto job = std::make_shared<Prepared>(std::move(std::get<Prepared>(prepared)));
  const int subject = job->request.form.subject_id;
  auto answer = [this, subject, started, done = std::move(done)](Reply reply) {
    count(subject, reply, started);
    done(std::move(reply));
  };
  if (auto reply = run(*job, !pool_)) return answer(std::move(*reply));
  auto posted = pool_->post([this, job, answer] { answer(run(*job, true).value_or(server_error())); });
  if (!posted) answer(server_error());
}

}  // namespace brindle::server
