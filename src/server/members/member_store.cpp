#include "server/members/member_store.h"

#include <functional>

#include "server/accounts/retrieved_password.h"
#include "server/storage/inserted_id.h"

namespace brindle::server::members {
namespace {

using accounts::AccountId;
using storage::Connection;
using storage::Statement;

// A rating refers to its question, so a question answered and rated once is rated once only.
constexpr std::string_view kMembersV1 = R"sql(
CREATE TABLE questions (
  id INTEGER PRIMARY KEY,
  account_id INTEGER NOT NULL REFERENCES accounts (id),
  topic TEXT NOT NULL,
  text TEXT NOT NULL,
  reply TEXT NOT NULL DEFAULT '',
  replier TEXT NOT NULL DEFAULT '',
  asked_at INTEGER NOT NULL,
  answered_at INTEGER
);
CREATE INDEX questions_by_account ON questions (account_id, id);
CREATE TABLE private_messages (
  id INTEGER PRIMARY KEY,
  account_id INTEGER NOT NULL REFERENCES accounts (id),
  heading TEXT NOT NULL,
  content TEXT NOT NULL,
  sent_at INTEGER NOT NULL
);
CREATE INDEX private_messages_by_account ON private_messages (account_id, id);
CREATE TABLE survey_ratings (
  question_id INTEGER PRIMARY KEY REFERENCES questions (id),
  account_id INTEGER NOT NULL REFERENCES accounts (id),
  rating INTEGER NOT NULL CHECK (rating BETWEEN 0 AND 2),
  reason TEXT NOT NULL,
  rated_at INTEGER NOT NULL
);
)sql";

constexpr storage::Migration kMigrations[] = {{"members", 1, kMembersV1}};

constexpr std::string_view kQuestionColumns =
    "SELECT q.id, q.account_id, a.user_name, q.topic, q.text, q.reply, q.replier, q.asked_at"
    " FROM questions q JOIN accounts a ON a.id = q.account_id ";

template <typename T>
Result<T> fail(const std::string& text) {
  return Result<T>::failure(text);
}

Result<bool> any_row(Connection& connection, std::string_view sql,
                     const std::function<void(Statement&)>& bind) {
  auto statement = connection.prepare(sql);
  if (!statement) return fail<bool>(statement.error());
  bind(statement.value());
  return statement->step();
}

Result<void> run(Connection& connection, std::string_view sql, const std::function<void(Statement&)>& bind) {
  auto statement = connection.prepare(sql);
  if (!statement) return fail<void>(statement.error());
  bind(statement.value());
  return statement->run();
}

// An INSERT ... RETURNING id of one row.
Result<std::int64_t> insert(Connection& connection, std::string_view sql,
                            const std::function<void(Statement&)>& bind) {
  auto statement = connection.prepare(sql);
  if (!statement) return fail<std::int64_t>(statement.error());
  bind(statement.value());
  return inserted_id(statement.value());
}

Question read_question(const Statement& row) {
  Question q;
  q.number = row.column_int64(0);
  q.account = row.column_int64(1);
  q.user_name = row.column_text(2);
  q.topic = row.column_text(3);
  q.text = row.column_text(4);
  q.reply = row.column_text(5);
  q.replier = row.column_text(6);
  q.asked_at = row.column_int64(7);
  return q;
}

Result<std::vector<Question>> questions_where(Connection& connection, std::string_view where,
                                              const std::function<void(Statement&)>& bind) {
  using R = Result<std::vector<Question>>;
  auto statement = connection.prepare(std::string(kQuestionColumns) + std::string(where) + " ORDER BY q.id");
  if (!statement) return R::failure(statement.error());
  bind(statement.value());
  std::vector<Question> questions;
  for (;;) {
    auto row = statement->step();
    if (!row) return R::failure(row.error());
    if (!row.value()) return questions;
    questions.push_back(read_question(statement.value()));
  }
}

Result<void> recount_messages(Connection& connection, AccountId id) {
  return run(
      connection,
      "UPDATE accounts SET new_messages = (SELECT COUNT(*) FROM private_messages WHERE account_id = ?1)"
      " WHERE id = ?1",
      [id](Statement& s) { s.bind(1, id); });
}

}  // namespace

