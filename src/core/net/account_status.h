#pragma once

#include <string>

#include "core/net/client_context.h"

namespace brindle::ports {
class ProgressSink;
}

namespace brindle::net {

class Transport;

inline constexpr int kAccountStatusSubject = 3033;
// What a hall shows instead of opening a ticket for a frozen account.
inline constexpr char kAccountFrozenText[] = "账户被冻结！";

// Asks whether the signed-in account is frozen. True on Result code 1; `frozen` is taken from the
// reply either way, and is false when nothing came back.
bool account_status_request(const ClientContext& context, Transport& transport, ports::ProgressSink& progress,
                            bool& frozen, std::string& error);

}  // namespace brindle::net
