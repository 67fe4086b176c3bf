#pragma once

#include <filesystem>

namespace brindle::gui {

// Gives every window the application icon that the skin generator draws beside the program
// (brindle.png, brindle-48.png), and names the desktop entry so that Wayland shells show the same
// icon. A missing or unreadable icon file leaves the windows without one.
void set_application_icon(const std::filesystem::path& program_directory);

}  // namespace brindle::gui
