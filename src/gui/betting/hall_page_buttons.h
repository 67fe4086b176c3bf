#pragma once

#include <filesystem>
#include <functional>

class QBoxLayout;
class QWidget;

namespace brindle::gui {

// The row of page buttons every hall carries, in the skin's bitmaps, numbered from `control` on.
// `clicked` receives the page a button stands for, or 0 for the mobile link.
void add_hall_page_buttons(QBoxLayout& row, QWidget* parent, const std::filesystem::path& skin_folder,
                           int& control, const std::function<void(int page)>& clicked);

}  // namespace brindle::gui
