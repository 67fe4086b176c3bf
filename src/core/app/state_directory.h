#pragma once

#include <filesystem>
#include <string>

#include "core/net/client_context.h"
#include "wire/result.h"

namespace brindle::app {

inline constexpr char kStateFolderName[] = "brindle";

// The user's folders as the environment names them.
struct UserFolders {
  std::string config_home;  // $XDG_CONFIG_HOME
  std::string home;         // $HOME, else the account's home folder
  static UserFolders from_environment();
};

// Whether this user may create and replace files in `folder`, as the system decides it (root and
// read-only mounts included), not as the mode bits read.
bool folder_writable(const std::filesystem::path& folder);

// Where the client keeps what it writes: the Program directory while the user may write there (a
// build folder, an installation in the user's home), else the user's own folder under the XDG
// configuration folder. Empty when the user has no known folder at all.
std::filesystem::path choose_state_directory(const std::filesystem::path& program_directory,
                                             bool program_directory_writable, const UserFolders& user);

// Chooses the folder and makes it ready: a per-user folder is created private to the user and,
// while it has no Vantora.ini, starts from the one packaged in the Program directory (the
// operator's defaults). The Program directory itself is never written to here.
Result<std::filesystem::path> prepare_state_directory(const std::filesystem::path& program_directory,
                                                      bool program_directory_writable,
                                                      const UserFolders& user);

// Start-up's part, once context.program_directory is known: sets the state folder and whether the
// Program directory takes upgrades. On failure the state folder stays the Program directory.
Result<void> settle_state_directory(net::ClientContext& context,
                                    const UserFolders& user = UserFolders::from_environment());

}  // namespace brindle::app
