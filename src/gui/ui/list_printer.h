#pragma once

#include "core/ports/list_output_port.h"

class QPrinter;

namespace brindle::gui {

// The footer of every printed page: page number, number of pages.
inline constexpr char kPageFooterFormat[] = "第 %d 页 共 %d 页";

// Prints the list onto the printer (paper, preview or PDF file): on every page the title, the
// column titles and as many rows as fit, in list order, with the footer at the bottom; the summary
// after the last row. The shown columns share the page width in proportion to their widths; a
// cell too long for its column wraps rather than being cut. Returns the number of pages printed,
// 0 when the printer could not be opened (an unwritable PDF file).
int print_list(QPrinter& printer, const ports::PrintableList& list);

}  // namespace brindle::gui
