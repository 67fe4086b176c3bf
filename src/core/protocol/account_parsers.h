#pragma once

#include <span>
#include <string>
#include <vector>

#include "core/protocol/account_records.h"
#include "core/protocol/list_rows.h"

namespace brindle::protocol {

// Parsers of the account, room and message replies (GBK Reply lines). Out values are written only
// on success; lists are emptied first then.

Outcome parse_star_member_terms(std::span<const std::string> lines, StarMemberTerms& terms);
Outcome parse_account_balance(std::span<const std::string> lines, AccountBalance& balance);
Outcome parse_room_list(std::span<const std::string> lines, std::string& header_text,
                        std::vector<Room>& rooms);
Outcome parse_room_positions(std::span<const std::string> lines, std::vector<RoomPosition>& positions);
Outcome parse_created_room(std::span<const std::string> lines, CreatedRoom& room);
Outcome parse_private_messages(std::span<const std::string> lines, std::vector<PrivateMessage>& messages);
Outcome parse_question_list(std::span<const std::string> lines, QuestionInserter& list);
Outcome parse_seven_integer_list(std::span<const std::string> lines, std::vector<SevenIntegerRow>& rows);

// A reply whose only data field is one text (1001, 1005, 3008, 4061 …).
Outcome parse_one_text(std::span<const std::string> lines, std::string& text);
// A reply whose only data field is one integer (3016, 3022, 3033 …).
Outcome parse_one_integer(std::span<const std::string> lines, int& value);
// A reply of Result code and message alone.
Outcome parse_acknowledgement(std::span<const std::string> lines);

// "<br>" as the service writes a line break in message bodies, to "\r\n".
std::string message_body_text(std::string_view body);

}  // namespace brindle::protocol
