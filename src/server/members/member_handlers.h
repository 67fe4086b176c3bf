#pragma once

#include <string_view>

#include "server/http/dispatcher.h"
#include "server/services.h"
#include "wire/result.h"

namespace brindle::server {

inline constexpr std::string_view kUserNameFreeText = "该用户名可以使用！";
inline constexpr std::string_view kNicknameFreeText = "该昵称可以使用！";
inline constexpr std::string_view kNicknameTakenText = "该昵称已被使用！";
inline constexpr std::string_view kBadCheckText = "验证请求格式错误！";
inline constexpr std::string_view kBadRegistrationText = "注册请求格式错误！";
inline constexpr std::string_view kBadSignatureText = "注册请求校验失败，请使用正式版客户端注册！";
inline constexpr std::string_view kRegisteredText = "注册成功！购买彩金后即可投注。";
inline constexpr std::string_view kBadProfileText = "修改资料请求格式错误！";
inline constexpr std::string_view kOtherUserText = "只能修改本人的资料！";
inline constexpr std::string_view kWrongOldWithdrawalText = "原提彩密码错误！";
inline constexpr std::string_view kProfileChangedText = "修改成功！";
inline constexpr std::string_view kRetrievalText =
    "如果该用户名存在，新密码已发送到注册时填写的电子邮箱，请查收。";

// Registration and account details before sign-in: the name checks (2020, 2021), registration
// (2022), the profile change (2004) and password retrieval (2016).
//
// 2020, 2021, 2022 and 2016 come from users without an account or without its password, so they
// are not authenticated; 2004 is, with the typed user name and old password the client sends.
Result<void> add_member_handlers(Dispatcher& dispatcher, const ServerServices& services);

}  // namespace brindle::server
