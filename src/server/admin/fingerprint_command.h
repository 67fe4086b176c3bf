#pragma once

#include "server/admin/subcommand.h"
#include "wire/result.h"

namespace brindle::server::admin {

// fingerprint: prints the key fingerprint that clients pin, of the certificate serve would serve.
Result<void> add_fingerprint_command(SubcommandTable& table);

}  // namespace brindle::server::admin
