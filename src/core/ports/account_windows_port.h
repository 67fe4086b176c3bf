#pragma once

#include <optional>
#include <string>

namespace brindle::ports {

//! The boxes of "新用户注册" as typed; the password boxes hold their kept text.
struct RegistrationEntries {
  std::string user_name;                         //!< "用户名称："
  std::string password;                          //!< "密码：", masked
  std::string password_confirmation;             //!< "确认密码：", masked
  std::string email;                             //!< "电子邮件："
  std::string withdrawal_password;               //!< "提彩密码：", masked
  std::string withdrawal_password_confirmation;  //!< the second "确认密码：", masked
  std::string nickname;                          //!< "昵称："
  std::string phone;                             //!< "电话："
  bool adult = false;                            //!< "满十八岁"
  bool agreed = false;                           //!< "同意用户协议"

  bool operator==(const RegistrationEntries&) const = default;
};

//! The boxes of "信息修改" as typed.
struct ProfileEntries {
  std::string user_name;                         //!< "用户名称："
  std::string old_password;                      //!< "原密码：", masked
  std::string old_withdrawal_password;           //!< "原提彩密码：", masked
  std::string new_password;                      //!< "新密码：", masked
  std::string password_confirmation;             //!< "确认密码：", masked
  std::string email;                             //!< "电子邮件："
  std::string new_withdrawal_password;           //!< "新提彩密码：", masked
  std::string withdrawal_password_confirmation;  //!< "确认提彩密码：", masked
  std::string phone;                             //!< "电话："
  std::string nickname;                          //!< hidden box, always empty

  bool operator==(const ProfileEntries&) const = default;
};

//! The registration window. Its "确认" runs the submit checks while it is open and closes only
//! when they pass.
class RegistrationWindowPort {
 public:
  virtual ~RegistrationWindowPort() = default;
  //! Shows the window modally with `typed` in its boxes; the entries after "确认", nothing after
  //! "取消" or close.
  virtual std::optional<RegistrationEntries> ask_registration(const RegistrationEntries& typed) = 0;
};

//! The account-details window, checked the same way on "提交".
class ProfileWindowPort {
 public:
  virtual ~ProfileWindowPort() = default;
  virtual std::optional<ProfileEntries> ask_profile(const ProfileEntries& typed) = 0;
};

//! The retrieve-password window: the user name after "确认", nothing after "取消" or close.
class PasswordRetrievalWindowPort {
 public:
  virtual ~PasswordRetrievalWindowPort() = default;
  virtual std::optional<std::string> ask_user_name() = 0;
};

}  // namespace brindle::ports
