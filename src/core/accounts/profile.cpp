#include "core/accounts/profile.h"

#include "core/net/client_context.h"
#include "core/ports/confirmation_port.h"
#include "core/ports/message_port.h"
#include "core/protocol/session.h"

namespace brindle::accounts {
namespace {

std::string confirmation_text(const ports::ProfileEntries& e) {
  // Built by replacement rather than printf: the texts are the user's, of any length.
  std::string text = kProfileConfirmFormat;
  const auto first = text.find("%s");
  text.replace(first, 2, e.user_name);
  text.replace(text.find("%s", first + e.user_name.size()), 2, e.email);
  return text;
}

}  // namespace

std::array<std::string, 7> profile_texts(const ports::ProfileEntries& e) {
  return {
      e.old_withdrawal_password, e.new_password, e.new_withdrawal_password, e.email, e.phone, e.nickname, ""};
}

Field ProfileForm::submit(ports::ProfileEntries& entries) {
  auto refusal = check_profile(entries);
  if (!refusal) return Field::none;
  messages_.show_message(refusal->message, false);
  return refusal->field;
}

bool run_profile_change(AccountServices services, ports::ConfirmationPort& confirmation,
                        ports::ProfileWindowPort& window) {
  protocol::Session& session = services.session;
  ports::ProfileEntries typed;
  for (;;) {
    auto entries = window.ask_profile(typed);
    if (!entries) return false;
    typed = *entries;
    if (auto refusal = check_profile(typed)) {
      services.messages.show_message(refusal->message, false);
      continue;
    }
    if (!confirmation.confirm({kProfileConfirmTitle, confirmation_text(typed)})) continue;
    // The request is signed with the typed name and old password. When the server refuses (a
    // mistyped old password), the session keeps the ones it signed in with, or every later request
    // of the session would be refused as well.
    const std::string signed_in_name = session.context.user_name;
    const std::string signed_in_password = session.context.password;
    session.context.user_name = typed.user_name;
    session.context.password = typed.old_password;
    const auto outcome = protocol::change_profile(session, typed.user_name, profile_texts(typed), {});
    services.messages.show_message(outcome ? outcome.value() : outcome.error(), false);
    if (outcome) return true;
    session.context.user_name = signed_in_name;
    session.context.password = signed_in_password;
  }
}

}  // namespace brindle::accounts
