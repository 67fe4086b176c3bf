#pragma once

#include <filesystem>
#include <string_view>

#include "wire/result.h"

namespace brindle::app {

// The absolute folder of the running program file, which every file the client keeps is built on.
// Found from the running executable itself, so the working directory never matters; `argv0` is the
// fallback for systems without /proc.
Result<std::filesystem::path> program_directory(std::string_view argv0 = {});

// The fallback: argv[0] as the shell resolved it, against the working directory when it names a
// path and along `search_path` (the PATH list) when it is a bare name; a link is followed to its file.
Result<std::filesystem::path> program_directory_from_argv0(std::string_view argv0,
                                                           const std::filesystem::path& working_directory,
                                                           std::string_view search_path);

}  // namespace brindle::app
