#pragma once

#include <string>
#include <vector>

#include "../net/fake_transport.h"
#include "core/net/client_context.h"
#include "core/ports/progress_sink.h"
#include "core/protocol/session.h"
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
  std::string last_para() const {
    const std::string body = wire::gbk_to_utf8(transport.exchanges().back().body);
    const auto at = body.find("&txtPara=");
    return at == std::string::npos ? std::string() : body.substr(at + 9);
  }

  FakeTransport transport;
  ports::SilentProgress progress;
  net::ClientContext context;
  protocol::Session session{transport, progress, context};
};

}  // namespace brindle::testing
