#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace brindle::server::members {

// The client's own rules for the registration and account-details fields, checked again here
// because a request need not come from that client. Each check gives the client's message for the
// first rule broken, or nothing.

inline constexpr std::string_view kUserNameEmptyText = "用户名不能为空！";
inline constexpr std::string_view kUserNameLongText = "用户名不能为超过20位！";
inline constexpr std::string_view kUserNameDigitsText = "用户名不能为数字！";
inline constexpr std::string_view kUserNameCharactersText = "用户名只能为字母或数字！";
inline constexpr std::string_view kPasswordEmptyText = "密码不能为空！";
inline constexpr std::string_view kPasswordShortText = "密码不能少于6位！";
inline constexpr std::string_view kPasswordLongText = "密码不能大于12位！";
inline constexpr std::string_view kPasswordCharactersText = "密码只能为字母或数字！";
inline constexpr std::string_view kEmailText = "电子邮件格式不正确！";
inline constexpr std::string_view kWithdrawalEmptyText = "提彩密码不能为空！";
inline constexpr std::string_view kWithdrawalShortText = "提彩密码不能少于4位！";
inline constexpr std::string_view kWithdrawalLongText = "提彩密码不能大于6位！";
inline constexpr std::string_view kWithdrawalCharactersText = "提彩密码只能为字母或数字！";
inline constexpr std::string_view kNicknameEmptyText = "昵称不能为空！";
inline constexpr std::string_view kNicknameLongText = "昵称不能为超过20位！";
inline constexpr std::string_view kNicknameBadText = "昵称含有不允许的字符！";
inline constexpr std::string_view kPhoneText = "电话格式不正确！";
// The client's boxes hold no more; its phone box sets no limit of its own, so the phone gets the
// e-mail box's, which any real number fits.
inline constexpr std::size_t kEmailByteLimit = 50;
inline constexpr std::size_t kPhoneByteLimit = 50;
inline constexpr std::string_view kEmailLongText = "电子邮件不能超过50位！";
inline constexpr std::string_view kPhoneLongText = "电话不能超过50位！";

// Letters, digits, '_' and '-', at most 20 bytes; all digits only where `refuse_digits`.
std::optional<std::string> user_name_problem(std::string_view name, bool refuse_digits);
// 6 to 12 letters or digits.
std::optional<std::string> password_problem(std::string_view password);
// 4 to 6 letters or digits.
std::optional<std::string> withdrawal_password_problem(std::string_view password);
// At most 50 GBK bytes, an '@', no control characters (it becomes a mail header).
std::optional<std::string> email_problem(std::string_view email);
// Not empty, at most 20 GBK bytes, none of ' % & ? ("昵称不能包含字符'&'！") and no control characters.
std::optional<std::string> nickname_problem(std::string_view nickname);
// At most 50 GBK bytes, no control characters.
std::optional<std::string> phone_problem(std::string_view phone);

// The signature the client appends to a registration: the MD5 digests (lower-case hexadecimal of
// the GBK bytes, each followed by a space) of "583brindle" + user name and of password +
// "20130611", joined, digested again, without the trailing space: 32 characters.
std::string registration_signature(std::string_view user_name, std::string_view password);

}  // namespace brindle::server::members
