#pragma once

#include <array>
#include <string>

#include "core/accounts/registration_rules.h"
#include "core/ports/account_windows_port.h"
#include "core/protocol/account_requests.h"

namespace brindle::protocol {
struct Session;
}
namespace brindle::ports {
class ConfirmationPort;
class MessagePort;
}  // namespace brindle::ports
namespace brindle::net {
struct ClientContext;
}

namespace brindle::accounts {

inline constexpr char kRegistrationTitle[] = "新用户注册";
inline constexpr char kAgreementTitle[] = "用户协议";
inline constexpr char kAgreementAddress[] = "http://%s/doc/agreement.htm";

// What registration, the account details and retrieval talk to.
struct AccountServices {
  protocol::Session& session;
  ports::MessagePort& messages;
};

// The user agreement page of the current server.
std::string agreement_address(const net::ClientContext& context);

// The nine texts and the groups the registration request carries: user name, password, e-mail,
// withdrawal password, nickname, phone and three empty texts; the window has no texts for the
// groups, so they stay empty.
std::array<std::string, 9> registration_texts(const ports::RegistrationEntries& entries);
protocol::ParameterGroups registration_groups();

// The registration window's buttons without their widgets. Each shows its own messages; the
// returned field is where the focus goes (Field::none: nothing refused).
class RegistrationForm final {
 public:
  explicit RegistrationForm(AccountServices services) : services_(services) {}

  // "确认": Field::none lets the window close with OK.
  Field submit(ports::RegistrationEntries& entries);
  // "验证用户名" and "验证昵称": the local check, then the server's answer shown as it comes.
  Field check_user_name(ports::RegistrationEntries& entries);
  Field check_nickname(ports::RegistrationEntries& entries);
  // "用户协议": the page the agreement window shows.
  std::string agreement_address() const;

 private:
  Field refused(const Refusal& refusal);

  AccountServices services_;
};

// "注册": the window, then the Version check and the registration request. A refusal by the
// server (or a failed Version check) opens the window again with the entries kept. True when the
// account was created.
bool run_registration(AccountServices services, ports::RegistrationWindowPort& window);

}  // namespace brindle::accounts
