#include "core/accounts/star_member.h"

#include <cstdio>
#include <cstdlib>

#include "core/net/client_context.h"
#include "core/notation/currency_name.h"
#include "core/ports/confirmation_port.h"
#include "core/ports/frame_port.h"
#include "core/ports/message_port.h"
#include "core/protocol/account_requests.h"
#include "core/protocol/session.h"

namespace brindle::accounts {
namespace {

// Terms and amounts as the windows show them; the names are user text of any length.
template <typename... Args>
std::string printf_text(const char* format, Args... args) {
  const int length = std::snprintf(nullptr, 0, format, args...);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length), '\0');
  std::snprintf(text.data(), text.size() + 1, format, args...);
  return text;
}

enum Terms { kRmbDeposit = 0, kHkdDeposit = 1, kUsdDeposit = 2 };

bool terms_cached(const net::ClientContext& context) {
  for (const auto& text : context.star_member_terms) {
    if (!text.empty()) return true;
  }
  return false;
}

std::string shown(const protocol::Outcome& outcome) { return outcome ? outcome.value() : outcome.error(); }

bool has_separator(const std::string& text) { return text.find('|') != std::string::npos; }

void account_figures_changed(ports::FramePort& frame) {
  frame.post(ports::WindowMessage::refresh_account, 0, 0);
}

}  // namespace

double typed_amount(const std::string& text) {
  // strtod, not from_chars: a run of digits too long for a double reads as infinite, which the
  // balance check refuses, rather than as 0.
  return text.empty() ? 0.0 : std::strtod(text.c_str(), nullptr);
}

int required_deposit(const std::array<std::string, 4>& terms, int currency_code) {
  switch (currency_code) {
    case notation::kCurrencyRenminbi:
      return std::atoi(terms[kRmbDeposit].c_str());
    case notation::kCurrencyUsDollar:
      return std::atoi(terms[kUsdDeposit].c_str());
    default:
      return std::atoi(terms[kHkdDeposit].c_str());
  }
}

StarMemberWindowModel::StarMemberWindowModel(StarMemberServices services) : services_(services) {}

bool StarMemberWindowModel::start() {
  if (terms_cached(services_.session.context)) return true;
  protocol::StarMemberTerms terms;
  if (auto outcome = protocol::fetch_star_member_terms(services_.session, terms); !outcome) {
    services_.messages.show_message(outcome.error(), false);
    return false;
  }
  return true;
}

bool StarMemberWindowModel::apply_enabled() const {
  return services_.session.context.login_mode == net::kLoginModeMember;
}

std::string StarMemberWindowModel::deposit_line() const {
  const auto& terms = services_.session.context.star_member_terms;
  return printf_text(kDepositLineFormat, std::atoi(terms[kHkdDeposit].c_str()),
                     std::atoi(terms[kUsdDeposit].c_str()));
}

bool StarMemberWindowModel::apply() {
  net::ClientContext& context = services_.session.context;
  if (context.star_member == 1) {
    services_.messages.show_message(kAlreadyStarMemberText, false);
    return false;
  }
  if (required_deposit(context.star_member_terms, context.currency_code) > context.balance) {
    services_.messages.show_message(kDepositShortText, false);
    return false;
  }
  if (!services_.confirmation.confirm({kApplyTitle, kApplyConfirmText})) return false;
  auto outcome = protocol::apply_for_star_membership(services_.session);
  if (!outcome) {
    services_.messages.show_message(outcome.error(), false);
    return false;
  }
  // The deposit is now held, so the figures the Main window shows are stale.
  account_figures_changed(services_.frame);
  services_.messages.show_message(outcome.value() + "\n" + kApplyDoneText, false);
  context.star_member = 1;
  return true;
}

bool StarMemberWindowModel::transfer(ports::TransferWindowPort& window) {
  return run_transfer(services_, window);
}

void StarMemberWindowModel::enter_private_room() {
  // A non-zero second argument makes the Main window pass the switch on to the hall on show.
  services_.frame.post(ports::WindowMessage::private_rooms, 1, 1);
}

bool run_transfer(StarMemberServices services, ports::TransferWindowPort& window) {
  net::ClientContext& context = services.session.context;
  if (context.star_member != 1) {
    services.messages.show_message(kTransferStarOnlyText, false);
    return false;
  }
  ports::TransferEntries typed;
  for (;;) {
    auto entries = window.ask_transfer(typed);
    if (!entries) return false;
    typed = *entries;
    const double amount = typed_amount(typed.amount);
    const char* refusal = nullptr;
    if (typed.user_name.empty()) {
      refusal = kTransferNameEmptyText;
    } else if (amount <= 0) {
      refusal = kTransferAmountZeroText;
    } else if (amount > context.balance) {
      refusal = kTransferOverBalanceText;
    } else if (typed.user_name != typed.confirmed_user_name) {  // byte-wise: letter case counts
      refusal = kTransferNameMismatchText;
    } else if (has_separator(typed.user_name) || has_separator(typed.withdrawal_password)) {
      // Would split the request's fields; refused here so that the entries are not lost.
      refusal = protocol::kSeparatorRefusal;
    }
    if (refusal) {
      services.messages.show_message(refusal, false);
      continue;
    }
    const std::string text = printf_text(kTransferConfirmFormat, typed.user_name.c_str(), amount,
                                         notation::currency_name(context.currency_code, true).c_str());
    if (!services.confirmation.confirm({kTransferConfirmTitle, text})) continue;
    auto outcome =
        protocol::transfer_funds(services.session, typed.withdrawal_password, amount, typed.user_name);
    services.messages.show_message(shown(outcome), false);
    account_figures_changed(services.frame);
    return true;
  }
}

bool button_cashes_out(const net::ClientContext& context) {
  return context.room_number != 0 && context.user_name != context.room_star_member;
}

bool run_super_cash_out(StarMemberServices services, ports::SuperCashOutWindowPort& window,
                        const std::string& star_member_name) {
  net::ClientContext& context = services.session.context;
  if (context.user_name == star_member_name) {
    services.messages.show_message(kCashOutWithSelfText, false);
    return false;
  }
  const std::string line = printf_text(kCashOutLineFormat, star_member_name.c_str());
  ports::CashOutEntries typed;
  for (;;) {
    auto entries = window.ask_cash_out(line, typed);
    if (!entries) return false;
    typed = *entries;
    const double amount = typed_amount(typed.amount);
    const char* refusal = nullptr;
    if (amount <= 0) {
      refusal = kCashOutAmountZeroText;
    } else if (amount > context.balance) {
      refusal = kCashOutOverBalanceText;
    } else if (has_separator(typed.withdrawal_password)) {
      refusal = protocol::kSeparatorRefusal;
    }
    if (refusal) {
      services.messages.show_message(refusal, false);
      continue;
    }
    const std::string text = printf_text(kCashOutConfirmFormat, star_member_name.c_str(), amount,
                                         notation::currency_name(context.currency_code, true).c_str());
    if (!services.confirmation.confirm({kCashOutConfirmTitle, text})) continue;
    auto outcome =
        protocol::transfer_funds(services.session, typed.withdrawal_password, amount, star_member_name);
    services.messages.show_message(shown(outcome), false);
    if (outcome) {
      account_figures_changed(services.frame);
      return true;
    }
  }
}

}  // namespace brindle::accounts
