#pragma once

namespace brindle::net {

// Shown when an exchange is asked for while another one is still waiting on the network (a timer
// that fired while the Progress window pumped events).
inline constexpr char kRequestInFlightText[] = "正在与服务器通讯，请稍候再试。";

// Requests never overlap on a thread: the Progress window pumps events while one is in flight, so a
// timer tick can try to start another. The gate turns that second one away before any traffic.
class RequestGate final {
 public:
  // Holds the gate for the lifetime of one exchange.
  class Pass final {
   public:
    Pass(Pass&& other) noexcept : held_(other.held_) { other.held_ = false; }
    Pass(const Pass&) = delete;
    Pass& operator=(const Pass&) = delete;
    Pass& operator=(Pass&&) = delete;
    ~Pass();
    explicit operator bool() const { return held_; }

   private:
    friend class RequestGate;
    explicit Pass(bool held) : held_(held) {}
    bool held_;
  };

  // An empty Pass when an exchange is already in flight on this thread.
  static Pass try_enter();
  // For timers that would rather wait for their next tick than be refused.
  static bool in_flight();
};

}  // namespace brindle::net
