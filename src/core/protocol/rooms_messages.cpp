#include "core/protocol/rooms_messages.h"

#include "core/net/client_context.h"
#include "core/protocol/account_parsers.h"
#include "core/protocol/account_requests.h"

namespace brindle::protocol {
namespace {

template <typename Parse>
Outcome query(Session& session, int subject_id, std::string para, Parse&& parse) {
  auto sent = send_subject(session, subject_id, std::move(para));
  if (!sent) return Outcome::failure(sent.error());
  return parse(sent->reply_lines());
}

Outcome acknowledged(Session& session, int subject_id, std::string para) {
  return query(session, subject_id, std::move(para),
               [](const auto& lines) { return parse_acknowledgement(lines); });
}

}  // namespace

Outcome fetch_rooms(Session& session, std::vector<Room>& rooms) {
  return query(session, 1004, {}, [&](const auto& lines) {
    return parse_room_list(lines, session.context.room_list_text, rooms);
  });
}

Outcome fetch_room_positions(Session& session, std::vector<RoomPosition>& positions) {
  return query(session, 4006, {}, [&](const auto& lines) { return parse_room_positions(lines, positions); });
}

Outcome create_room(Session& session, const std::string& room_name, int position_number, CreatedRoom& room) {
  if (room_name.find('|') != std::string::npos) return Outcome::failure(kSeparatorRefusal);
  return query(session, 3006, room_name + "|" + std::to_string(position_number),
               [&](const auto& lines) { return parse_created_room(lines, room); });
}

Outcome fetch_private_messages(Session& session, std::vector<PrivateMessage>& messages) {
  return query(session, 4002, {}, [&](const auto& lines) { return parse_private_messages(lines, messages); });
}

Outcome delete_private_message(Session& session, int message_number) {
  return acknowledged(session, 2002, std::to_string(message_number));
}

Outcome survey_check(Session& session, const std::string& question_number) {
  return acknowledged(session, 2019, clean_free_text(question_number));
}

Outcome fetch_questions(Session& session, QuestionInserter& list) {
  return query(session, 4001, {}, [&](const auto& lines) { return parse_question_list(lines, list); });
}

Outcome send_question(Session& session, const std::string& topic, const std::string& question) {
  return acknowledged(session, 2001, clean_free_text(topic) + "|" + clean_free_text(question) + "|");
}

Outcome send_rating(Session& session, const std::string& reason, const std::string& question_number,
                    int rating_index) {
  return acknowledged(
      session, 2018,
      clean_free_text(reason) + "|" + clean_free_text(question_number) + "|" + std::to_string(rating_index));
}

}  // namespace brindle::protocol
