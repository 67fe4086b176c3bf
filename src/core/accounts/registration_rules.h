#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "core/ports/account_windows_port.h"

namespace brindle::accounts {

// Box limits, in GBK bytes.
inline constexpr std::size_t kUserNameBoxLimit = 20;
inline constexpr std::size_t kPasswordBoxLimit = 12;
inline constexpr std::size_t kEmailBoxLimit = 50;
inline constexpr std::size_t kWithdrawalPasswordBoxLimit = 6;
// The service stores at most this many bytes of a phone number; the box takes no more.
inline constexpr std::size_t kPhoneBoxLimit = 50;
inline constexpr std::size_t kNicknameLimit = 20;

inline constexpr char kAgeText[] = "请确认您的年龄已满18岁！";
inline constexpr char kAgreementText[] = "您需要同意用户协议才能注册！";
inline constexpr char kUserNameEmptyText[] = "用户名不能为空！";
inline constexpr char kUserNameLongText[] = "用户名不能为超过20位！";
inline constexpr char kUserNameDigitsText[] = "用户名不能为数字！";
inline constexpr char kUserNameCharactersText[] = "用户名只能为字母或数字！";
inline constexpr char kPasswordEmptyText[] = "密码不能为空！";
inline constexpr char kPasswordShortText[] = "密码不能少于6位！";
inline constexpr char kPasswordLongText[] = "密码不能大于12位！";
inline constexpr char kPasswordCharactersText[] = "密码只能为字母或数字！";
inline constexpr char kPasswordMismatchText[] = "密码和确认密码不同！";
inline constexpr char kEmailText[] = "电子邮件格式不正确！";
inline constexpr char kWithdrawalEmptyText[] = "提彩密码不能为空！";
inline constexpr char kWithdrawalShortText[] = "提彩密码不能少于4位！";
inline constexpr char kWithdrawalLongText[] = "提彩密码不能大于6位！";
inline constexpr char kWithdrawalCharactersText[] = "提彩密码只能为字母或数字！";
inline constexpr char kWithdrawalMismatchText[] = "提彩密码和确认提彩密码不同！";
inline constexpr char kNicknameEmptyText[] = "昵称不能为空！";
inline constexpr char kNicknameLongText[] = "昵称不能为超过20位！";
inline constexpr char kNicknameCharacterFormat[] = "昵称不能包含字符'%c'！";
// GBK cannot carry the character: it would arrive as '?', in a nickname that cannot be changed.
inline constexpr char kNicknameUnsupportedFormat[] = "昵称不能包含字符'%s'！";
inline constexpr char kPhoneUnsupportedFormat[] = "电话不能包含字符'%s'！";
inline constexpr char kNicknameDigitsText[] = "昵称不能为数字！";
inline constexpr char kNicknameCharactersText[] = "昵称只能为字母或数字！";

// The box a refusal sends the focus back to.
enum class Field {
  none,
  adult,
  agreement,
  user_name,
  old_password,
  password,
  password_confirmation,
  email,
  withdrawal_password,
  withdrawal_password_confirmation,
  nickname,
  phone,
};

struct Refusal {
  std::string message;
  Field field = Field::none;
  bool operator==(const Refusal&) const = default;
};

// "确认" of the registration window: the first failing rule, with the boxes it clears already
// emptied in `entries`.
std::optional<Refusal> check_registration(ports::RegistrationEntries& entries);
// The local half of "验证用户名" and "验证昵称": stricter than the submit rules (a nickname, too,
// must be letters, digits, '_' or '-' and not all digits).
std::optional<Refusal> check_user_name_to_ask(ports::RegistrationEntries& entries);
std::optional<Refusal> check_nickname_to_ask(ports::RegistrationEntries& entries);
// "提交" of the account-details window.
std::optional<Refusal> check_profile(ports::ProfileEntries& entries);

}  // namespace brindle::accounts
