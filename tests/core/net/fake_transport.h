#pragma once

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/net/transport.h"
#include "core/ports/progress_sink.h"

namespace brindle::testing {

// A transport that answers from a script, in order, and keeps every exchange it was handed.
// Once the script runs out every further exchange fails with "no scripted reply".
class FakeTransport final : public net::Transport {
 public:
  void reply(std::vector<std::string> lines) { script_.emplace_back(std::move(lines)); }
  void fail(std::string error) {
    script_.push_back(Result<std::vector<std::string>>::failure(std::move(error)));
  }

  Result<std::vector<std::string>> exchange(const net::HttpExchange& exchange,
                                            ports::ProgressSink&) override {
    exchanges_.push_back(exchange);
    if (script_.empty()) return Result<std::vector<std::string>>::failure("no scripted reply");
    auto next = std::move(script_.front());
    script_.pop_front();
    // What the Progress window lets through while this reply is on its way; it runs once.
    if (auto during = std::exchange(during_exchange, nullptr)) during();
    return next;
  }

  std::function<void()> during_exchange;

  const std::vector<net::HttpExchange>& exchanges() const { return exchanges_; }
  std::size_t pending() const { return script_.size(); }
  std::vector<std::string> urls() const {
    std::vector<std::string> out;
    for (const auto& e : exchanges_) out.push_back(e.url);
    return out;
  }

 private:
  std::deque<Result<std::vector<std::string>>> script_;
  std::vector<net::HttpExchange> exchanges_;
};

}  // namespace brindle::testing
