#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "server/storage/money.h"
#include "wire/result.h"

namespace brindle::server::accounts {

using AccountId = std::int64_t;
using storage::Cents;

// 0 for an account that has never bought credit, else the currency of its money.
enum class Currency : int { none = 0, rmb = 1, usd = 2, hkd = 3 };

inline constexpr std::size_t kMemberDetailTexts = 19;

// Who sent an authenticated request, as the handlers read it from SubjectRequest::account. A fresh
// read of the account row made for that request.
struct AuthenticatedAccount {
  AccountId id = 0;
  std::string user_name;
  Currency currency = Currency::none;
  bool star_member = false;
  bool frozen = false;  // the account is frozen: it may sign in and look, not bet
};

// The whole account row.
struct Account {
  AccountId id = 0;
  std::string user_name;
  Currency currency = Currency::none;
  Cents balance = 0;        // available (帐户彩金)
  Cents frozen_amount = 0;  // stakes of bets not yet settled (冻结帐户彩金)
  Cents credit = 0;         // 受信彩金
  bool star_member = false;
  bool frozen = false;
  bool in_play_web_mode = false;
  std::string login_text1;
  std::string login_text3;
  std::int64_t context1 = 1;
  std::int64_t context2 = 1;
  std::int64_t new_messages = 0;
  std::array<std::string, kMemberDetailTexts> member_texts;  // the profile texts of 3032, in order
  std::int64_t member_number1 = 0;
  std::int64_t member_number2 = 0;

  AuthenticatedAccount identity() const;
};

// What a new account starts with; the password is hashed before anything is stored.
struct NewAccount {
  std::string user_name;
  std::string password;
  std::string withdrawal_password;  // empty: none yet, transfers refused until one is set
  Currency currency = Currency::none;
  Cents credit = 0;
  bool star_member = false;
  bool frozen = false;
  bool in_play_web_mode = false;
  std::string login_text1;
  std::string login_text3;
  std::array<std::string, kMemberDetailTexts> member_texts;
};

inline constexpr std::string_view kUserNameEmptyText = "用户名不能为空！";
inline constexpr std::string_view kUserNameTooLongText = "用户名不能超过20位！";
inline constexpr std::string_view kUserNameBadText = "用户名含有不允许的字符！";
inline constexpr std::string_view kPasswordEmptyText = "密码不能为空！";
inline constexpr std::string_view kPasswordTooLongText = "密码不能超过64位！";
inline constexpr std::string_view kPasswordBadText = "密码含有不允许的字符！";
inline constexpr std::string_view kUserNameTakenText = "该用户名已被注册！";
inline constexpr std::string_view kNoSuchAccountText = "用户不存在！";

// The checks every new user name and password pass. The request body is cut on "&txtPwd=" and
// "&txtPara=", so a name holding the first or a password holding the second could never sign in;
// control characters and "|" could not travel in one reply field either.
Result<void> check_user_name(std::string_view user_name);
Result<void> check_password(std::string_view password);

}  // namespace brindle::server::accounts
