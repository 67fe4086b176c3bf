#include "server/members/member_rules.h"

#include <openssl/evp.h>

#include <algorithm>

#include "wire/gbk.h"

namespace brindle::server::members {
namespace {

bool digit(char c) { return c >= '0' && c <= '9'; }
bool letter_or_digit(char c) { return digit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool name_character(char c) { return letter_or_digit(c) || c == '_' || c == '-'; }
bool control(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u < 0x20 || u == 0x7F;
}
bool has_control(std::string_view text) { return std::any_of(text.begin(), text.end(), control); }

std::optional<std::string> say(std::string_view text) { return std::string(text); }

struct Lengths {
  std::size_t shortest;
  std::size_t longest;
  std::string_view empty, too_short, too_long, characters;
};

std::optional<std::string> secret_problem(std::string_view text, const Lengths& rule) {
  if (text.empty()) return say(rule.empty);
  if (text.size() < rule.shortest) return say(rule.too_short);
  if (text.size() > rule.longest) return say(rule.too_long);
  if (!std::all_of(text.begin(), text.end(), letter_or_digit)) return say(rule.characters);
  return std::nullopt;
}

std::string md5_text(std::string_view utf8) {
  static constexpr char kHex[] = "0123456789abcdef";
  const std::string bytes = wire::utf8_to_gbk(utf8);
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  std::string text;
  if (EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_md5(), nullptr) != 1 || length != 16) {
    text.assign(32, '0');  // as the client reads a system without MD5
  } else {
    for (unsigned int i = 0; i < length; ++i) {
      text += kHex[digest[i] >> 4];
      text += kHex[digest[i] & 0x0F];
    }
  }
  return text + ' ';
}

}  // namespace

std::optional<std::string> user_name_problem(std::string_view name, bool refuse_digits) {
  if (name.empty()) return say(kUserNameEmptyText);
  if (wire::gbk_byte_length(name) > 20) return say(kUserNameLongText);
  if (refuse_digits && std::all_of(name.begin(), name.end(), digit)) return say(kUserNameDigitsText);
  if (!std::all_of(name.begin(), name.end(), name_character)) return say(kUserNameCharactersText);
  return std::nullopt;
}

std::optional<std::string> password_problem(std::string_view password) {
  return secret_problem(
      password, {6, 12, kPasswordEmptyText, kPasswordShortText, kPasswordLongText, kPasswordCharactersText});
}

std::optional<std::string> withdrawal_password_problem(std::string_view password) {
  return secret_problem(password, {4, 6, kWithdrawalEmptyText, kWithdrawalShortText, kWithdrawalLongText,
                                   kWithdrawalCharactersText});
}

std::optional<std::string> email_problem(std::string_view email) {
  if (wire::gbk_byte_length(email) > kEmailByteLimit) return say(kEmailLongText);
  if (email.find('@') == std::string_view::npos || has_control(email)) return say(kEmailText);
  return std::nullopt;
}

std::optional<std::string> nickname_problem(std::string_view nickname) {
  if (nickname.empty()) return say(kNicknameEmptyText);
  if (wire::gbk_byte_length(nickname) > 20) return say(kNicknameLongText);
  if (const auto at = nickname.find_first_of("'%&?"); at != std::string_view::npos)
    return "昵称不能包含字符'" + std::string(1, nickname[at]) + "'！";
  if (has_control(nickname)) return say(kNicknameBadText);
  return std::nullopt;
}

std::optional<std::string> phone_problem(std::string_view phone) {
  if (wire::gbk_byte_length(phone) > kPhoneByteLimit) return say(kPhoneLongText);
  if (has_control(phone)) return say(kPhoneText);
  return std::nullopt;
}

std::string registration_signature(std::string_view user_name, std::string_view password) {
  const std::string d1 = md5_text("583brindle" + std::string(user_name));
  const std::string d2 = md5_text(std::string(password) + "20130611");
  std::string signature = md5_text(d1 + d2);
  signature.pop_back();
  return signature;
}

}  // namespace brindle::server::members
