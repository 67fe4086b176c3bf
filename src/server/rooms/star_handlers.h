#pragma once

#include <string_view>

#include "server/http/dispatcher.h"
#include "server/services.h"
#include "wire/result.h"

namespace brindle::server {

inline constexpr std::string_view kAlreadyStarText = "您已经是星级会员了，不用再申请了！";
inline constexpr std::string_view kDepositShortText = "您的保证金不足！";
inline constexpr std::string_view kStarNoCurrencyText = "您的帐户尚未购买彩金，不能申请星级会员！";
inline constexpr std::string_view kStarAcceptedText = "申请成功！";
inline constexpr std::string_view kBadTransferText = "拨彩请求格式错误！";
inline constexpr std::string_view kBadTransferAmountText = "拨彩金额不正确！";
inline constexpr std::string_view kNoWithdrawalPasswordText = "您尚未设置提彩密码，请与客服联系！";
inline constexpr std::string_view kWrongWithdrawalPasswordText = "提彩密码错误！";
inline constexpr std::string_view kNoSuchReceiverText = "对方用户不存在！";
inline constexpr std::string_view kOnlyToStarText = "非星级会员只能向星级会员兑现！";
inline constexpr std::string_view kOtherCurrencyText = "对方帐户的币种与您的不同，不能拨彩！";
inline constexpr std::string_view kTransferDoneText = "拨彩成功！";
inline constexpr std::string_view kCashOutDoneText = "兑现成功！";
inline constexpr std::string_view kBadCreateRoomText = "创建房间请求格式错误！";
inline constexpr std::string_view kOnlyStarCreatesRoomText = "只有星级会员才可以自创房间！";
inline constexpr std::string_view kBadPositionText = "房间位置不正确！";
inline constexpr std::string_view kRoomCreatedText = "成功！";

// Star members, transfers and private rooms: the terms (1003), the application (2012), the transfer
// and super cash-out (2009), the room list (1004), the room positions (4006) and a new room (3006).
//
// A star member may transfer to anyone; any other user only to a star member, which is what the
// super cash-out inside a room does.
Result<void> add_star_handlers(Dispatcher& dispatcher, const ServerServices& services);

}  // namespace brindle::server
