#pragma once

#include <string>
#include <vector>

#include "support/scripted_https_server.h"

namespace brindle::testing {

// A reply body as the server writes it: each line in GBK, ended by CRLF.
std::string gbk_reply(const std::vector<std::string>& utf8_lines);

// The txtPara of a request body as sent (GBK), in UTF-8; empty when it has none.
std::string para_of(const std::string& body);
std::string request_para(const ReceivedRequest& request);

// The txtSubjectID of a request body, 0 when it has none.
int subject_of(const std::string& body);
// The same of every request so far.
std::vector<int> request_subjects(const ScriptedHttpsServer& server);

}  // namespace brindle::testing
