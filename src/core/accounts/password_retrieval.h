#pragma once

#include "core/accounts/registration.h"

namespace brindle::accounts {

inline constexpr char kRetrievalTitle[] = "取回密码";

// "忘记密码": the window, then the retrieve request under the typed user name (which replaces
// the Client context's); the reply's message is shown either way. True when the server accepted it.
bool run_password_retrieval(AccountServices services, ports::PasswordRetrievalWindowPort& window);

}  // namespace brindle::accounts
