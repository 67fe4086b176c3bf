#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "server/accounts/account.h"
#include "server/storage/database.h"
#include "server/storage/migration.h"
#include "wire/result.h"

namespace brindle::server::members {

// The member-details slots (3032) that registration fills.
inline constexpr int kNicknameSlot = 1;
inline constexpr int kEmailSlot = 2;
inline constexpr int kPhoneSlot = 3;

// Questions, private messages and survey ratings.
std::span<const storage::Migration> members_migrations();

// Case-insensitive, as a new name or nickname must differ from every other in more than case.
Result<bool> user_name_taken(storage::Connection& connection, std::string_view user_name);
Result<bool> nickname_taken(storage::Connection& connection, std::string_view nickname);

// A registered member: the hashes are made by the caller, outside the write transaction. Starts
// without a currency, as every account that has not bought credit.
struct NewMember {
  std::string user_name;
  std::string password_hash;
  std::string withdrawal_hash;
  std::string nickname;
  std::string email;
  std::string phone;
};
Result<accounts::AccountId> create_member(storage::Connection& connection, const NewMember& member);

Result<void> set_detail(storage::Connection& connection, accounts::AccountId id, int slot,
                        std::string_view text);
Result<std::string> detail(storage::Connection& connection, accounts::AccountId id, int slot);

// New hashes of a profile change; an empty one leaves that password as it is. A new password drops
// any password mailed by retrieval.
Result<void> set_password_hashes(storage::Connection& connection, accounts::AccountId id,
                                 std::string_view password_hash, std::string_view withdrawal_hash);

struct Question {
  std::int64_t number = 0;
  accounts::AccountId account = 0;
  std::string user_name;
  std::string topic;
  std::string text;
  std::string reply;  // empty while unanswered
  std::string replier;
  std::int64_t asked_at = 0;
};

Result<std::int64_t> add_question(storage::Connection& connection, accounts::AccountId id,
                                  std::string_view topic, std::string_view text, std::int64_t now);
// One member's questions, oldest first.
Result<std::vector<Question>> questions_of(storage::Connection& connection, accounts::AccountId id);
// Every unanswered question, oldest first.
Result<std::vector<Question>> open_questions(storage::Connection& connection);
Result<std::optional<Question>> find_question(storage::Connection& connection, std::int64_t number);
Result<void> answer_question(storage::Connection& connection, std::int64_t number, std::string_view reply,
                             std::string_view replier, std::int64_t now);

struct PrivateMessage {
  std::int64_t number = 0;
  std::string heading;
  std::string content;  // line breaks as "\n"
  std::int64_t sent_at = 0;
};

// Also keeps the account's message count, which sign-in reports, equal to the messages it holds.
Result<std::int64_t> send_message(storage::Connection& connection, accounts::AccountId id,
                                  std::string_view heading, std::string_view content, std::int64_t now);
Result<std::vector<PrivateMessage>> messages_of(storage::Connection& connection, accounts::AccountId id);
// False when the member holds no message of that number.
Result<bool> delete_message(storage::Connection& connection, accounts::AccountId id, std::int64_t number);

// A question of this member with an answer and no rating yet.
Result<bool> survey_open(storage::Connection& connection, accounts::AccountId id, std::int64_t question);
Result<void> record_rating(storage::Connection& connection, accounts::AccountId id, std::int64_t question,
                           int rating, std::string_view reason, std::int64_t now);

}  // namespace brindle::server::members
