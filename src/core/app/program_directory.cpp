#include "core/app/program_directory.h"

#include <unistd.h>

#include <cstdlib>
#include <string>
#include <system_error>

namespace brindle::app {

namespace {

constexpr const char* kNotFound = "无法确定程序所在的文件夹。";

bool is_executable_file(const std::filesystem::path& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec) && ::access(path.c_str(), X_OK) == 0;
}

// A link to the program (bin/brindle into the installation) stands for the file it names, beside
// which the skin and the settings are.
std::filesystem::path folder_of(const std::filesystem::path& program) {
  std::error_code ec;
  const std::filesystem::path real = std::filesystem::canonical(program, ec);
  return ec ? program.parent_path() : real.parent_path();
}

}  // namespace

Result<std::filesystem::path> program_directory(std::string_view argv0) {
  std::error_code ec;
  // Linux names the executable here even when it was started through a relative path or a link,
  // and still names it after the file was replaced by an upgrade (with " (deleted)" appended).
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec && exe.is_absolute() && exe.has_parent_path()) return exe.parent_path();

  const std::filesystem::path cwd = std::filesystem::current_path(ec);
  if (ec) return Result<std::filesystem::path>::failure(kNotFound);
  const char* path_list = std::getenv("PATH");
  return program_directory_from_argv0(argv0, cwd, path_list ? path_list : "");
}

Result<std::filesystem::path> program_directory_from_argv0(std::string_view argv0,
                                                           const std::filesystem::path& working_directory,
                                                           std::string_view search_path) {
  if (argv0.empty()) return Result<std::filesystem::path>::failure(kNotFound);
  const std::filesystem::path program{std::string(argv0)};
  if (argv0.find('/') != std::string_view::npos) {
    return folder_of((working_directory / program).lexically_normal());
  }
  // A bare name was found by the shell along PATH; an empty entry means the working directory.
  while (true) {
    const std::size_t colon = search_path.find(':');
    const std::string_view entry = search_path.substr(0, colon);
    const std::filesystem::path folder =
        entry.empty() ? working_directory : (working_directory / std::string(entry)).lexically_normal();
    if (is_executable_file(folder / program)) return folder_of(folder / program);
    if (colon == std::string_view::npos) break;
    search_path.remove_prefix(colon + 1);
  }
  return Result<std::filesystem::path>::failure(kNotFound);
}

}  // namespace brindle::app
