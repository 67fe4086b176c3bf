#pragma once

#include <array>
#include <string>

#include "core/net/client_context.h"
#include "core/ports/star_member_windows_port.h"

namespace brindle::protocol {
struct Session;
}
namespace brindle::ports {
class ConfirmationPort;
class FramePort;
class MessagePort;
}  // namespace brindle::ports

namespace brindle::accounts {

inline constexpr char kStarMemberTitle[] = "星级会员";
inline constexpr char kDepositLineFormat[] = "2)港币/人民币: %d元  美元: %d元。";
inline constexpr char kAlreadyStarMemberText[] = "您已经是星级会员了，不用再申请了！";
inline constexpr char kDepositShortText[] = "您的保证金不足！";
inline constexpr char kApplyTitle[] = "申请星级会员";
inline constexpr char kApplyConfirmText[] = "您选择了申请为星级会员，请确认。";
inline constexpr char kApplyDoneText[] = "您已经可以创建房间或拨彩了，待审核通过后开始计算返彩！";

inline constexpr char kTransferStarOnlyText[] = "只有星级会员才可拨彩！";
inline constexpr char kTransferNameEmptyText[] = "用户名不能为空！";
inline constexpr char kTransferAmountZeroText[] = "拨彩彩金不能为0！";
inline constexpr char kTransferOverBalanceText[] = "拨彩彩金不能超过可用金！";
inline constexpr char kTransferNameMismatchText[] = "用户名和确认用户名不符！";
inline constexpr char kTransferConfirmTitle[] = "拨彩确认";
inline constexpr char kTransferConfirmFormat[] = "您准备向用户%s拨彩，彩金为 %.2f %s。";

inline constexpr char kCashOutWithSelfText[] = "自己不能同自己进行超级兑现！";
inline constexpr char kCashOutLineFormat[] = "您将要跟星级会员%s兑现";
inline constexpr char kCashOutAmountZeroText[] = "兑现彩金不能为0！";
inline constexpr char kCashOutOverBalanceText[] = "兑现彩金不能超过可用金！";
inline constexpr char kCashOutConfirmTitle[] = "兑现确认";
inline constexpr char kCashOutConfirmFormat[] = "您将要跟星级会员%s兑现，彩金为 %.2f %s。";

// What the star-member window, the transfer and the super cash-out talk to.
struct StarMemberServices {
  protocol::Session& session;
  ports::MessagePort& messages;
  ports::ConfirmationPort& confirmation;
  ports::FramePort& frame;
};

// An amount as the digits-only boxes give it; an empty box is 0.
double typed_amount(const std::string& text);

// The deposit an account of this currency must hold (RMB for code 1, USD for code 2, HKD for any
// other), from the terms cached in the Client context.
int required_deposit(const std::array<std::string, 4>& terms, int currency_code);

// Whether the Main window's star button is the super cash-out: inside the private room of another
// star member. Outside a room, and in the star member's own room, where cashing out with himself is
// refused, it opens the star-member window, so that 拨彩 stays within reach.
bool button_cashes_out(const net::ClientContext& context);

// The star-member window without its widgets.
class StarMemberWindowModel final {
 public:
  explicit StarMemberWindowModel(StarMemberServices services);

  // The window's opening: the terms, fetched on the first opening of the run and then kept in the
  // Client context. False when the fetch failed (its message was shown); the window then closes.
  bool start();
  // "申请星级会员" is offered to a member signed in the ordinary way only.
  bool apply_enabled() const;
  // "2)港币/人民币: %d元  美元: %d元。" with the HKD and USD deposits.
  std::string deposit_line() const;

  // "申请星级会员": true when the application was accepted and the user is now a star member.
  bool apply();
  // "拨彩": the transfer sequence; true when a transfer was sent.
  bool transfer(ports::TransferWindowPort& window);
  // "进入私人房间": asks the Main window for the private-room hall; the window then closes.
  void enter_private_room();

 private:
  StarMemberServices services_;
};

// The transfer: window, checks, "拨彩确认", one request. Refusals before sending and "取消" in the
// confirmation open the window again with its entries; the server's answer, whatever it is, ends it.
// True when the request was sent.
bool run_transfer(StarMemberServices services, ports::TransferWindowPort& window);

// The super cash-out with the star member of the room the user is in. Unlike the transfer, a
// refusal by the server opens the window again. True when the server accepted it.
bool run_super_cash_out(StarMemberServices services, ports::SuperCashOutWindowPort& window,
                        const std::string& star_member_name);

}  // namespace brindle::accounts
