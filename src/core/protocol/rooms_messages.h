#pragma once

#include <string>
#include <vector>

#include "core/protocol/account_records.h"
#include "core/protocol/list_rows.h"
#include "core/protocol/session.h"

namespace brindle::protocol {

// Private rooms, questions, private messages and ratings.

Outcome fetch_rooms(Session& session, std::vector<Room>& rooms);                       // 1004
Outcome fetch_room_positions(Session& session, std::vector<RoomPosition>& positions);  // 4006
Outcome create_room(Session& session, const std::string& room_name, int position_number,
                    CreatedRoom& room);                                                   // 3006
Outcome fetch_private_messages(Session& session, std::vector<PrivateMessage>& messages);  // 4002
Outcome delete_private_message(Session& session, int message_number);                     // 2002
Outcome survey_check(Session& session, const std::string& question_number);               // 2019
Outcome fetch_questions(Session& session, QuestionInserter& list);                        // 4001
// 2001 and 2018: the typed texts travel cleaned of line breaks and "|".
Outcome send_question(Session& session, const std::string& topic, const std::string& question);
Outcome send_rating(Session& session, const std::string& reason, const std::string& question_number,
                    int rating_index);

}  // namespace brindle::protocol
