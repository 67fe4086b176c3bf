#include "core/accounts/registration.h"

#include "core/net/client_context.h"
#include "core/net/version_check.h"
#include "core/ports/message_port.h"
#include "core/protocol/session.h"

namespace brindle::accounts {

std::string agreement_address(const net::ClientContext& context) {
  std::string address = kAgreementAddress;
  address.replace(address.find("%s"), 2, context.current_server);
  return address;
}

std::array<std::string, 9> registration_texts(const ports::RegistrationEntries& e) {
  return {e.user_name, e.password, e.email, e.withdrawal_password, e.nickname, e.phone, "", "", ""};
}

protocol::ParameterGroups registration_groups() {
  // Built, then returned: clang 14 crashes on a braced empty return of this array of strings when
  // it compiles with optimisation and the sanitizers.
  protocol::ParameterGroups groups;
  return groups;
}

std::string RegistrationForm::agreement_address() const {
  return accounts::agreement_address(services_.session.context);
}

Field RegistrationForm::refused(const Refusal& refusal) {
  services_.messages.show_message(refusal.message, false);
  return refusal.field;
}

Field RegistrationForm::submit(ports::RegistrationEntries& entries) {
  if (auto refusal = check_registration(entries)) return refused(*refusal);
  return Field::none;
}

Field RegistrationForm::check_user_name(ports::RegistrationEntries& entries) {
  if (auto refusal = check_user_name_to_ask(entries)) return refused(*refusal);
  const auto outcome = protocol::check_user_name_free(services_.session, entries.user_name);
  services_.messages.show_message(outcome ? outcome.value() : outcome.error(), false);
  return Field::none;
}

Field RegistrationForm::check_nickname(ports::RegistrationEntries& entries) {
  if (auto refusal = check_nickname_to_ask(entries)) return refused(*refusal);
  const auto outcome = protocol::check_nickname_free(services_.session, entries.nickname);
  services_.messages.show_message(outcome ? outcome.value() : outcome.error(), false);
  return Field::none;
}

bool run_registration(AccountServices services, ports::RegistrationWindowPort& window) {
  protocol::Session& session = services.session;
  ports::RegistrationEntries typed;
  for (;;) {
    auto entries = window.ask_registration(typed);
    if (!entries) return false;
    typed = *entries;
    // The window checked them; checked again so that nothing unchecked is ever sent.
    if (auto refusal = check_registration(typed)) {
      services.messages.show_message(refusal->message, false);
      continue;
    }
    net::VersionCheckResult versions;
    std::string error;
    if (!net::version_check(session.context, session.transport, session.progress, versions, error)) {
      services.messages.show_message(error, false);
      continue;
    }
    const auto outcome =
        protocol::register_account(session, registration_texts(typed), registration_groups());
    services.messages.show_message(outcome ? outcome.value() : outcome.error(), false);
    if (outcome) return true;
  }
}

}  // namespace brindle::accounts