std::span<const storage::Migration> members_migrations() { return kMigrations; }

Result<bool> user_name_taken(Connection& connection, std::string_view user_name) {
  // A name that differs only in case is taken too.
  return any_row(connection, "SELECT 1 FROM accounts WHERE lower(user_name) = lower(?1)",
                 [&](Statement& s) { s.bind(1, user_name); });
}

Result<bool> nickname_taken(Connection& connection, std::string_view nickname) {
  return any_row(connection, "SELECT 1 FROM member_details WHERE slot = ?1 AND lower(text) = lower(?2)",
                 [&](Statement& s) { s.bind(1, kNicknameSlot).bind(2, nickname); });
}

Result<AccountId> create_member(Connection& connection, const NewMember& member) {
  if (auto ok = accounts::check_user_name(member.user_name); !ok) return fail<AccountId>(ok.error());
  auto added = insert(connection,
                      "INSERT INTO accounts (user_name, password_hash, withdrawal_password_hash, login_text1,"
                      " login_text3) VALUES (?1, ?2, ?3, ?4, ?5) RETURNING id",
                      [&](Statement& s) {
                        s.bind(1, member.user_name)
                            .bind(2, member.password_hash)
                            .bind(3, member.withdrawal_hash)
                            .bind(4, "欢迎您，" + member.user_name)
                            .bind(5, "祝您好运！");
                      });
  if (!added) return fail<AccountId>(added.error());
  const AccountId id = added.value();
  const std::pair<int, const std::string*> details[] = {
      {kNicknameSlot, &member.nickname}, {kEmailSlot, &member.email}, {kPhoneSlot, &member.phone}};
  for (const auto& [slot, text] : details) {
    if (text->empty()) continue;
    if (auto set = set_detail(connection, id, slot, *text); !set) return fail<AccountId>(set.error());
  }
  return id;
}

Result<void> set_detail(Connection& connection, AccountId id, int slot, std::string_view text) {
  return run(connection,
             "INSERT INTO member_details (account_id, slot, text) VALUES (?1, ?2, ?3)"
             " ON CONFLICT (account_id, slot) DO UPDATE SET text = excluded.text",
             [&](Statement& s) { s.bind(1, id).bind(2, slot).bind(3, text); });
}

Result<std::string> detail(Connection& connection, AccountId id, int slot) {
  auto statement = connection.prepare("SELECT text FROM member_details WHERE account_id = ?1 AND slot = ?2");
  if (!statement) return fail<std::string>(statement.error());
  statement->bind(1, id).bind(2, slot);
  auto row = statement->step();
  if (!row) return fail<std::string>(row.error());
  return row.value() ? statement->column_text(0) : std::string();
}

Result<void> set_password_hashes(Connection& connection, AccountId id, std::string_view password_hash,
                                 std::string_view withdrawal_hash) {
  auto set =
      run(connection,
          "UPDATE accounts SET password_hash = COALESCE(NULLIF(?2, ''), password_hash),"
          " withdrawal_password_hash = COALESCE(NULLIF(?3, ''), withdrawal_password_hash) WHERE id = ?1",
          [&](Statement& s) { s.bind(1, id).bind(2, password_hash).bind(3, withdrawal_hash); });
  if (!set || password_hash.empty()) return set;
  // The user chose a password: one mailed earlier no longer stands beside it.
  return accounts::drop_retrieved_password(connection, id);
}

Result<std::int64_t> add_question(Connection& connection, AccountId id, std::string_view topic,
                                  std::string_view text, std::int64_t now) {
  return insert(
      connection,
      "INSERT INTO questions (account_id, topic, text, asked_at) VALUES (?1, ?2, ?3, ?4) RETURNING id",
      [&](Statement& s) { s.bind(1, id).bind(2, topic).bind(3, text).bind(4, now); });
}

