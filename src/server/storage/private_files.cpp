#include "server/storage/private_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <system_error>

namespace brindle::server::storage {
namespace {

constexpr mode_t kDirectoryMode = 0700;
constexpr mode_t kFileMode = 0600;

Result<void> fail(const std::string& what, const std::filesystem::path& path, int error) {
  return Result<void>::failure("cannot " + what + " " + path.string() + ": " + std::strerror(error));
}

// chmod only when needed, so a folder that is already private but owned by someone else (a shared
// mount, a container volume) is not refused for lack of the right to chmod it.
Result<void> restrict(const std::filesystem::path& path, const struct stat& info, mode_t mode) {
  if ((info.st_mode & 0777) == mode) return {};
  if (::chmod(path.c_str(), mode) != 0) return fail("restrict to its owner", path, errno);
  return {};
}

}  // namespace

Result<void> make_private_directory(const std::filesystem::path& dir) {
  std::error_code ec;
  if (dir.has_parent_path() && dir.parent_path() != dir) {
    std::filesystem::create_directories(dir.parent_path(), ec);
    if (ec)
      return Result<void>::failure("cannot create the folder " + dir.parent_path().string() + ": " +
                                   ec.message());
  }
  if (::mkdir(dir.c_str(), kDirectoryMode) != 0 && errno != EEXIST) {
    return fail("create the data folder", dir, errno);
  }
  struct stat info {};
  if (::stat(dir.c_str(), &info) != 0) return fail("read the data folder", dir, errno);
  if (!S_ISDIR(info.st_mode))
    return Result<void>::failure("the data folder " + dir.string() + " is not a folder");
  return restrict(dir, info, kDirectoryMode);
}

Result<void> make_private_file(const std::filesystem::path& file) {
  int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kFileMode);
  if (fd >= 0) {
    // The umask may have taken bits off; set exactly the owner's read and write.
    const bool ok = ::fchmod(fd, kFileMode) == 0;
    const int error = errno;
    ::close(fd);
    if (!ok) return fail("restrict to its owner", file, error);
    return {};
  }
  if (errno != EEXIST) return fail("create", file, errno);
  return restrict_if_present(file);
}

Result<void> restrict_if_present(const std::filesystem::path& file) {
  struct stat info {};
  if (::stat(file.c_str(), &info) != 0) {
    if (errno == ENOENT) return {};
    return fail("read", file, errno);
  }
  return restrict(file, info, kFileMode);
}

}  // namespace brindle::server::storage
