#pragma once

#include <string>
#include <vector>

#include "../net/fake_transport.h"
#include "core/net/client_context.h"
#include "core/ports/progress_sink.h"
#include "core/protocol/session.h"
#include "support/scripted_replies.h"
#include "wire/gbk.h"

namespace brindle::testing {

// Reply lines as the server sends them: UTF-8 in the test, GBK on the wire.
inline std::vector<std::string> gbk_lines(const std::vector<std::string>& utf8_lines) {
  std::vector<std::string> out;
  out.reserve(utf8_lines.size());
  for (const auto& line : utf8_lines) out.push_back(wire::utf8_to_gbk(line));
  return out;
}

// A signed-in Client context against a scripted transport.
struct CatalogueFixture {
  CatalogueFixture() {
    context.current_server = "srv.example:8443";
    context.user_name = "alice";
    context.password = "pw";
    context.context_number1 = 11;
    context.context_number2 = 22;
  }

  void reply(const std::vector<std::string>& utf8_lines) { transport.reply(gbk_lines(utf8_lines)); }

  // The txtPara of the last exchange, back in UTF-8.
  std::string last_para() const { return para_of(transport.exchanges().back().body); }
  // The txtPara of every exchange so far, in UTF-8.
  std::vector<std::string> paras() const {
    std::vector<std::string> out;
    for (const auto& e : transport.exchanges()) out.push_back(para_of(e.body));
    return out;
  }
  // The SubjectID of every exchange so far.
  std::vector<int> subjects() const {
    std::vector<int> out;
    for (const auto& e : transport.exchanges()) out.push_back(subject_of(e.body));
    return out;
  }

  FakeTransport transport;
  ports::SilentProgress progress;
  net::ClientContext context;
  protocol::Session session{transport, progress, context};
};

}  // namespace brindle::testing
