#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace brindle::net {
class SettingsSnapshot;
}  // namespace brindle::net

namespace brindle::app {

// A colour as the theme files write it, packed red + 256 × green + 65,536 × blue.
struct ThemeColour {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;

  std::uint32_t packed() const { return red + 256u * green + 65536u * blue; }
  bool operator==(const ThemeColour&) const = default;
};

inline constexpr ThemeColour kMagenta{255, 0, 255};
inline constexpr ThemeColour kBarGrey{207, 207, 207};

// Three decimal numbers separated by blanks; a missing number counts as 0, each taken modulo 256.
// Nothing for a text without any number at all, so that an empty value keeps the default.
std::optional<ThemeColour> parse_theme_colour(std::string_view text);

// A bitmap value may name a path from another installation; only its file name counts, found in
// the theme file's own folder. Empty for an empty value and for one that ends in "." or "..".
std::filesystem::path resolve_theme_bitmap(const std::filesystem::path& theme_folder, std::string_view value);

enum class CaptionAction { close = 0, maximise = 1, minimise = 2 };

struct CaptionButton {
  std::filesystem::path image;  // a strip of image_count state images side by side
  CaptionAction action = CaptionAction::close;
  int x = 0;  // right edge of the button
  int y = 0;
};

// The frame of a skinned window. Paths are empty where a bitmap is absent or could not be loaded;
// colours are empty where the system's own colour applies.
struct FrameTheme {
  std::filesystem::path dialog_bitmap;
  std::filesystem::path top, left, right, bottom;
  int top_top_height = 0, top_bottom_height = 0;
  int left_top_height = 0, left_bottom_height = 0;
  int right_top_height = 0, right_bottom_height = 0;
  int bottom_top_height = 0, bottom_bottom_height = 0;
  int icon_x = 0, icon_y = 0;
  int button_image_count = 3;
  int text_shift = 0, text_shift_vertical = 0;
  bool uses_transparency = false;
  std::vector<CaptionButton> buttons;

  std::optional<ThemeColour> title_text;           // system caption text
  std::optional<ThemeColour> inactive_title_text;  // system caption text
  std::optional<ThemeColour> transparent_colour;   // only with uses_transparency; magenta by default
  ThemeColour bar_colour = kBarGrey;
  ThemeColour menu_colour = kBarGrey;
  std::optional<ThemeColour> button_face;     // system button face
  std::optional<ThemeColour> button_text;     // system button text
  std::optional<ThemeColour> button_hilight;  // system button face
  std::optional<ThemeColour> button_focus;    // system button face
  std::optional<ThemeColour> background;      // system button face

  // All four edges are there, so the skinned frame can be drawn.
  bool has_edges() const { return !top.empty() && !left.empty() && !right.empty() && !bottom.empty(); }
};

// The look of ordinary push buttons; without a bitmap they keep the system look.
struct PushButtonTheme {
  std::filesystem::path bitmap;
  int top_height = 0, bottom_height = 0, left_width = 0, right_width = 0;
  int transparent = 0;
};

// Extra pictures of the Main window's home page.
struct DecorationBitmap {
  std::filesystem::path image;
  int x = 0, y = 0;
  int align = 0;
};

struct Theme {
  FrameTheme frame;
  PushButtonTheme push_buttons;
  std::vector<DecorationBitmap> decorations;
};

// Whether a bitmap file can be used; the default accepts a readable Windows bitmap file.
using BitmapCheck = std::function<bool(const std::filesystem::path&)>;
bool is_loadable_bitmap(const std::filesystem::path& path);

// Reads a theme file. A missing file or key gives the defaults; nothing is reported.
Theme load_theme(const std::filesystem::path& theme_file, const BitmapCheck& loadable = is_loadable_bitmap);
// The same for a theme file already read; bitmaps are looked for in `folder`.
Theme parse_theme(const net::SettingsSnapshot& file, const std::filesystem::path& folder,
                  const BitmapCheck& loadable = is_loadable_bitmap);

}  // namespace brindle::app
