#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/ports/list_output_port.h"

namespace brindle::accounts {

// Written before the CSV when it goes to a file, so that spreadsheet programs read the text as UTF-8.
// The document itself carries none: standard output and other writers may not want one.
inline constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

// The columns a list shows, by index: every column with a width. A width of 0 hides a column (the
// parlay tabs' untitled first column, always empty), so printing and export leave it out alike.
std::vector<std::size_t> shown_columns(const ports::PrintableList& list);

// A cell text made safe for a spreadsheet: a text a spreadsheet program would run as a formula (one
// starting with "=", "@", a tab or a carriage return, or with "+" or "-" when it is not a plain number)
// gets a leading "'". Cell texts come from the server (team names, other users' names); amounts such
// as "-20.00" stay numbers.
std::string spreadsheet_safe(std::string_view text);

// The list as RFC 4180 CSV with CRLF record ends: the titles of the shown columns, one record per
// row with its shown cells (a short row is filled with empty fields), then, when there is a summary,
// an empty line and one record of a single field per summary entry, its line breaks kept. Every field
// goes through spreadsheet_safe; fields holding a comma, a quote, CR or LF are quoted.
std::string csv_document(const ports::PrintableList& list);

}  // namespace brindle::accounts
