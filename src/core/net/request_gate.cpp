#include "core/net/request_gate.h"

namespace brindle::net {

namespace {
// Per thread: the user-interface thread is the one that matters, and a worker thread of a test or a
// benchmark must not be refused because of it.
thread_local bool t_in_flight = false;
}  // namespace

RequestGate::Pass::~Pass() {
  if (held_) t_in_flight = false;
}

RequestGate::Pass RequestGate::try_enter() {
  if (t_in_flight) return Pass(false);
  t_in_flight = true;
  return Pass(true);
}

bool RequestGate::in_flight() { return t_in_flight; }

}  // namespace brindle::net
