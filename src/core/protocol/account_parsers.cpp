#include "core/protocol/account_parsers.h"

#include "core/protocol/single_reply.h"
#include "wire/field_reader.h"
#include "wire/ole_date.h"

namespace brindle::protocol {
namespace {

using wire::FieldReader;

constexpr std::size_t kFieldCapacity = FieldReader::kMaxFieldBytes + 1;

std::string text(FieldReader& r) {
  std::string out;
  r.next(out, kFieldCapacity);
  return out;
}

}  // namespace

std::string message_body_text(std::string_view body) {
  constexpr std::string_view kBreak = "<br>";
  std::string out;
  out.reserve(body.size());
  std::size_t start = 0;
  for (std::size_t hit = body.find(kBreak); hit != std::string_view::npos; hit = body.find(kBreak, start)) {
    out.append(body.substr(start, hit - start));
    out.append("\r\n");
    start = hit + kBreak.size();
  }
  out.append(body.substr(start));
  return out;
}

Outcome parse_star_member_terms(std::span<const std::string> lines, StarMemberTerms& terms) {
  SingleReply reply(lines);
  if (!reply.success()) return reply.failure();
  StarMemberTerms fresh;
  fresh.rmb_deposit = reply.text();
  fresh.hkd_deposit = reply.text();
  fresh.usd_deposit = reply.text();
  fresh.fourth = reply.text();
  terms = std::move(fresh);
  return reply.message();
}

Outcome parse_account_balance(std::span<const std::string> lines, AccountBalance& balance) {
  SingleReply reply(lines);
  if (!reply.success()) return reply.failure();
  FieldReader& r = reply.fields();
  AccountBalance fresh;
  fresh.amount = r.decimal();
  fresh.frozen_amount = r.decimal();
  fresh.balance = r.decimal();
  fresh.currency_code = r.integer();
  fresh.credit = r.integer();
  balance = fresh;
  return reply.message();
}

Outcome parse_room_list(std::span<const std::string> lines, std::string& header_text,
                        std::vector<Room>& rooms) {
  ListRows reply(lines);
  if (!reply.success()) return reply.failure();
  header_text = text(reply.header());
  rooms.clear();
  for (std::size_t i = 0; i < reply.size(); ++i) {
    FieldReader r = reply.row(i);
    Room room;
    room.owner_user_name = text(r);
    room.creator_text = text(r);
    room.room_name = text(r);
    room.password = text(r);
    room.room_number = r.integer();
    room.unused_number = r.integer();
    room.position_id = r.integer();
    room.position_name = text(r);
    room.unused_text = text(r);
    room.agent_text = text(r);
    rooms.push_back(std::move(room));
  }
  return reply.message();
}

Outcome parse_room_positions(std::span<const std::string> lines, std::vector<RoomPosition>& positions) {
  ListRows reply(lines);
  if (!reply.success()) return reply.failure();
  positions.clear();
  for (std::size_t i = 0; i < reply.size(); ++i) {
    FieldReader r = reply.row(i);
    RoomPosition p;
    p.number = r.integer();
    p.name = text(r);
    positions.push_back(std::move(p));
  }
  return reply.message();
}

Outcome parse_created_room(std::span<const std::string> lines, CreatedRoom& room) {
  SingleReply reply(lines);
  if (!reply.success()) return reply.failure();
  CreatedRoom fresh;
  fresh.password = reply.text();
  fresh.creation_time = wire::ole_date_time_text(reply.fields().decimal());
  room = std::move(fresh);
  return reply.message();
}

Outcome parse_private_messages(std::span<const std::string> lines, std::vector<PrivateMessage>& messages) {
  ListRows reply(lines);
  if (!reply.success()) return reply.failure();
  messages.clear();
  for (std::size_t i = 0; i < reply.size(); ++i) {
    FieldReader r = reply.row(i);
    PrivateMessage m;
    m.number = r.integer();
    m.heading = text(r);
    m.content = message_body_text(text(r));
    const double sent = r.decimal();
    const std::string date = wire::ole_date_text(sent);
    m.sending_time = date.empty() ? date : date + " " + wire::ole_time_text(sent);
    m.fifth = text(r);
    messages.push_back(std::move(m));
  }
  return reply.message();
}

Outcome parse_question_list(std::span<const std::string> lines, QuestionInserter& list) {
  ListRows reply(lines);
  if (!reply.success()) return reply.failure();
  list.clear();
  for (std::size_t i = 0; i < reply.size(); ++i) {
    FieldReader r = reply.row(i);
    Question q;
    q.kind = r.integer();
    q.number = r.integer();
    q.topic = text(r);
    q.question = text(r);
    q.reply = text(r);
    q.replier = text(r);
    if (q.kind == 0) {
      list.insert_notice(q);
    } else {
      list.insert_question(q);
    }
  }
  return reply.message();
}

Outcome parse_seven_integer_list(std::span<const std::string> lines, std::vector<SevenIntegerRow>& rows) {
  ListRows reply(lines);
  if (!reply.success()) return reply.failure();
  rows.clear();
  for (std::size_t i = 0; i < reply.size(); ++i) {
    FieldReader r = reply.row(i);
    SevenIntegerRow row{};
    for (int& value : row) value = r.integer();
    rows.push_back(row);
  }
  return reply.message();
}

Outcome parse_one_text(std::span<const std::string> lines, std::string& out) {
  SingleReply reply(lines);
  if (!reply.success()) return reply.failure();
  out = reply.text();
  return reply.message();
}

Outcome parse_one_integer(std::span<const std::string> lines, int& value) {
  SingleReply reply(lines);
  if (!reply.success()) return reply.failure();
  value = reply.fields().integer();
  return reply.message();
}

Outcome parse_acknowledgement(std::span<const std::string> lines) {
  SingleReply reply(lines);
  if (!reply.success()) return reply.failure();
  return reply.message();
}

}  // namespace brindle::protocol
