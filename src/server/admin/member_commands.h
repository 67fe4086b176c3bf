#pragma once

#include "server/admin/subcommand.h"
#include "wire/result.h"

namespace brindle::server::admin {

// questions, answer and message: the customer service's side of the questions and private
// messages, offline commands on a data folder's database, also while a server runs on it.
Result<void> add_member_commands(SubcommandTable& table);

// What a reply field can carry: not empty, no "|", no control characters (line breaks only where
// `line_breaks`, as "\n"; a CR is dropped) and nothing GBK cannot hold. The text as it is stored.
Result<std::string> service_text(std::string_view what, std::string_view text, bool line_breaks);

}  // namespace brindle::server::admin
