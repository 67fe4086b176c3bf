#pragma once

#include "server/admin/subcommand.h"
#include "wire/result.h"

namespace brindle::server::admin {

// The signing key's file in the data folder: PKCS#8 PEM, 0600.
inline constexpr char kReleaseKeyName[] = "release-signing.key";

// sign-release: signs a release folder's list of files with the operator's Ed25519 key.
Result<void> add_release_commands(SubcommandTable& table);

}  // namespace brindle::server::admin
