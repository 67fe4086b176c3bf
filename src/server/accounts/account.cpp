#include "server/accounts/account.h"

#include "wire/gbk.h"

namespace brindle::server::accounts {
namespace {

constexpr std::size_t kMaxUserNameBytes = 20;
constexpr std::size_t kMaxPasswordBytes = 64;

// Control characters cannot be typed into the client's boxes and would break a reply line.
bool has_control(std::string_view text) {
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) return true;
  }
  return false;
}

bool travels_in_gbk(std::string_view text) {
  bool unmappable = false;
  (void)wire::utf8_to_gbk(text, &unmappable);
  return !unmappable;
}

}  // namespace

AuthenticatedAccount Account::identity() const {
  return AuthenticatedAccount{id, user_name, currency, star_member, frozen};
}

Result<void> check_user_name(std::string_view user_name) {
  if (user_name.empty()) return Result<void>::failure(std::string(kUserNameEmptyText));
  if (!travels_in_gbk(user_name) || has_control(user_name) || user_name.find('|') != std::string_view::npos ||
      user_name.find("&txtPwd=") != std::string_view::npos || user_name.front() == ' ' ||
      user_name.back() == ' ') {
    return Result<void>::failure(std::string(kUserNameBadText));
  }
  if (wire::gbk_byte_length(user_name) > kMaxUserNameBytes) {
    return Result<void>::failure(std::string(kUserNameTooLongText));
  }
  return {};
}

Result<void> check_password(std::string_view password) {
  if (password.empty()) return Result<void>::failure(std::string(kPasswordEmptyText));
  if (!travels_in_gbk(password) || has_control(password) ||
      password.find("&txtPara=") != std::string_view::npos) {
    return Result<void>::failure(std::string(kPasswordBadText));
  }
  if (wire::gbk_byte_length(password) > kMaxPasswordBytes) {
    return Result<void>::failure(std::string(kPasswordTooLongText));
  }
  return {};
}

}  // namespace brindle::server::accounts
