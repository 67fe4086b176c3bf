#include "server/admin/member_commands.h"

#include <ctime>
#include <ostream>
#include <string>
#include <vector>

#include "server/accounts/account_store.h"
#include "server/admin/admin_database.h"
#include "server/http/para_fields.h"
#include "server/members/member_store.h"
#include "server/services.h"
#include "server/storage/timestamp.h"
#include "wire/gbk.h"

namespace brindle::server::admin {
namespace {

constexpr std::string_view kDataDir = "--data-dir";
constexpr std::string_view kDefaultReplier = "客服";

int bad_line(CommandContext& context, const std::string& text, std::string_view usage) {
  return usage_error(context, usage, text);
}

int failed(CommandContext& context, const std::string& text) {
  context.err << "brindle-server: " << text << '\n';
  return 1;
}

std::string local_time(std::int64_t unix_seconds) {
  const std::time_t t = static_cast<std::time_t>(unix_seconds);
  std::tm local{};
  localtime_r(&t, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
  return text;
}

// ---- questions

constexpr std::string_view kQuestionsUsage =
    "usage: brindle-server questions --data-dir DIR [--database URL]\n"
    "\n"
    "Lists the questions no one has answered yet, oldest first: number, user, time, topic and\n"
    "question. Answer one with: brindle-server answer --data-dir DIR NUMBER TEXT\n";

int questions(std::span<const std::string_view> args, CommandContext& context) {
  const std::string_view values[] = {kDataDir, kDatabaseOption};
  auto options = parse_options(args, values);
  if (!options) return bad_line(context, options.error(), kQuestionsUsage);
  if (!options->value(kDataDir) || !options->positional.empty())
    return bad_line(context, "questions wants --data-dir and nothing else", kQuestionsUsage);
  auto database = open_admin_database(options.value());
  if (!database) return failed(context, database.error());
  auto open = database.value()->read([](storage::Connection& c) { return members::open_questions(c); });
  if (!open) return failed(context, open.error());
  for (const auto& q : open.value()) {
    context.out << q.number << "  " << q.user_name << "  " << local_time(q.asked_at) << "  ["
                << (q.topic.empty() ? "-" : q.topic) << "]  " << q.text << '\n';
  }
  context.out << open->size() << (open->size() == 1 ? " open question\n" : " open questions\n");
  return 0;
}

// ---- answer

constexpr std::string_view kAnswerUsage =
    "usage: brindle-server answer --data-dir DIR [--database URL] [--by NAME] NUMBER TEXT\n"
    "\n"
    "Answers question NUMBER (see questions) with TEXT, which the user reads in customer service\n"
    "under the replier NAME (default 客服). A question is answered once; TEXT is one line and holds\n"
    "no \"|\".\n";

int answer(std::span<const std::string_view> args, CommandContext& context) {
  const std::string_view values[] = {kDataDir, kDatabaseOption, "--by"};
  auto options = parse_options(args, values);
  if (!options) return bad_line(context, options.error(), kAnswerUsage);
  std::int64_t number = 0;
  if (!options->value(kDataDir) || options->positional.size() != 2 ||
      !parse_int(options->positional[0], number))
    return bad_line(context, "answer wants --data-dir, a question number and the answer", kAnswerUsage);
  auto reply = service_text("the answer", options->positional[1], false);
  if (!reply) return bad_line(context, reply.error(), kAnswerUsage);
  auto replier = service_text("--by", options->value("--by").value_or(kDefaultReplier), false);
  if (!replier) return bad_line(context, replier.error(), kAnswerUsage);

  auto database = open_admin_database(options.value());
  if (!database) return failed(context, database.error());
  auto done = database.value()->transaction([&](storage::Connection& c) -> Result<std::string> {
    auto question = members::find_question(c, number);
    if (!question) return Result<std::string>::failure(question.error());
    if (!question.value())
      return Result<std::string>::failure("there is no question " + std::to_string(number));
    if (!question.value()->reply.empty())
      return Result<std::string>::failure("question " + std::to_string(number) + " is already answered");
    auto answered =
        members::answer_question(c, number, reply.value(), replier.value(), storage::now_unix_seconds());
    if (!answered) return Result<std::string>::failure(answered.error());
    return question.value()->user_name;
  });
  if (!done) return failed(context, done.error());
  context.out << "question " << number << " of " << done.value() << " answered\n";
  return 0;
}

// ---- message

constexpr std::string_view kMessageUsage =
    "usage: brindle-server message --data-dir DIR [--database URL] (USER | --all) HEADING TEXT\n"
    "\n"
    "Sends a private message to USER, or to every account with --all. The user finds it in\n"
    "customer service under 私人消息, and customer service opens on it at his next sign-in until he\n"
    "deletes it. HEADING is one line; TEXT may hold line breaks. Neither holds \"|\".\n";

int message(std::span<const std::string_view> args, CommandContext& context) {
  const std::string_view values[] = {kDataDir, kDatabaseOption};
  const std::string_view flags[] = {"--all"};
  auto options = parse_options(args, values, flags);
  if (!options) return bad_line(context, options.error(), kMessageUsage);
  const bool all = options->flag("--all");
  const std::size_t texts = all ? 2 : 3;
  if (!options->value(kDataDir) || options->positional.size() != texts)
    return bad_line(context, "message wants --data-dir, a user or --all, a heading and a text",
                    kMessageUsage);
  const auto& p = options->positional;
  auto heading = service_text("the heading", p[texts - 2], false);
  if (!heading) return bad_line(context, heading.error(), kMessageUsage);
  auto text = service_text("the text", p[texts - 1], true);
  if (!text) return bad_line(context, text.error(), kMessageUsage);

  auto database = open_admin_database(options.value());
  if (!database) return failed(context, database.error());
  auto sent = database.value()->transaction([&](storage::Connection& c) -> Result<std::size_t> {
    using R = Result<std::size_t>;
    std::vector<accounts::AccountId> to;
    if (all) {
      auto everyone = accounts::list_accounts(c);
      if (!everyone) return R::failure(everyone.error());
      for (const auto& a : everyone.value()) to.push_back(a.id);
    } else {
      auto found = accounts::find_credential(c, p[0]);
      if (!found) return R::failure(found.error());
      if (!found.value()) return R::failure(p[0] + ": " + std::string(accounts::kNoSuchAccountText));
      to.push_back(found.value()->identity.id);
    }
    const auto now = storage::now_unix_seconds();
    for (const auto id : to) {
      if (auto one = members::send_message(c, id, heading.value(), text.value(), now); !one)
        return R::failure(one.error());
    }
    return to.size();
  });
  if (!sent) return failed(context, sent.error());
  context.out << "message sent to " << (all ? std::to_string(sent.value()) + " accounts" : p[0]) << '\n';
  return 0;
}

}  // namespace

Result<std::string> service_text(std::string_view what, std::string_view text, bool line_breaks) {
  using R = Result<std::string>;
  std::string kept;
  for (const char c : text) {
    if (c == '\r' && line_breaks) continue;
    const auto u = static_cast<unsigned char>(c);
    if (c == '|') return R::failure(std::string(what) + " may not hold \"|\"");
    if ((u < 0x20 && !(c == '\n' && line_breaks)) || u == 0x7F)
      return R::failure(std::string(what) + (line_breaks ? " may not hold control characters"
                                                         : " must be one line without control characters"));
    kept += c;
  }
  if (kept.find_first_not_of(" \n") == std::string::npos) return R::failure(std::string(what) + " is empty");
  bool unmappable = false;
  (void)wire::utf8_to_gbk(kept, &unmappable);
  if (unmappable) return R::failure(std::string(what) + " holds characters that GBK cannot carry");
  return kept;
}

Result<void> add_member_commands(SubcommandTable& table) {
  const Subcommand commands[] = {
      {"questions", "list the questions waiting for an answer", std::string(kQuestionsUsage), questions},
      {"answer", "answer a question", std::string(kAnswerUsage), answer},
      {"message", "send a private message to a user or to all", std::string(kMessageUsage), message},
  };
  for (const auto& command : commands) {
    if (auto added = table.add(command); !added) return added;
  }
  return {};
}

}  // namespace brindle::server::admin
