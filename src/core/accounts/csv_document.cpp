#include "core/accounts/csv_document.h"

namespace brindle::accounts {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Digits with at most one decimal point and at least one digit: "20", "20.00", ".5".
bool is_unsigned_number(std::string_view text) {
  bool digit = false;
  bool point = false;
  for (const char c : text) {
    if (is_digit(c)) {
      digit = true;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  return digit;
}

void append_field(std::string& out, std::string_view text) {
  const std::string safe = spreadsheet_safe(text);
  if (safe.find_first_of(",\"\r\n") == std::string::npos) {
    out += safe;
    return;
  }
  out += '"';
  for (const char c : safe) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

constexpr char kRecordEnd[] = "\r\n";

}  // namespace

std::vector<std::size_t> shown_columns(const ports::PrintableList& list) {
  std::vector<std::size_t> shown;
  for (std::size_t i = 0; i < list.columns.size(); ++i) {
    if (list.columns[i].width > 0) shown.push_back(i);
  }
  return shown;
}

std::string spreadsheet_safe(std::string_view text) {
  if (text.empty()) return std::string();
  const char first = text.front();
  const bool formula = first == '=' || first == '@' || first == '\t' || first == '\r' ||
                       ((first == '+' || first == '-') && !is_unsigned_number(text.substr(1)));
  return formula ? "'" + std::string(text) : std::string(text);
}

std::string csv_document(const ports::PrintableList& list) {
  const auto shown = shown_columns(list);
  std::string out;
  // A record that would come out blank is written as one quoted empty field, so that it cannot be
  // taken for the blank line before the summary.
  const auto append_record = [&](auto&& field_of) {
    const std::size_t start = out.size();
    for (std::size_t k = 0; k < shown.size(); ++k) {
      if (k > 0) out += ',';
      append_field(out, field_of(shown[k]));
    }
    if (out.size() == start) out += "\"\"";
    out += kRecordEnd;
  };
  append_record([&](std::size_t i) -> std::string_view { return list.columns[i].title; });
  for (const auto& row : list.rows) {
    append_record([&](std::size_t i) -> std::string_view {
      return i < row.size() ? std::string_view(row[i]) : std::string_view();
    });
  }
  if (!list.summary.empty()) {
    out += kRecordEnd;
    for (const auto& entry : list.summary) {
      if (entry.empty()) out += "\"\"";
      append_field(out, entry);
      out += kRecordEnd;
    }
  }
  return out;
}

}  // namespace brindle::accounts
