#include "support/rescanning_field_reader.h"

#include <algorithm>
#include <string_view>

namespace brindle::testing {

std::size_t rescanning_next(std::string& text, std::string& out, std::size_t capacity) {
  out.clear();
  std::replace_if(
      text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
  while (!text.empty() && text.back() == ' ') text.pop_back();
  text.erase(0, std::min(text.find_first_not_of(' '), text.size()));
  if (text.empty()) return 0;
  if (text[0] == '|') {
    text.erase(0, 1);
    if (!text.empty() && text[0] == '|') return 0;
  }
  const std::size_t end = std::min(text.find('|'), text.size());
  if (end == 0) return 0;
  std::string decoded;
  const std::string raw = text.substr(0, std::min<std::size_t>(end, 4095));
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] != '^') {
      decoded += raw[i];
    } else if (i + 1 < raw.size()) {
      const std::string_view from = "^cejnrstx", to = "^$&#\n\r \t*";
      const auto k = from.find(raw[++i]);
      if (k != std::string_view::npos) decoded += to[k];
    }
  }
  std::string lower = decoded;
  for (char& c : lower) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  if (lower != "null") out = decoded.substr(0, capacity == 0 ? 0 : capacity - 1);
  text.erase(0, end);
  return end;
}

}  // namespace brindle::testing
