// Arbitrary bytes as a skin's theme file, with every bitmap it names taken as loadable. The theme
// stays within its bounds and every bitmap it names lies in the theme's own folder.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/app/theme_file.h"
#include "core/net/settings_file.h"

namespace {

const std::filesystem::path kFolder = "/skin/SkinSM";

void check_bitmap(const std::filesystem::path& path) {
  if (path.empty()) return;
  const std::string name = path.filename().string();
  if (path.parent_path() != kFolder || name.empty() || name == "." || name == "..") std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const brindle::net::SettingsSnapshot file(std::string(reinterpret_cast<const char*>(data), size));
  const brindle::app::Theme theme =
      brindle::app::parse_theme(file, kFolder, [](const std::filesystem::path&) { return true; });

  const brindle::app::FrameTheme& frame = theme.frame;
  if (frame.button_image_count < 1 || frame.buttons.size() > 16 || theme.decorations.size() > 64)
    std::abort();
  if (!frame.uses_transparency && frame.transparent_colour) std::abort();
  for (const auto& path :
       {frame.dialog_bitmap, frame.top, frame.left, frame.right, frame.bottom, theme.push_buttons.bitmap}) {
    check_bitmap(path);
  }
  for (const auto& button : frame.buttons) check_bitmap(button.image);
  for (const auto& decoration : theme.decorations) check_bitmap(decoration.image);
  return 0;
}
