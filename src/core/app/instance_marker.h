#pragma once

#include <filesystem>
#include <string_view>

namespace brindle::app {

inline constexpr char kInstanceMarkerName[] = "BrindleClient";

// A named lock taken at start and held for the whole run. Whether another copy already holds it is
// recorded but decides nothing: a second copy starts normally.
class InstanceMarker final {
 public:
  // The lock file "<name>.lock" lives in `folder` (the user's runtime folder when empty).
  static InstanceMarker create(std::string_view name, const std::filesystem::path& folder = {});

  InstanceMarker(InstanceMarker&& other) noexcept;
  InstanceMarker& operator=(InstanceMarker&& other) noexcept;
  InstanceMarker(const InstanceMarker&) = delete;
  InstanceMarker& operator=(const InstanceMarker&) = delete;
  ~InstanceMarker();

  // True when this copy took the lock, false when another copy held it or no lock could be made.
  bool owned() const { return owned_; }

 private:
  InstanceMarker(int descriptor, bool owned) : descriptor_(descriptor), owned_(owned) {}
  int descriptor_ = -1;
  bool owned_ = false;
};

}  // namespace brindle::app
