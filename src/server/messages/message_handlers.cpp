#include "server/messages/message_handlers.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "server/accounts/authenticator.h"
#include "server/http/para_fields.h"
#include "server/members/member_store.h"
#include "server/storage/timestamp.h"
#include "wire/gbk.h"
#include "wire/records/account_records.h"

namespace brindle::server {
namespace {

constexpr int kSendQuestion = 2001;
constexpr int kDeleteMessage = 2002;
constexpr int kRate = 2018;
constexpr int kSurveyCheck = 2019;
constexpr int kQuestions = 4001;
constexpr int kMessages = 4002;

constexpr std::size_t kQuestionByteLimit = 2000;
constexpr std::size_t kReasonByteLimit = 400;  // the survey window's own limit

using storage::Connection;

struct Context {
  std::shared_ptr<storage::Database> db;
};

Reply server_error() { return Reply::failure(kResultServerError, std::string(kServerErrorText)); }
Reply refused(std::string_view text) { return Reply::failure(kResultRefused, std::string(text)); }

const std::string& para_of(const SubjectRequest& r) { return r.form.credentials->para; }

bool has_control(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7F;
  });
}

Reply questions(const Context& c, const SubjectRequest& r) {
  auto list =
      c.db->read([&](Connection& connection) { return members::questions_of(connection, r.account->id); });
  if (!list) return server_error();
  auto reply = Reply::success({});
  for (const auto& q : list.value()) {
    reply.add_row(records::to_fields(
        records::QuestionLine{1, static_cast<int>(q.number), q.topic, q.text, q.reply, q.replier}));
  }
  return reply;
}

// "topic|question|": the window has already taken line breaks and "|" out of the question.
Reply send_question(const Context& c, const SubjectRequest& r) {
  const auto fields = split_para(para_as_meant(para_of(r)));
  if (fields.size() != 3 || !fields[2].empty()) return refused(kBadQuestionText);
  if (fields[1].empty()) return refused(kQuestionEmptyText);
  if (has_control(fields[0]) || has_control(fields[1]) || wire::gbk_byte_length(fields[0]) > 100)
    return refused(kBadQuestionText);
  if (wire::gbk_byte_length(fields[1]) > kQuestionByteLimit) return refused(kQuestionLongText);
  auto added = c.db->transaction([&](Connection& connection) {
    return members::add_question(connection, r.account->id, fields[0], fields[1],
                                 storage::now_unix_seconds());
  });
  if (!added) return server_error();
  return Reply::success(std::string(kQuestionSentText));
}

std::string with_breaks(const std::string& content) {
  std::string out;
  for (const char ch : content) {
    if (ch == '\n') {
      out += "<br>";
    } else if (ch != '\r') {
      out += ch;
    }
  }
  return out;
}

Reply messages(const Context& c, const SubjectRequest& r) {
  auto list =
      c.db->read([&](Connection& connection) { return members::messages_of(connection, r.account->id); });
  if (!list) return server_error();
  auto reply = Reply::success({});
  for (const auto& m : list.value()) {
    reply.add_row(records::to_fields(
        records::PrivateMessageLine{static_cast<int>(m.number), m.heading, with_breaks(m.content),
                                    storage::ole_from_unix(m.sent_at), std::string()}));
  }
  return reply;
}

Reply delete_message(const Context& c, const SubjectRequest& r) {
  std::int64_t number = 0;
  if (!parse_int(para_of(r), number)) return refused(kNoSuchMessageText);
  auto deleted = c.db->transaction(
      [&](Connection& connection) { return members::delete_message(connection, r.account->id, number); });
  if (!deleted) return server_error();
  if (!deleted.value()) return refused(kNoSuchMessageText);
  return Reply::success(std::string(kMessageDeletedText));
}

// The question number the window shows: "0" for a notice, empty for none. Success offers the survey.
Reply survey_check(const Context& c, const SubjectRequest& r) {
  std::int64_t number = 0;
  if (!parse_int(para_of(r), number) || number <= 0) return refused(kNoSurveyText);
  auto open = c.db->read(
      [&](Connection& connection) { return members::survey_open(connection, r.account->id, number); });
  if (!open) return server_error();
  if (!open.value()) return refused(kNoSurveyText);
  return Reply::success({});
}

// "reason|question number|rating": 0 满意, 1 一般, 2 不满意.
Reply rate(const Context& c, const SubjectRequest& r) {
  const auto fields = split_para(para_as_meant(para_of(r)));
  std::int64_t number = 0;
  int rating = -1;
  if (fields.size() != 3 || !parse_int(fields[1], number) || !parse_int(fields[2], rating) || rating < 0 ||
      rating > 2 || has_control(fields[0]))
    return refused(kBadRatingText);
  if (wire::gbk_byte_length(fields[0]) >= kReasonByteLimit) return refused(kReasonLongText);
  bool ratable = true;
  auto done = c.db->transaction([&](Connection& connection) -> Result<void> {
    auto open = members::survey_open(connection, r.account->id, number);
    if (!open) return Result<void>::failure(open.error());
    ratable = open.value();
    if (!ratable) return Result<void>::failure(std::string(kNotRatableText));
    return members::record_rating(connection, r.account->id, number, rating, fields[0],
                                  storage::now_unix_seconds());
  });
  if (!done) return ratable ? server_error() : refused(kNotRatableText);
  return Reply::success(std::string(kRatedText));
}

}  // namespace

Result<void> add_message_handlers(Dispatcher& dispatcher, const ServerServices& services) {
  if (!services.db) return Result<void>::failure("message handlers need the database");
  const Context context{services.db};
  using Handler = Reply (*)(const Context&, const SubjectRequest&);
  const std::pair<int, Handler> table[] = {
      {kQuestions, questions},          {kSendQuestion, send_question}, {kMessages, messages},
      {kDeleteMessage, delete_message}, {kSurveyCheck, survey_check},   {kRate, rate},
  };
  for (const auto& [subject, handler] : table) {
    auto added = dispatcher.add(
        subject,
        [context, handler = handler](const SubjectRequest& request) -> Reply {
          if (!request.form.credentials) return refused(kMissingCredentialsText);
          if (!request.account)
            return Reply::failure(accounts::kResultNotSignedIn, std::string(accounts::kWrongCredentialsText));
          return handler(context, request);
        },
        Dispatcher::Access::signed_in, HandlerCost::quick);
    if (!added) return added;
  }
  return {};
}

}  // namespace brindle::server
