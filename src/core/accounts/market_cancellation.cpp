#include "core/accounts/market_cancellation.h"

#include "core/ports/confirmation_port.h"
#include "core/ports/message_port.h"
#include "core/protocol/bet_submission.h"
#include "core/protocol/session.h"

namespace brindle::accounts {

std::string cancellation_text(const OpenedMarket& market) {
  return "您将撤掉在比赛 " + market.match + " 中开出的 " + market.market +
         " 中所有的盘口。\n\n撤单彩金将以最新未受注彩金为准。";
}

bool cancel_opened_market(protocol::Session& session, ports::MessagePort& messages,
                          ports::ConfirmationPort& confirmation, const std::optional<OpenedMarket>& chosen) {
  if (!chosen) {
    messages.show_message(kNothingToCancelText, false);
    return false;
  }
  if (!confirmation.confirm({kCancelConfirmationTitle, cancellation_text(*chosen)})) return false;
  const protocol::Outcome sent = protocol::cancel_opened_markets(session, chosen->number);
  messages.show_message(sent ? sent.value() : sent.error(), false);
  return true;
}

}  // namespace brindle::accounts
