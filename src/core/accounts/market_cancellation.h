#pragma once

#include <optional>
#include <string>

namespace brindle::protocol {
struct Session;
}
namespace brindle::ports {
class ConfirmationPort;
class MessagePort;
}  // namespace brindle::ports

namespace brindle::accounts {

inline constexpr char kNothingToCancelText[] = "请选择您要撤单的开盘。";
inline constexpr char kCancelConfirmationTitle[] = "撤单确认";

// The open market a records row names: its match text, market name and open-market number.
struct OpenedMarket {
  std::string match;
  std::string market;
  int number = 0;
};

std::string cancellation_text(const OpenedMarket& market);

// 撤单: the confirmation, then 2014; the reply's message is shown whatever it says. True when the
// request was sent (the caller reloads its list).
bool cancel_opened_market(protocol::Session& session, ports::MessagePort& messages,
                          ports::ConfirmationPort& confirmation, const std::optional<OpenedMarket>& chosen);

}  // namespace brindle::accounts
