#pragma once

#include <filesystem>

#include "wire/result.h"

namespace brindle::server::storage {

// The data folder holds password hashes, the ledger and the TLS key: only the owner may read it,
// whatever the umask. Both functions also tighten what an earlier version left readable.

// Creates the folder (and its parents, with their usual modes) and sets it to 0700.
Result<void> make_private_directory(const std::filesystem::path& dir);

// Creates an empty file 0600 when it is missing, or sets an existing one to 0600.
Result<void> make_private_file(const std::filesystem::path& file);

// Sets an existing file to 0600; a missing one is not an error.
Result<void> restrict_if_present(const std::filesystem::path& file);

}  // namespace brindle::server::storage
