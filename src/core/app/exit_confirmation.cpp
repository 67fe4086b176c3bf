#include "core/app/exit_confirmation.h"

#include "core/ports/message_port.h"

namespace brindle::app {

bool may_close_main_window(const net::ClientContext& context, ports::MessagePort& messages) {
  if (context.currency_code == 0 && context.peak_period != 0) return true;
  return messages.show_message(kExitQuestion, true) == ports::MessagePort::ok;
}

}  // namespace brindle::app
