#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "core/net/client_context.h"

namespace brindle::cli {

// lists fetch: both list documents from the fallback hosts, cached beside the settings file.
int run_lists_command(net::ClientContext& context, const std::vector<std::string>& args, std::ostream& out,
                      std::ostream& err);

}  // namespace brindle::cli
