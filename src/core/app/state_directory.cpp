#include "core/app/state_directory.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>

namespace brindle::app {

namespace {

constexpr char kSettingsName[] = "Vantora.ini";
constexpr char kNoUserFolder[] = "程序所在的文件夹不可写入，也找不到用户的主文件夹，设置和证书记录无法保存。";
constexpr char kCannotCreate[] = "无法建立用户数据文件夹 ";

std::string account_home() {
  const struct passwd* entry = ::getpwuid(::getuid());
  return entry && entry->pw_dir ? entry->pw_dir : "";
}

}  // namespace

UserFolders UserFolders::from_environment() {
  UserFolders user;
  if (const char* config = std::getenv("XDG_CONFIG_HOME")) user.config_home = config;
  if (const char* home = std::getenv("HOME"); home && *home) {
    user.home = home;
  } else {
    user.home = account_home();
  }
  return user;
}

bool folder_writable(const std::filesystem::path& folder) {
  return !folder.empty() && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

std::filesystem::path choose_state_directory(const std::filesystem::path& program_directory,
                                             bool program_directory_writable, const UserFolders& user) {
  if (program_directory_writable) return program_directory;
  // A relative XDG_CONFIG_HOME is to be ignored: it would move with the working directory.
  const std::filesystem::path config_home{user.config_home};
  if (config_home.is_absolute()) return config_home / kStateFolderName;
  const std::filesystem::path home{user.home};
  if (home.is_absolute()) return home / ".config" / kStateFolderName;
  return {};
}

Result<std::filesystem::path> prepare_state_directory(const std::filesystem::path& program_directory,
                                                      bool program_directory_writable,
                                                      const UserFolders& user) {
  using Failure = Result<std::filesystem::path>;
  const std::filesystem::path folder =
      choose_state_directory(program_directory, program_directory_writable, user);
  if (folder.empty()) return Failure::failure(kNoUserFolder);
  if (folder == program_directory) return folder;

  std::error_code ec;
  std::filesystem::create_directories(folder.parent_path(), ec);
  // The learned keys and the password the settings may keep are the user's alone.
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    return Failure::failure(kCannotCreate + folder.string() + "：" + std::strerror(errno));
  }
  if (!std::filesystem::is_directory(folder, ec)) {
    return Failure::failure(kCannotCreate + folder.string() + "：" + std::strerror(ENOTDIR));
  }

  const std::filesystem::path packaged = program_directory / kSettingsName;
  const std::filesystem::path own = folder / kSettingsName;
  if (!std::filesystem::exists(own, ec) && std::filesystem::is_regular_file(packaged, ec)) {
    // Without the packaged file the client starts from its built-in defaults, as ever.
    if (std::filesystem::copy_file(packaged, own, std::filesystem::copy_options::none, ec)) {
      std::filesystem::permissions(own,
                                   std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
                                   std::filesystem::perm_options::add, ec);
    }
  }
  return folder;
}

Result<void> settle_state_directory(net::ClientContext& context, const UserFolders& user) {
  // No Program directory known: nothing to decide on, and no folder of the user's to guess at.
  if (context.program_directory.empty()) return {};
  context.program_directory_writable = folder_writable(context.program_directory);
  auto folder = prepare_state_directory(context.program_directory, context.program_directory_writable, user);
  if (!folder) {
    context.state_directory.clear();
    return Result<void>::failure(folder.error());
  }
  context.state_directory = std::move(folder).value();
  return {};
}

}  // namespace brindle::app
