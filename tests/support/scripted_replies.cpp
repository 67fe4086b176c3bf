#include "support/scripted_replies.h"

#include <cstdlib>

#include "wire/gbk.h"

namespace brindle::testing {

std::string gbk_reply(const std::vector<std::string>& utf8_lines) {
  std::string body;
  for (const auto& line : utf8_lines) body += wire::utf8_to_gbk(line) + "\r\n";
  return body;
}

std::string para_of(const std::string& body) {
  const std::string text = wire::gbk_to_utf8(body);
  const auto at = text.find("&txtPara=");
  return at == std::string::npos ? std::string() : text.substr(at + 9);
}

std::string request_para(const ReceivedRequest& request) { return para_of(request.body); }

int subject_of(const std::string& body) {
  const auto at = body.find("txtSubjectID=");
  return at == std::string::npos ? 0 : std::atoi(body.c_str() + at + 13);
}

std::vector<int> request_subjects(const ScriptedHttpsServer& server) {
  std::vector<int> out;
  for (const auto& r : server.requests()) out.push_back(subject_of(r.body));
  return out;
}

}  // namespace brindle::testing
