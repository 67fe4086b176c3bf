#pragma once

#include "core/net/client_context.h"

namespace brindle::ports {
class MessagePort;
}

namespace brindle::app {

inline constexpr char kExitQuestion[] = "您确定要退出吗？\n";

// Whether the Main window's exit command may close it: asks, except for an account without a
// currency during a peak period, which leaves without a question.
bool may_close_main_window(const net::ClientContext& context, ports::MessagePort& messages);

}  // namespace brindle::app
