#pragma once

#include <array>
#include <string>

#include "core/accounts/registration.h"

namespace brindle::accounts {

inline constexpr char kProfileTitle[] = "信息修改";
inline constexpr char kProfileConfirmTitle[] = "修改信息";
inline constexpr char kProfileConfirmFormat[] =
    "\n  您的用户名为：%s。\n\n  您的电子邮件为：%s。\n\n  请确认以上信息！";

// The seven texts after the user name in the change request: the old withdrawal password, the new
// password, the new withdrawal password, the e-mail, the phone, the (hidden, empty) nickname and
// an empty text. The old password travels as the request's own password.
std::array<std::string, 7> profile_texts(const ports::ProfileEntries& entries);

// The account-details window without its widgets: "提交" checks, showing the first refusal.
class ProfileForm final {
 public:
  explicit ProfileForm(ports::MessagePort& messages) : messages_(messages) {}
  Field submit(ports::ProfileEntries& entries);

 private:
  ports::MessagePort& messages_;
};

// "修改资料": the window, the confirmation "修改信息" ("取消" returns to the window), then the
// typed user name and old password become the Client context's and the change request is sent.
// A refusal by the server opens the window again. True when the details were changed.
bool run_profile_change(AccountServices services, ports::ConfirmationPort& confirmation,
                        ports::ProfileWindowPort& window);

}  // namespace brindle::accounts
