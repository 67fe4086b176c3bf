#include "core/app/instance_marker.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <utility>

namespace brindle::app {

namespace {

std::filesystem::path default_folder() {
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) return runtime;
  return "/tmp";
}

}  // namespace

InstanceMarker InstanceMarker::create(std::string_view name, const std::filesystem::path& folder) {
  const std::filesystem::path file =
      (folder.empty() ? default_folder() : folder) / (std::string(name) + ".lock");
  const int descriptor = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (descriptor < 0) return InstanceMarker(-1, false);
  const bool owned = ::flock(descriptor, LOCK_EX | LOCK_NB) == 0;
  return InstanceMarker(descriptor, owned);
}

InstanceMarker::InstanceMarker(InstanceMarker&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)), owned_(std::exchange(other.owned_, false)) {}

InstanceMarker& InstanceMarker::operator=(InstanceMarker&& other) noexcept {
  if (this != &other) {
    if (descriptor_ >= 0) ::close(descriptor_);
    descriptor_ = std::exchange(other.descriptor_, -1);
    owned_ = std::exchange(other.owned_, false);
  }
  return *this;
}

InstanceMarker::~InstanceMarker() {
  if (descriptor_ >= 0) ::close(descriptor_);
}

}  // namespace brindle::app
