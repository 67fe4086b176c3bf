#include "server/members/member_handlers.h"

#include <algorithm>
#include <charconv>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "server/accounts/account_store.h"
#include "server/accounts/attempt_limiter.h"
#include "server/accounts/authenticator.h"
#include "server/accounts/password_hash.h"
#include "server/accounts/retrieved_password.h"
#include "server/accounts/withdrawal_check.h"
#include "server/http/para_fields.h"
#include "server/members/member_rules.h"
#include "server/members/member_store.h"
#include "server/members/password_mail.h"
#include "server/operations/log.h"
#include "server/storage/timestamp.h"
#include "wire/gbk.h"

namespace brindle::server {
namespace {

constexpr int kChangeProfile = 2004;
constexpr int kRetrievePassword = 2016;
constexpr int kCheckUserName = 2020;
constexpr int kCheckNickname = 2021;
constexpr int kRegister = 2022;

constexpr std::size_t kRegistrationFields = 23;
constexpr std::size_t kProfileFields = 20;

using storage::Connection;

struct Context {
  std::shared_ptr<const ServerConfig> config;
  std::shared_ptr<storage::Database> db;
  std::shared_ptr<const accounts::PasswordHasher> hasher;
  std::shared_ptr<const accounts::WithdrawalCheck> withdrawal;
  std::filesystem::path outbox;
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

// ---- before sign-in

// "<name>|<kind>": kind 0 asks about a user name, 1 about a nickname.
Reply check_name(const Context& c, const SubjectRequest& r, bool nickname) {
  const auto fields = split_para(para_of(r));
  if (fields.size() != 2 || fields[1] != (nickname ? "1" : "0")) return refused(kBadCheckText);
  const std::string name(fields[0]);
  const auto problem = nickname ? members::nickname_problem(name) : members::user_name_problem(name, true);
  if (problem) return refused(*problem);
  auto taken = c.db->read([&](Connection& connection) {
    return nickname ? members::nickname_taken(connection, name) : members::user_name_taken(connection, name);
  });
  if (!taken) return server_error();
  if (taken.value()) return refused(nickname ? kNicknameTakenText : accounts::kUserNameTakenText);
  return Reply::success(std::string(nickname ? kNicknameFreeText : kUserNameFreeText));
}

// user name, password, e-mail, withdrawal password, nickname, phone, three empty texts, the
// signature, four groups of three texts, "1".
Reply register_member(const Context& c, const SubjectRequest& r) {
  const auto fields = split_para(para_of(r));
  if (fields.size() != kRegistrationFields || fields.back() != "1") return refused(kBadRegistrationText);
  members::NewMember member;
  member.user_name = fields[0];
  const std::string password(fields[1]);
  member.email = fields[2];
  const std::string withdrawal(fields[3]);
  member.nickname = fields[4];
  member.phone = fields[5];
  // The client's order, so a refusal names the field the client would have named.
  for (auto problem :
       {members::user_name_problem(member.user_name, true), members::password_problem(password),
        members::email_problem(member.email), members::withdrawal_password_problem(withdrawal),
        members::nickname_problem(member.nickname), members::phone_problem(member.phone)}) {
    if (problem) return refused(*problem);
  }
  if (fields[9] != members::registration_signature(member.user_name, password))
    return refused(kBadSignatureText);

  // Which name is taken, in the client's order; asked before hashing, and again where it counts.
  const auto taken = [&](Connection& connection) -> Result<std::string> {
    auto name = members::user_name_taken(connection, member.user_name);
    if (!name) return Result<std::string>::failure(name.error());
    if (name.value()) return std::string(accounts::kUserNameTakenText);
    auto nick = members::nickname_taken(connection, member.nickname);
    if (!nick) return Result<std::string>::failure(nick.error());
    return std::string(nick.value() ? kNicknameTakenText : "");
  };
  auto early = c.db->read(taken);
  if (!early) return server_error();
  if (!early->empty()) return refused(early.value());

  // Hashed before the write transaction, which would otherwise hold every writer for it.
  auto password_hash = c.hasher->hash(password);
  auto withdrawal_hash = c.hasher->hash(withdrawal);
  if (!password_hash || !withdrawal_hash) return server_error();
  member.password_hash = std::move(password_hash).value();
  member.withdrawal_hash = std::move(withdrawal_hash).value();

  std::string refusal;
  auto made = c.db->transaction([&](Connection& connection) -> Result<accounts::AccountId> {
    using R = Result<accounts::AccountId>;
    auto now_taken = taken(connection);
    if (!now_taken) return R::failure(now_taken.error());
    refusal = now_taken.value();
    if (!refusal.empty()) return R::failure(refusal);
    return members::create_member(connection, member);
  });
  if (!made) return refusal.empty() ? server_error() : refused(refusal);
  return Reply::success(std::string(kRegisteredText));
}

// txtUserName names the account; whether it exists is never told, nor by the time it takes.
Reply retrieve_password(const Context& c, const SubjectRequest& r) {
  const std::string user_name = r.form.credentials->user_name;
  struct Found {
    accounts::AccountId id = 0;
    std::string email;
  };
  auto found = c.db->read([&](Connection& connection) -> Result<std::optional<Found>> {
    using R = Result<std::optional<Found>>;
    auto credential = accounts::find_credential(connection, user_name);
    if (!credential) return R::failure(credential.error());
    if (!credential.value()) return std::optional<Found>{};
    const auto id = credential.value()->identity.id;
    auto email = members::detail(connection, id, members::kEmailSlot);
    if (!email) return R::failure(email.error());
    return std::optional<Found>(Found{id, std::move(email).value()});
  });
  if (!found) return server_error();
  auto password = members::draw_password();
  if (!password) return server_error();
  auto hash = c.hasher->hash(password.value());
  if (!hash) return server_error();
  const auto answer = Reply::success(std::string(kRetrievalText));
  if (!found.value() || members::email_problem(found.value()->email)) return answer;

  // The mail first: a password nobody was sent would only wait in vain. The old password stays until
  // the mailed one signs in, so a stranger's retrieval locks nobody out.
  const auto message = members::password_mail(c.config->mail_from, found.value()->email, user_name,
                                              password.value(), storage::now_unix_seconds());
  if (auto sent = members::deliver_mail(c.config->mail_command, c.outbox, message); !sent) {
    operations::log::error("password retrieval for account " + std::to_string(found.value()->id) + ": " +
                           sent.error());
    return answer;
  }
  auto stored = c.db->transaction([&](Connection& connection) {
    return accounts::offer_retrieved_password(connection, found.value()->id, hash.value(),
                                              storage::now_unix_seconds());
  });
  if (!stored)
    operations::log::error("password retrieval for account " + std::to_string(found.value()->id) + ": " +
                           stored.error());
  return answer;
}

// ---- signed in

// user name, old withdrawal password, new password, new withdrawal password, e-mail, phone,
// nickname (cannot change), one empty text, four groups of three texts. An empty new value leaves
// the old one.
Reply change_profile(const Context& c, const SubjectRequest& r) {
  const auto fields = split_para(para_of(r));
  if (fields.size() != kProfileFields) return refused(kBadProfileText);
  if (fields[0] != r.form.credentials->user_name) return refused(kOtherUserText);
  const std::string old_withdrawal(fields[1]);
  const std::string password(fields[2]);
  const std::string withdrawal(fields[3]);
  const std::string email(fields[4]);
  const std::string phone(fields[5]);
  for (auto problem :
       {password.empty() ? std::nullopt : members::password_problem(password),
        withdrawal.empty() ? std::nullopt : members::withdrawal_password_problem(withdrawal),
        email.empty() ? std::nullopt : members::email_problem(email), members::phone_problem(phone)}) {
    if (problem) return refused(*problem);
  }
  const auto id = r.account->id;
  // An account that never had a withdrawal password is identified by its password alone.
  auto checked = c.withdrawal->verify(id, old_withdrawal);
  using Kind = accounts::WithdrawalCheck::Kind;
  switch (checked.kind) {
    case Kind::right:
    case Kind::none_set:
      break;
    case Kind::wrong:
      return refused(checked.refusal.empty() ? kWrongOldWithdrawalText : checked.refusal);
    case Kind::refused:
      return refused(checked.refusal);
    case Kind::failed:
      return server_error();
  }
  const std::string& stored = checked.stored_hash;

  std::string password_hash, withdrawal_hash;
  if (!password.empty()) {
    auto hashed = c.hasher->hash(password);
    if (!hashed) return server_error();
    password_hash = std::move(hashed).value();
  }
  if (!withdrawal.empty()) {
    auto hashed = c.hasher->hash(withdrawal);
    if (!hashed) return server_error();
    withdrawal_hash = std::move(hashed).value();
  }
  bool raced = false;
  auto changed = c.db->transaction([&](Connection& connection) -> Result<void> {
    // Another change may have landed since the check: then this one was checked against the past.
    auto now_stored = accounts::withdrawal_password_hash(connection, id);
    if (!now_stored) return Result<void>::failure(now_stored.error());
    if (now_stored.value() != stored) {
      raced = true;
      return Result<void>::failure(std::string(kWrongOldWithdrawalText));
    }
    if (auto set = members::set_password_hashes(connection, id, password_hash, withdrawal_hash); !set)
      return set;
    if (!email.empty()) {
      if (auto set = members::set_detail(connection, id, members::kEmailSlot, email); !set) return set;
    }
    if (!phone.empty()) {
      if (auto set = members::set_detail(connection, id, members::kPhoneSlot, phone); !set) return set;
    }
    return {};
  });
  if (!changed) return raced ? refused(kWrongOldWithdrawalText) : server_error();
  // Credentials remembered by the authenticator are bound to the stored hash, so the old password
  // stops working with this commit.
  return Reply::success(std::string(kProfileChangedText));
}

}  // namespace

Result<void> add_member_handlers(Dispatcher& dispatcher, const ServerServices& services) {
  if (!services.config || !services.db || !services.hasher)
    return Result<void>::failure("member handlers need the configuration, the database and a hasher");
  const Context context{services.config, services.db, services.hasher,
                        std::make_shared<const accounts::WithdrawalCheck>(
                            services.db, services.hasher, services.limiters.withdrawal_by_account),
                        services.data_dir / "outbox"};
  using Handler = Reply (*)(const Context&, const SubjectRequest&);
  using Access = Dispatcher::Access;
  // Name checks and retrievals are counted per address, right or wrong: each one tells whether a
  // name exists or changes a password, so a stream of them is slowed down and then locked.
  enum Counted : bool { not_counted = false, counted = true };
  struct Entry {
    int subject;
    Handler handler;
    Access access;
    HandlerCost cost;  // the handlers that hash passwords run on the worker pool
    Counted lookup;
  };
  const auto quick = HandlerCost::quick;
  const auto hashes = HandlerCost::hashes;
  const Entry table[] = {
      {kCheckUserName, [](const Context& c, const SubjectRequest& r) { return check_name(c, r, false); },
       Access::open, quick, counted},
      {kCheckNickname, [](const Context& c, const SubjectRequest& r) { return check_name(c, r, true); },
       Access::open, quick, counted},
      {kRegister, register_member, Access::open, hashes, not_counted},
      {kRetrievePassword, retrieve_password, Access::open, hashes, counted},
      {kChangeProfile, change_profile, Access::signed_in, hashes, not_counted},
  };
  const auto lookups = services.limiters.lookups_by_address;
  // A profile change from an account that may not try its withdrawal password now is refused on
  // the network thread, without queueing behind the pool's hashing.
  const SubjectPrecheck withdrawal_precheck =
      [withdrawal = context.withdrawal](const SubjectRequest& request) -> std::optional<Reply> {
    if (!request.account) return std::nullopt;
    auto refusal = withdrawal->refusal(request.account->id);
    if (!refusal) return std::nullopt;
    return refused(*refusal);
  };
  for (const auto& entry : table) {
    auto added = dispatcher.add(
        entry.subject,
        [context, entry, lookups](const SubjectRequest& request) -> Reply {
          if (!request.form.credentials) return refused(kMissingCredentialsText);
          if (entry.access == Access::signed_in && !request.account)
            return Reply::failure(accounts::kResultNotSignedIn, std::string(accounts::kWrongCredentialsText));
          if (entry.lookup && lookups) {
            if (const auto verdict = lookups->check(request.peer); !verdict.allowed()) {
              return refused(accounts::refusal_text(verdict, accounts::kTooManyLockedFormat,
                                                    accounts::kTooManyBackoffFormat));
            }
            (void)lookups->count(request.peer);
          }
          return entry.handler(context, request);
        },
        entry.access, entry.cost, entry.subject == kChangeProfile ? withdrawal_precheck : SubjectPrecheck{});
    if (!added) return added;
  }
  return {};
}

}  // namespace brindle::server
