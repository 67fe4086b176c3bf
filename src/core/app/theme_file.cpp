#include "core/app/theme_file.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <string>

#include "core/net/settings_file.h"

namespace brindle::app {

namespace {

constexpr std::string_view kPersonality = "Personality";
constexpr std::string_view kColours = "Colours";
constexpr std::string_view kButtons = "Buttons";
// Bounds on the numbered sections, so that a corrupt count cannot make the window read forever.
constexpr int kMaxCaptionButtons = 16;
constexpr int kMaxDecorations = 64;

constexpr bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The C library's atoi on one token: an optional sign, then digits; anything else ends the number.
long token_value(std::string_view token) {
  std::size_t i = 0;
  bool negative = false;
  if (i < token.size() && (token[i] == '+' || token[i] == '-')) negative = token[i++] == '-';
  long value = 0;
  for (; i < token.size() && token[i] >= '0' && token[i] <= '9'; ++i) {
    value = (value * 10 + (token[i] - '0')) % 256;  // only the value modulo 256 is kept
  }
  return negative ? -value : value;
}

std::uint8_t modulo_256(long value) { return static_cast<std::uint8_t>(((value % 256) + 256) % 256); }

std::optional<ThemeColour> read_colour(const net::SettingsSnapshot& file, std::string_view key) {
  return parse_theme_colour(file.read_text(kColours, key));
}

std::string numbered(const char* format, int n) {
  std::array<char, 32> buffer{};
  std::snprintf(buffer.data(), buffer.size(), format, n);
  return buffer.data();
}

}  // namespace

std::optional<ThemeColour> parse_theme_colour(std::string_view text) {
  std::array<long, 3> parts{0, 0, 0};
  std::size_t found = 0;
  std::size_t pos = 0;
  while (found < parts.size()) {
    while (pos < text.size() && is_blank(text[pos])) ++pos;
    if (pos == text.size()) break;
    const std::size_t start = pos;
    while (pos < text.size() && !is_blank(text[pos])) ++pos;
    parts[found++] = token_value(text.substr(start, pos - start));
  }
  if (found == 0) return std::nullopt;
  return ThemeColour{modulo_256(parts[0]), modulo_256(parts[1]), modulo_256(parts[2])};
}

std::filesystem::path resolve_theme_bitmap(const std::filesystem::path& theme_folder,
                                           std::string_view value) {
  const auto cut = value.find_last_of("\\/");
  const std::string_view name = cut == std::string_view::npos ? value : value.substr(cut + 1);
  // "." and ".." name folders, the theme's own or the one above it, never a bitmap beside the theme.
  if (name.empty() || name == "." || name == "..") return {};
  return theme_folder / std::filesystem::path(std::string(name));
}

bool is_loadable_bitmap(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::array<char, 2> magic{};
  return in.read(magic.data(), magic.size()) && magic[0] == 'B' && magic[1] == 'M';
}

Theme load_theme(const std::filesystem::path& theme_file, const BitmapCheck& loadable) {
  return parse_theme(net::SettingsSnapshot::read(theme_file), theme_file.parent_path(), loadable);
}

Theme parse_theme(const net::SettingsSnapshot& file, const std::filesystem::path& folder,
                  const BitmapCheck& loadable) {
  auto bitmap = [&](std::string_view section, std::string_view key) -> std::filesystem::path {
    auto path = resolve_theme_bitmap(folder, file.read_text(section, key));
    if (path.empty() || !loadable(path)) return {};
    return path;
  };

  Theme theme;
  FrameTheme& frame = theme.frame;
  frame.dialog_bitmap = bitmap(kPersonality, "DialogBmp");

  // An edge that cannot be loaded ends the reading of the section: the keys after it keep their
  // defaults, exactly as older installations have always been drawn.
  bool complete = true;
  for (auto [key, target] : {std::pair{"Top", &frame.top}, std::pair{"Left", &frame.left},
                             std::pair{"Right", &frame.right}, std::pair{"Bottom", &frame.bottom}}) {
    *target = bitmap(kPersonality, key);
    if (target->empty()) {
      complete = false;
      break;
    }
  }
  if (complete) {
    auto integer = [&](std::string_view key, int fallback = 0) {
      return file.read_int(kPersonality, key, fallback);
    };
    frame.top_top_height = integer("TopTopHeight");
    frame.top_bottom_height = integer("TopBotHeight");
    frame.left_top_height = integer("LeftTopHeight");
    frame.left_bottom_height = integer("LeftBotHeight");
    frame.right_top_height = integer("RightTopHeight");
    frame.right_bottom_height = integer("RightBotHeight");
    frame.bottom_top_height = integer("BottomTopHeight");
    frame.bottom_bottom_height = integer("BottomBotHeight");
    frame.icon_x = integer("IconPositionX");
    frame.icon_y = integer("IconPositionY");
    const int button_count = integer("ButtonCount");
    frame.button_image_count = integer("ButtonImgCount", 3);
    if (frame.button_image_count < 1) frame.button_image_count = 1;  // a strip is at least one image
    frame.text_shift = integer("TextShift");
    frame.text_shift_vertical = integer("TextShiftVert");
    frame.uses_transparency = integer("UsesTran") != 0;

    for (int i = 0; i < button_count && i < kMaxCaptionButtons; ++i) {
      const std::string section = numbered("Button%d", i);
      CaptionButton button;
      button.image = bitmap(section, "ButtonImage");
      const int action = file.read_int(section, "Action", 0);
      button.action = action == 1   ? CaptionAction::maximise
                      : action == 2 ? CaptionAction::minimise
                                    : CaptionAction::close;
      button.x = file.read_int(section, "XCoord", 0);
      button.y = file.read_int(section, "YCoord", 0);
      frame.buttons.push_back(std::move(button));
    }
  }

  frame.title_text = read_colour(file, "TitleText");
  frame.inactive_title_text = read_colour(file, "InactiveTitleText");
  if (frame.uses_transparency) frame.transparent_colour = read_colour(file, "TransColor").value_or(kMagenta);
  frame.bar_colour = read_colour(file, "BarColor").value_or(kBarGrey);
  frame.menu_colour = read_colour(file, "MenuColor").value_or(kBarGrey);
  frame.button_face = read_colour(file, "ButtonFace");
  frame.button_text = read_colour(file, "ButtonText");
  frame.button_hilight = read_colour(file, "ButtonHilight");
  frame.button_focus = read_colour(file, "ButtonFocus");
  frame.background = read_colour(file, "Background");

  PushButtonTheme& push = theme.push_buttons;
  push.bitmap = bitmap(kButtons, "Bitmap");
  push.top_height = file.read_int(kButtons, "TopHeight", 0);
  push.bottom_height = file.read_int(kButtons, "BottomHeight", 0);
  push.left_width = file.read_int(kButtons, "LeftWidth", 0);
  push.right_width = file.read_int(kButtons, "RightWidth", 0);
  push.transparent = file.read_int(kButtons, "Trans", 0);

  for (int i = 1; i <= kMaxDecorations; ++i) {
    const std::string section = numbered("Bitmap%d", i);
    if (file.read_text(section, "BitmapImage").empty()) break;
    DecorationBitmap decoration;
    decoration.image = bitmap(section, "BitmapImage");
    decoration.x = file.read_int(section, "XCoord", 0);
    decoration.y = file.read_int(section, "YCoord", 0);
    decoration.align = file.read_int(section, "Align", 0);
    theme.decorations.push_back(std::move(decoration));
  }
  return theme;
}

}  // namespace brindle::app