Result<std::vector<Question>> questions_of(Connection& connection, AccountId id) {
  return questions_where(connection, "WHERE q.account_id = ?1", [id](Statement& s) { s.bind(1, id); });
}

Result<std::vector<Question>> open_questions(Connection& connection) {
  return questions_where(connection, "WHERE q.answered_at IS NULL", [](Statement&) {});
}

Result<std::optional<Question>> find_question(Connection& connection, std::int64_t number) {
  auto found = questions_where(connection, "WHERE q.id = ?1", [number](Statement& s) { s.bind(1, number); });
  if (!found) return Result<std::optional<Question>>::failure(found.error());
  if (found->empty()) return std::optional<Question>{};
  return std::optional<Question>(std::move(found->front()));
}

Result<void> answer_question(Connection& connection, std::int64_t number, std::string_view reply,
                             std::string_view replier, std::int64_t now) {
  return run(connection, "UPDATE questions SET reply = ?2, replier = ?3, answered_at = ?4 WHERE id = ?1",
             [&](Statement& s) { s.bind(1, number).bind(2, reply).bind(3, replier).bind(4, now); });
}

Result<std::int64_t> send_message(Connection& connection, AccountId id, std::string_view heading,
                                  std::string_view content, std::int64_t now) {
  auto added =
      insert(connection,
             "INSERT INTO private_messages (account_id, heading, content, sent_at) VALUES (?1, ?2, ?3, ?4)"
             " RETURNING id",
             [&](Statement& s) { s.bind(1, id).bind(2, heading).bind(3, content).bind(4, now); });
  if (!added) return fail<std::int64_t>(added.error());
  const auto number = added.value();
  if (auto counted = recount_messages(connection, id); !counted) return fail<std::int64_t>(counted.error());
  return number;
}

Result<std::vector<PrivateMessage>> messages_of(Connection& connection, AccountId id) {
  using R = Result<std::vector<PrivateMessage>>;
  auto statement = connection.prepare(
      "SELECT id, heading, content, sent_at FROM private_messages WHERE account_id = ?1 ORDER BY id");
  if (!statement) return R::failure(statement.error());
  statement->bind(1, id);
  std::vector<PrivateMessage> messages;
  for (;;) {
    auto row = statement->step();
    if (!row) return R::failure(row.error());
    if (!row.value()) return messages;
    messages.push_back({statement->column_int64(0), statement->column_text(1), statement->column_text(2),
                        statement->column_int64(3)});
  }
}

Result<bool> delete_message(Connection& connection, AccountId id, std::int64_t number) {
  auto deleted = run(connection, "DELETE FROM private_messages WHERE id = ?1 AND account_id = ?2",
                     [&](Statement& s) { s.bind(1, number).bind(2, id); });
  if (!deleted) return fail<bool>(deleted.error());
  if (connection.changes() == 0) return false;
  if (auto counted = recount_messages(connection, id); !counted) return fail<bool>(counted.error());
  return true;
}

Result<bool> survey_open(Connection& connection, AccountId id, std::int64_t question) {
  return any_row(
      connection,
      "SELECT 1 FROM questions q WHERE q.id = ?1 AND q.account_id = ?2 AND q.answered_at IS NOT NULL"
      " AND NOT EXISTS (SELECT 1 FROM survey_ratings r WHERE r.question_id = q.id)",
      [&](Statement& s) { s.bind(1, question).bind(2, id); });
}

Result<void> record_rating(Connection& connection, AccountId id, std::int64_t question, int rating,
                           std::string_view reason, std::int64_t now) {
  return run(
      connection,
      "INSERT INTO survey_ratings (question_id, account_id, rating, reason, rated_at)"
      " VALUES (?1, ?2, ?3, ?4, ?5)",
      [&](Statement& s) { s.bind(1, question).bind(2, id).bind(3, rating).bind(4, reason).bind(5, now); });
}

}  // namespace brindle::server::members
