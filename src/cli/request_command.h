#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "core/net/client_context.h"

namespace brindle::cli {

// request [--records] SUBJECT_ID [TXTPARA]: one Request to the current server; the reply lines in
// UTF-8, or with --records its records as JSON under their declared names.
int run_request_command(net::ClientContext& context, std::vector<std::string> args, std::ostream& out,
                        std::ostream& err);

}  // namespace brindle::cli
