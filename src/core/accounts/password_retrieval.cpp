#include "core/accounts/password_retrieval.h"

#include "core/ports/message_port.h"
#include "core/protocol/account_requests.h"

namespace brindle::accounts {

bool run_password_retrieval(AccountServices services, ports::PasswordRetrievalWindowPort& window) {
  const auto user_name = window.ask_user_name();
  if (!user_name) return false;
  const auto outcome = protocol::retrieve_password(services.session, *user_name);
  services.messages.show_message(outcome ? outcome.value() : outcome.error(), false);
  return static_cast<bool>(outcome);
}

}  // namespace brindle::accounts
