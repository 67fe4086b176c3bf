#pragma once

#include <string>
#include <string_view>
#include <tuple>

#include "wire/records/record.h"

namespace brindle::records {

// The account, room and message replies' records.

// The star-member terms (1003), a single record. The client shows the figures as they come, so
// they travel as texts: the deposits in whole units, then the room commission in percent.
struct StarTermsRecord {
  std::string rmb_deposit;
  std::string hkd_deposit;
  std::string usd_deposit;
  std::string fourth;

  bool operator==(const StarTermsRecord&) const = default;
};

// The account's figures (4012), a single record. The credit is a whole number of units.
struct AccountBalanceRecord {
  double amount = 0.0;  // the whole holding: available and frozen
  double frozen_amount = 0.0;
  double balance = 0.0;  // what may be staked
  int currency_code = 0;
  int credit = 0;

  bool operator==(const AccountBalanceRecord&) const = default;
};

// The rooms list (1004): the header's further field, then one line per room.
struct RoomListHeader {
  std::string header_text;  // how many rooms there are

  bool operator==(const RoomListHeader&) const = default;
};

struct RoomLine {
  std::string owner_user_name;
  std::string creator_text;
  std::string room_name;
  std::string password;  // the client compares typed passwords as texts
  int room_number = 0;
  int unused_number = 0;
  int position_id = 0;
  std::string position_name;
  std::string unused_text;
  std::string agent_text;

  bool operator==(const RoomLine&) const = default;
};

// A position a room may be placed at (4006).
struct RoomPositionLine {
  int number = 0;
  std::string name;

  bool operator==(const RoomPositionLine&) const = default;
};

// The room just made (3006), a single record.
struct CreatedRoomRecord {
  std::string password;
  double creation_time = 0.0;

  bool operator==(const CreatedRoomRecord&) const = default;
};

// A private message (4002); the body's line breaks travel as "<br>".
struct PrivateMessageLine {
  int number = 0;
  std::string heading;
  std::string content;
  double sending_time = 0.0;
  std::string fifth;

  bool operator==(const PrivateMessageLine&) const = default;
};

// A question to the service (4001), or a system notice when its kind is 0.
struct QuestionLine {
  int kind = 0;
  int number = 0;
  std::string topic;
  std::string question;
  std::string reply;
  std::string replier;

  bool operator==(const QuestionLine&) const = default;
};

// A day of the records menu's seven-column list (4037), in whole units.
struct SevenIntegerLine {
  int date = 0;  // YYYYMMDD
  int placed = 0;
  int staked = 0;
  int settled = 0;
  int won = 0;
  int lost = 0;
  int net = 0;

  bool operator==(const SevenIntegerLine&) const = default;
};

// The single records of one field: a token or a notice, a flag or a count.
struct OneTextRecord {
  std::string text;

  bool operator==(const OneTextRecord&) const = default;
};

struct OneIntegerRecord {
  int value = 0;

  bool operator==(const OneIntegerRecord&) const = default;
};

template <>
struct Schema<StarTermsRecord> {
  using R = StarTermsRecord;
  static constexpr std::string_view name = "star_terms";
  static constexpr auto fields =
      std::make_tuple(text("rmb_deposit", &R::rmb_deposit), text("hkd_deposit", &R::hkd_deposit),
                      text("usd_deposit", &R::usd_deposit), text("fourth", &R::fourth));
};

template <>
struct Schema<AccountBalanceRecord> {
  using R = AccountBalanceRecord;
  static constexpr std::string_view name = "account_balance";
  static constexpr auto fields =
      std::make_tuple(decimal("amount", &R::amount, 2), decimal("frozen_amount", &R::frozen_amount, 2),
                      decimal("balance", &R::balance, 2), integer("currency_code", &R::currency_code),
                      integer("credit", &R::credit));
};

template <>
struct Schema<RoomListHeader> {
  using R = RoomListHeader;
  static constexpr std::string_view name = "room_list_header";
  static constexpr auto fields = std::make_tuple(text("header_text", &R::header_text));
};

template <>
struct Schema<RoomLine> {
  using R = RoomLine;
  static constexpr std::string_view name = "room";
  static constexpr auto fields =
      std::make_tuple(text("owner_user_name", &R::owner_user_name), text("creator_text", &R::creator_text),
                      text("room_name", &R::room_name), text("password", &R::password),
                      integer("room_number", &R::room_number), integer("unused_number", &R::unused_number),
                      integer("position_id", &R::position_id), text("position_name", &R::position_name),
                      text("unused_text", &R::unused_text), text("agent_text", &R::agent_text));
};

template <>
struct Schema<RoomPositionLine> {
  using R = RoomPositionLine;
  static constexpr std::string_view name = "room_position";
  static constexpr auto fields = std::make_tuple(integer("number", &R::number), text("name", &R::name));
};

template <>
struct Schema<CreatedRoomRecord> {
  using R = CreatedRoomRecord;
  static constexpr std::string_view name = "created_room";
  static constexpr auto fields =
      std::make_tuple(text("password", &R::password), ole_date("creation_time", &R::creation_time));
};

template <>
struct Schema<PrivateMessageLine> {
  using R = PrivateMessageLine;
  static constexpr std::string_view name = "private_message";
  static constexpr auto fields = std::make_tuple(
      integer("number", &R::number), text("heading", &R::heading), text("content", &R::content),
      ole_date("sending_time", &R::sending_time), text("fifth", &R::fifth));
};

template <>
struct Schema<QuestionLine> {
  using R = QuestionLine;
  static constexpr std::string_view name = "question";
  static constexpr auto fields =
      std::make_tuple(integer("kind", &R::kind), integer("number", &R::number), text("topic", &R::topic),
                      text("question", &R::question), text("reply", &R::reply), text("replier", &R::replier));
};

template <>
struct Schema<SevenIntegerLine> {
  using R = SevenIntegerLine;
  static constexpr std::string_view name = "seven_integer";
  static constexpr auto fields =
      std::make_tuple(integer("date", &R::date), integer("placed", &R::placed), integer("staked", &R::staked),
                      integer("settled", &R::settled), integer("won", &R::won), integer("lost", &R::lost),
                      integer("net", &R::net));
};

template <>
struct Schema<OneTextRecord> {
  using R = OneTextRecord;
  static constexpr std::string_view name = "one_text";
  static constexpr auto fields = std::make_tuple(text("text", &R::text));
};

template <>
struct Schema<OneIntegerRecord> {
  using R = OneIntegerRecord;
  static constexpr std::string_view name = "one_integer";
  static constexpr auto fields = std::make_tuple(integer("value", &R::value));
};

}  // namespace brindle::records
