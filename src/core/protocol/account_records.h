#pragma once

#include <array>
#include <string>

namespace brindle::protocol {

// The records of the account, room and message requests.

// The four star-member texts: the deposits in RMB, HKD and USD and a fourth number.
struct StarMemberTerms {
  std::string rmb_deposit;
  std::string hkd_deposit;
  std::string usd_deposit;
  std::string fourth;

  bool operator==(const StarMemberTerms&) const = default;
};

struct Room {
  std::string owner_user_name;
  std::string creator_text;
  std::string room_name;
  std::string password;
  int room_number = 0;
  int unused_number = 0;
  int position_id = 0;
  std::string position_name;
  std::string unused_text;
  std::string agent_text;

  bool operator==(const Room&) const = default;
};

struct RoomPosition {
  int number = 0;
  std::string name;

  bool operator==(const RoomPosition&) const = default;
};

struct CreatedRoom {
  std::string password;
  std::string creation_time;  // "%Y-%m-%d %H:%M:%S"

  bool operator==(const CreatedRoom&) const = default;
};

struct PrivateMessage {
  int number = 0;
  std::string heading;
  std::string content;       // line breaks as "\r\n"
  std::string sending_time;  // "%Y-%m-%d %H:%M"
  std::string fifth;

  bool operator==(const PrivateMessage&) const = default;
};

// A question to the service, or a system notice (kind 0).
struct Question {
  int kind = 0;
  int number = 0;
  std::string topic;
  std::string question;
  std::string reply;
  std::string replier;

  bool operator==(const Question&) const = default;
};

// The question list as the messages window keeps it: notices and questions go in through their
// own insert operations, in reply order.
class QuestionInserter {
 public:
  virtual ~QuestionInserter() = default;
  virtual void clear() = 0;
  virtual void insert_question(const Question& question) = 0;
  virtual void insert_notice(const Question& notice) = 0;
};

// The account figures of the balance request.
struct AccountBalance {
  double amount = 0.0;
  double frozen_amount = 0.0;
  double balance = 0.0;
  int currency_code = 0;
  double credit = 0.0;

  bool operator==(const AccountBalance&) const = default;
};

using SevenIntegerRow = std::array<int, 7>;

}  // namespace brindle::protocol
