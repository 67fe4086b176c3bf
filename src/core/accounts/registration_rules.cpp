#include "core/accounts/registration_rules.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "wire/gbk.h"

namespace brindle::accounts {
namespace {

using ports::ProfileEntries;
using ports::RegistrationEntries;

bool ascii_digit(char c) { return c >= '0' && c <= '9'; }
bool ascii_letter_or_digit(char c) {
  return ascii_digit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool name_character(char c) { return ascii_letter_or_digit(c) || c == '_' || c == '-'; }

bool all_digits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), ascii_digit);
}
bool only_letters_or_digits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), ascii_letter_or_digit);
}
bool only_name_characters(std::string_view text) {
  return std::all_of(text.begin(), text.end(), name_character);
}

std::size_t bytes(const std::string& text) { return wire::gbk_byte_length(text); }

Refusal refuse(const char* message, Field field) { return Refusal{message, field}; }

// The messages and lengths of one kind of password.
struct PasswordRule {
  std::size_t shortest;
  std::size_t longest;
  const char* empty;
  const char* too_short;
  const char* too_long;
  const char* characters;
};
constexpr PasswordRule kPassword{
    6, 12, kPasswordEmptyText, kPasswordShortText, kPasswordLongText, kPasswordCharactersText};
constexpr PasswordRule kWithdrawal{
    4, 6, kWithdrawalEmptyText, kWithdrawalShortText, kWithdrawalLongText, kWithdrawalCharactersText};

// The message of the first rule the password breaks, leaving the comparison with its
// confirmation to the caller; nullptr when it passes.
const char* password_problem(const std::string& text, const PasswordRule& rule) {
  if (text.empty()) return rule.empty;
  if (bytes(text) < rule.shortest) return rule.too_short;
  if (bytes(text) > rule.longest) return rule.too_long;
  if (!only_letters_or_digits(text)) return rule.characters;
  return nullptr;
}

// The first character the wire's GBK cannot hold, or nothing.
std::optional<std::string> first_unsupported(const std::string& text) {
  for (std::size_t at = 0; at < text.size();) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    const std::string character = text.substr(at, length);
    bool unmappable = false;
    (void)wire::utf8_to_gbk(character, &unmappable);
    if (unmappable) return character;
    at += length;
  }
  return std::nullopt;
}

std::string with_character(const char* format, const std::string& character) {
  std::string text = format;
  text.replace(text.find("%s"), 2, character);
  return text;
}

// An e-mail GBK cannot carry would be stored altered, and the password mailed nowhere.
bool lacks_at_sign(const std::string& email) {
  return email.find('@') == std::string::npos || first_unsupported(email).has_value();
}

std::optional<Refusal> phone_problem(std::string& phone) {
  const auto character = first_unsupported(phone);
  if (!character) return std::nullopt;
  phone.clear();
  return Refusal{with_character(kPhoneUnsupportedFormat, *character), Field::phone};
}

// The rule shared by the user name of both windows; the registration alone forbids all digits.
std::optional<Refusal> user_name_problem(std::string& user_name, bool refuse_digits) {
  if (user_name.empty()) return refuse(kUserNameEmptyText, Field::user_name);
  const char* message = nullptr;
  if (bytes(user_name) > kUserNameBoxLimit) {
    message = kUserNameLongText;
  } else if (refuse_digits && all_digits(user_name)) {
    message = kUserNameDigitsText;
  } else if (!only_name_characters(user_name)) {
    message = kUserNameCharactersText;
  }
  if (message == nullptr) return std::nullopt;
  user_name.clear();
  return refuse(message, Field::user_name);
}

// The check buttons: empty, all digits, other characters than letters, digits, '_' and '-'.
std::optional<Refusal> strict_name_problem(std::string& text, const char* empty, const char* digits,
                                           const char* characters, Field field) {
  if (text.empty()) return refuse(empty, field);
  const char* message = all_digits(text) ? digits : !only_name_characters(text) ? characters : nullptr;
  if (message == nullptr) return std::nullopt;
  text.clear();
  return refuse(message, field);
}

}  // namespace

std::optional<Refusal> check_registration(RegistrationEntries& e) {
  if (!e.adult) return refuse(kAgeText, Field::adult);
  if (!e.agreed) return refuse(kAgreementText, Field::agreement);
  if (auto refusal = user_name_problem(e.user_name, true)) return refusal;

  if (e.password.empty()) return refuse(kPasswordEmptyText, Field::password);
  const char* message = password_problem(e.password, kPassword);
  if (message == nullptr && e.password != e.password_confirmation) message = kPasswordMismatchText;
  if (message != nullptr) {
    e.password.clear();
    e.password_confirmation.clear();
    return refuse(message, Field::password);
  }

  if (lacks_at_sign(e.email)) {
    e.email.clear();
    return refuse(kEmailText, Field::email);
  }

  message = password_problem(e.withdrawal_password, kWithdrawal);
  if (message == nullptr && e.withdrawal_password != e.withdrawal_password_confirmation)
    message = kWithdrawalMismatchText;
  if (message != nullptr) {
    e.withdrawal_password.clear();
    e.withdrawal_password_confirmation.clear();
    return refuse(message, Field::withdrawal_password);
  }

  std::string nickname_message;
  if (e.nickname.empty()) {
    nickname_message = kNicknameEmptyText;
  } else if (bytes(e.nickname) > kNicknameLimit) {
    nickname_message = kNicknameLongText;
  } else if (const auto at = e.nickname.find_first_of("'%&?"); at != std::string::npos) {
    char text[64];
    std::snprintf(text, sizeof text, kNicknameCharacterFormat, e.nickname[at]);
    nickname_message = text;
  } else if (const auto character = first_unsupported(e.nickname)) {
    nickname_message = with_character(kNicknameUnsupportedFormat, *character);
  }
  if (!nickname_message.empty()) {
    e.nickname.clear();
    return Refusal{nickname_message, Field::nickname};
  }
  return phone_problem(e.phone);
}

std::optional<Refusal> check_user_name_to_ask(RegistrationEntries& e) {
  return strict_name_problem(e.user_name, kUserNameEmptyText, kUserNameDigitsText, kUserNameCharactersText,
                             Field::user_name);
}

std::optional<Refusal> check_nickname_to_ask(RegistrationEntries& e) {
  return strict_name_problem(e.nickname, kNicknameEmptyText, kNicknameDigitsText, kNicknameCharactersText,
                             Field::nickname);
}

std::optional<Refusal> check_profile(ProfileEntries& e) {
  if (auto refusal = user_name_problem(e.user_name, false)) return refusal;
  if (const char* message = password_problem(e.new_password, kPassword)) {
    e.password_confirmation.clear();
    return refuse(message, Field::password);
  }
  if (const char* message = password_problem(e.new_withdrawal_password, kWithdrawal)) {
    e.withdrawal_password_confirmation.clear();
    return refuse(message, Field::withdrawal_password);
  }
  if (lacks_at_sign(e.email)) {
    e.email.clear();
    return refuse(kEmailText, Field::email);
  }
  if (e.new_password != e.password_confirmation) {
    e.new_password.clear();
    e.password_confirmation.clear();
    return refuse(kPasswordMismatchText, Field::password);
  }
  if (e.new_withdrawal_password != e.withdrawal_password_confirmation) {
    e.withdrawal_password_confirmation.clear();
    return refuse(kWithdrawalMismatchText, Field::withdrawal_password_confirmation);
  }
  return phone_problem(e.phone);
}

}  // namespace brindle::accounts
