#include "core/protocol/account_parsers.h"

#include "core/protocol/single_reply.h"
#include "wire/field_reader.h"
#include "wire/ole_date.h"
#include "wire/records/account_records.h"

namespace brindle::protocol {
namespace {

using wire::FieldReader;

// A single record's texts are cut where SingleReply::text() cuts them.
template <class R>
R read_single(SingleReply& reply) {
  return records::read<R>(reply.fields(), records::kSingleTextCapacity);
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
  auto record = read_single<records::StarTermsRecord>(reply);
  terms = {std::move(record.rmb_deposit), std::move(record.hkd_deposit), std::move(record.usd_deposit),
           std::move(record.fourth)};
  return reply.message();
}

Outcome parse_account_balance(std::span<const std::string> lines, AccountBalance& balance) {
  SingleReply reply(lines);
  if (!reply.success()) return reply.failure();
  const auto record = read_single<records::AccountBalanceRecord>(reply);
  balance = {record.amount, record.frozen_amount, record.balance, record.currency_code,
             static_cast<double>(record.credit)};
  return reply.message();
}

Outcome parse_room_list(std::span<const std::string> lines, std::string& header_text,
                        std::vector<Room>& rooms) {
  ListRows reply(lines);
  if (!reply.success()) return reply.failure();
  header_text = records::read<records::RoomListHeader>(reply.header()).header_text;
  rooms.clear();
  records::RoomLine line;
  for (std::size_t i = 0; i < reply.size(); ++i) {
    FieldReader r = reply.row(i);
    records::read(r, line);
    rooms.push_back({std::move(line.owner_user_name), std::move(line.creator_text), std::move(line.room_name),
                     std::move(line.password), line.room_number, line.unused_number, line.position_id,
                     std::move(line.position_name), std::move(line.unused_text), std::move(line.agent_text)});
  }
  return reply.message();
}

Outcome parse_room_positions(std::span<const std::string> lines, std::vector<RoomPosition>& positions) {
  ListRows reply(lines);
  if (!reply.success()) return reply.failure();
  positions.clear();
  records::RoomPositionLine line;
  for (std::size_t i = 0; i < reply.size(); ++i) {
    FieldReader r = reply.row(i);
    records::read(r, line);
    positions.push_back({line.number, std::move(line.name)});
  }
  return reply.message();
}

Outcome parse_created_room(std::span<const std::string> lines, CreatedRoom& room) {
  SingleReply reply(lines);
  if (!reply.success()) return reply.failure();
  auto record = read_single<records::CreatedRoomRecord>(reply);
  room = {std::move(record.password), wire::ole_date_time_text(record.creation_time)};
  return reply.message();
}

Outcome parse_private_messages(std::span<const std::string> lines, std::vector<PrivateMessage>& messages) {
  ListRows reply(lines);
  if (!reply.success()) return reply.failure();
  messages.clear();
  records::PrivateMessageLine line;
  for (std::size_t i = 0; i < reply.size(); ++i) {
    FieldReader r = reply.row(i);
    records::read(r, line);
    PrivateMessage m;
    m.number = line.number;
    m.heading = std::move(line.heading);
    m.content = message_body_text(line.content);
    const std::string date = wire::ole_date_text(line.sending_time);
    m.sending_time = date.empty() ? date : date + " " + wire::ole_time_text(line.sending_time);
    m.fifth = std::move(line.fifth);
    messages.push_back(std::move(m));
  }
  return reply.message();
}

Outcome parse_question_list(std::span<const std::string> lines, QuestionInserter& list) {
  ListRows reply(lines);
  if (!reply.success()) return reply.failure();
  list.clear();
  records::QuestionLine line;
  for (std::size_t i = 0; i < reply.size(); ++i) {
    FieldReader r = reply.row(i);
    records::read(r, line);
    const Question q{line.kind,
                     line.number,
                     std::move(line.topic),
                     std::move(line.question),
                     std::move(line.reply),
                     std::move(line.replier)};
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
  records::SevenIntegerLine line;
  for (std::size_t i = 0; i < reply.size(); ++i) {
    FieldReader r = reply.row(i);
    records::read(r, line);
    rows.push_back({line.date, line.placed, line.staked, line.settled, line.won, line.lost, line.net});
  }
  return reply.message();
}

Outcome parse_one_text(std::span<const std::string> lines, std::string& out) {
  SingleReply reply(lines);
  if (!reply.success()) return reply.failure();
  out = read_single<records::OneTextRecord>(reply).text;
  return reply.message();
}

Outcome parse_one_integer(std::span<const std::string> lines, int& value) {
  SingleReply reply(lines);
  if (!reply.success()) return reply.failure();
  value = read_single<records::OneIntegerRecord>(reply).value;
  return reply.message();
}

Outcome parse_acknowledgement(std::span<const std::string> lines) {
  SingleReply reply(lines);
  if (!reply.success()) return reply.failure();
  return reply.message();
}

}  // namespace brindle::protocol
