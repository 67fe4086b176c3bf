#pragma once

#include <optional>
#include <string>

namespace brindle::ports {

//! What the transfer window "拨彩" holds: its four boxes as typed.
struct TransferEntries {
  std::string user_name;            //!< "对方用户名："
  std::string confirmed_user_name;  //!< "确认对方用户名："
  std::string amount;               //!< "拨彩彩金：", digits only
  std::string withdrawal_password;  //!< "自己的提彩密码：", masked

  bool operator==(const TransferEntries&) const = default;
};

//! What the super cash-out window "超级兑现" holds.
struct CashOutEntries {
  std::string amount;               //!< "兑现金额：", digits only
  std::string withdrawal_password;  //!< "您的提彩密码：", masked

  bool operator==(const CashOutEntries&) const = default;
};

//! The transfer window.
class TransferWindowPort {
 public:
  virtual ~TransferWindowPort() = default;
  //! Shows the window modally with `typed` in its boxes; the boxes after "提交", nothing after
  //! "取消" or close.
  virtual std::optional<TransferEntries> ask_transfer(const TransferEntries& typed) = 0;
};

//! The super cash-out window.
class SuperCashOutWindowPort {
 public:
  virtual ~SuperCashOutWindowPort() = default;
  //! Shows the window modally with the centred line naming the star member and `typed` in its boxes;
  //! the boxes after "提交", nothing after "取消" or close.
  virtual std::optional<CashOutEntries> ask_cash_out(const std::string& star_member_line,
                                                     const CashOutEntries& typed) = 0;
};

}  // namespace brindle::ports
