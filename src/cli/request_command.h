#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "core/net/client_context.h"

namespace brindle::cli {

// request SUBJECT_ID [TXTPARA]: one Request to the current server; the reply lines in UTF-8.
int run_request_command(net::ClientContext& context, const std::vector<std::string>& args, std::ostream& out,
                        std::ostream& err);

}  // namespace brindle::cli
