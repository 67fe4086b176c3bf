#include "server/accounts/account_handlers.h"

#include <string>
#include <utility>
#include <vector>

#include "server/accounts/account_store.h"
#include "server/accounts/attempt_limiter.h"
#include "server/accounts/authenticator.h"
#include "server/accounts/statement.h"
#include "server/http/para_fields.h"
#include "server/storage/money.h"
#include "server/storage/timestamp.h"
#include "wire/records/account_records.h"
#include "wire/records/bet_records.h"

namespace brindle::server {
namespace {

constexpr int kSignIn = 3001;
constexpr int kMemberDetails = 3032;
constexpr int kAccountState = 3033;
constexpr int kStatement = 4011;
constexpr int kBalance = 4012;
constexpr int kWebToken = 4061;

constexpr std::string_view kSignedInText = "登陆成功！";
constexpr std::string_view kBadSignInText = "登陆请求格式错误。";
constexpr std::string_view kOtherAccountText = "只能查询本人帐户的状态！";
constexpr std::string_view kRangeTooLongText = "只能查询7天内的记录！";
// A whole week and up to one more hour, as the statement window allows.
constexpr std::int64_t kLongestRangeSeconds = 169 * 60 * 60;

using accounts::Account;
using storage::money_text;

// An amount as a decimal: "%.2f" of it writes what money_text does up to 2^52 cents, far beyond
// any amount the ledger allows.
double cents_value(storage::Cents amount) { return static_cast<double>(amount) / 100.0; }

Reply server_error() { return Reply::failure(kResultServerError, std::string(kServerErrorText)); }

// Every handler here runs after authentication; the table below checks that the account is there.
const accounts::AuthenticatedAccount& who(const SubjectRequest& request) { return *request.account; }

Result<Account> load_account(storage::Database& database, accounts::AccountId id) {
  return database.read([id](storage::Connection& connection) -> Result<Account> {
    auto account = accounts::find_account(connection, id);
    if (!account) return Result<Account>::failure(account.error());
    if (!account.value()) return Result<Account>::failure(std::string(accounts::kNoSuchAccountText));
    return std::move(*account.value());
  });
}

Reply sign_in(storage::Database& database, const SubjectRequest& request) {
  // "1|<network card address>": the mode argument, then the address the client found.
  const auto fields = split_para(request.form.credentials->para);
  std::int64_t mode = 0;
  if (fields.size() < 2 || !parse_int(fields[0], mode)) {
    return Reply::failure(kResultRefused, std::string(kBadSignInText));
  }
  auto account = database.transaction(
      [&](storage::Connection& connection) { return accounts::record_sign_in(connection, who(request).id); });
  if (!account) return server_error();
  const Account& a = account.value();
  return Reply::success(
      std::string(kSignedInText),
      {a.login_text1, a.star_member ? "1" : "0", a.login_text3, std::to_string(static_cast<int>(a.currency)),
       money_text(a.balance), money_text(a.frozen_amount), money_text(a.credit), "0",
       std::to_string(a.context1), std::to_string(a.context2), std::to_string(a.new_messages)});
}

Reply member_details(storage::Database& database, const SubjectRequest& request) {
  auto account = load_account(database, who(request).id);
  if (!account) return server_error();
  // The first detail stands where other replies carry their message.
  std::vector<std::string> fields(account->member_texts.begin(), account->member_texts.end());
  fields.push_back(std::to_string(account->member_number1));
  fields.push_back(std::to_string(account->member_number2));
  return Reply::success(account->in_play_web_mode ? "1" : "0", std::move(fields));
}

Reply account_state(const SubjectRequest& request) {
  const auto& para = request.form.credentials->para;
  if (!para.empty() && para != who(request).user_name) {
    return Reply::failure(kResultRefused, std::string(kOtherAccountText));
  }
  return Reply::success({}, records::to_fields(records::OneIntegerRecord{who(request).frozen ? 1 : 0}));
}

Reply balance(storage::Database& database, const SubjectRequest& request) {
  auto account = load_account(database, who(request).id);
  if (!account) return server_error();
  // The first amount is the account's whole holding; "balance" is what may be staked, as in the
  // sign-in and bet replies, because the client replaces its available funds with it.
  auto fields = records::to_fields(records::AccountBalanceRecord{
      cents_value(account->balance + account->frozen_amount), cents_value(account->frozen_amount),
      cents_value(account->balance), static_cast<int>(account->currency), 0});
  // The credit travels as a whole number of units, which may pass an int's range: written whole.
  fields.back() = std::to_string(account->credit / 100);
  return Reply::success({}, std::move(fields));
}

Reply web_token(storage::Database& database, const SubjectRequest& request) {
  auto token = database.transaction([&](storage::Connection& connection) {
    return accounts::issue_web_token(connection, who(request).id);
  });
  if (!token) return server_error();
  return Reply::success({}, records::to_fields(records::OneTextRecord{std::move(token).value()}));
}

Reply statement(storage::Database& database, const SubjectRequest& request) {
  const auto range = parse_date_range(request.form.credentials->para);
  if (!range) return Reply::failure(kResultRefused, range.error());
  if (range->to - range->from >= kLongestRangeSeconds)
    return Reply::failure(kResultRefused, std::string(kRangeTooLongText));

  auto entries = database.read([&](storage::Connection& connection) {
    return accounts::statement_entries(connection, who(request).id, range->from, range->to);
  });
  if (!entries) return server_error();
  auto reply = Reply::success({});
  for (const auto& entry : entries.value()) {
    reply.add_row(records::to_fields(records::StatementLine{storage::ole_from_unix(entry.time), entry.type,
                                                            cents_value(entry.amount), entry.content,
                                                            cents_value(entry.balance_before)}));
  }
  return reply;
}

AuthenticationOutcome refused(std::string message) {
  return {std::nullopt, AuthenticationFailure{accounts::kResultNotSignedIn, std::move(message)}};
}

AuthenticationOutcome server_failure() {
  return {std::nullopt, AuthenticationFailure{kResultServerError, std::string(kServerErrorText)}};
}

// Every request's credentials. Failures slow down new sign-ins, never a session proven before:
//
// - per name and address: backoff, then a lock of that name's new sign-ins from that address
//   alone, so a stranger's guesses lock out only the stranger;
// - per account over every address: backoff only, and only for addresses that have failed at the
//   name themselves, so that guesses spread over many addresses are slowed down but the owner,
//   signing in from elsewhere, is not;
// - per address: backoff (a lock only if the operator asks), counting unknown names too.
//
// Only names of accounts count toward the name's limits. A credential proven before keeps working
// whatever the limits say, as long as it is a live session of the address it comes from; from
// another address it is treated as a guess, else a guesser would learn which guess was right. No
// password is hashed for a request that a limit refuses.
AuthenticationOutcome authenticate(const accounts::Authenticator& authenticator,
                                   const AttemptLimiters& limiters, const AuthenticationAttempt& attempt) {
  const auto& credentials = attempt.credentials;
  const auto name = accounts::name_key(credentials.user_name);
  const std::string name_here = name + '\n' + std::string(attempt.peer);  // no name holds a line break
  auto lookup = authenticator.look_up(credentials.user_name, credentials.password, attempt.peer);
  if (!lookup) return server_failure();

  // A live session goes on whatever the limits say; it is not asked about them, which spares every
  // request of a signed-in client a look at limits that may live in the database.
  if (lookup->cached && lookup->live_here) {
    authenticator.accepted(credentials.user_name, credentials.password, attempt.peer);
    return {std::move(lookup->cached), std::nullopt};
  }

  // Checked for every name, counted only for accounts: names that differ in case share a limit.
  accounts::AttemptVerdict for_name;
  if (limiters.sign_in_by_name) {
    const auto standing = limiters.sign_in_by_name->standing(name_here);
    for_name = standing.verdict;
    if (for_name.allowed() && limiters.sign_in_by_account && standing.has_record)
      for_name = limiters.sign_in_by_account->check(name);
  }

  if (lookup->cached) {
    if (!for_name.allowed()) return refused(accounts::sign_in_refusal(for_name));
    // Many users may share an address: those already signed in go on while it is limited.
    authenticator.accepted(credentials.user_name, credentials.password, attempt.peer);
    return {std::move(lookup->cached), std::nullopt};
  }
  if (!for_name.allowed()) return refused(accounts::sign_in_refusal(for_name));
  if (limiters.sign_in_by_address && !attempt.peer.empty()) {
    if (auto verdict = limiters.sign_in_by_address->check(attempt.peer); !verdict.allowed())
      return refused(accounts::sign_in_refusal(verdict));
  }
  if (!attempt.may_hash) return {};

  auto signed_in = authenticator.authenticate(credentials.user_name, credentials.password, attempt.peer);
  if (signed_in) {
    if (limiters.sign_in_by_name) limiters.sign_in_by_name->clear(name_here);
    return {std::move(signed_in).value(), std::nullopt};
  }
  if (signed_in.error() != accounts::kWrongCredentialsText) return server_failure();
  accounts::AttemptVerdict next;
  if (lookup->account_exists) {
    if (limiters.sign_in_by_name) next = limiters.sign_in_by_name->count(name_here);
    if (limiters.sign_in_by_account) (void)limiters.sign_in_by_account->count(name);
  }
  if (limiters.sign_in_by_address && !attempt.peer.empty()) {
    auto by_address = limiters.sign_in_by_address->count(attempt.peer);
    if (next.kind != accounts::AttemptVerdict::Kind::locked) next = by_address;
  }
  // The failure that locks says so at once; a mere backoff shows on the next attempt.
  if (next.kind == accounts::AttemptVerdict::Kind::locked) return refused(accounts::sign_in_refusal(next));
  return refused(std::string(accounts::kWrongCredentialsText));
}

}  // namespace

Result<void> add_account_handlers(Dispatcher& dispatcher, const ServerServices& services) {
  auto authenticator = services.authenticator;
  auto database = services.db;
  if (!authenticator || !database)
    return Result<void>::failure("account handlers need a database and an authenticator");

  dispatcher.set_authentication(
      [authenticator, limiters = services.limiters](const AuthenticationAttempt& attempt) {
        return authenticate(*authenticator, limiters, attempt);
      });

  using Handler = Reply (*)(storage::Database&, const SubjectRequest&);
  const std::pair<int, Handler> handlers[] = {
      {kSignIn, sign_in},
      {kMemberDetails, member_details},
      {kAccountState, [](storage::Database&, const SubjectRequest& r) { return account_state(r); }},
      {kBalance, balance},
      {kWebToken, web_token},
      {kStatement, statement},
  };
  for (const auto& [subject, handler] : handlers) {
    auto added = dispatcher.add(subject, [database, run = handler](const SubjectRequest& request) {
      if (!request.account) {
        return Reply::failure(accounts::kResultNotSignedIn, std::string(accounts::kWrongCredentialsText));
      }
      return run(*database, request);
    });
    if (!added) return added;
  }
  return {};
}

}  // namespace brindle::server
