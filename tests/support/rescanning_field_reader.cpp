#include "support/rescanning_field_reader.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "wire/gbk.h"

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

namespace {

bool is_lead(char c) {
  return static_cast<unsigned char>(c) >= 0x81 && static_cast<unsigned char>(c) <= 0xFE;
}
bool is_trail(char c) {
  const auto b = static_cast<unsigned char>(c);
  return b >= 0x40 && b <= 0xFE && b != 0x7F;
}

// The text as characters: each one or two bytes.
std::vector<std::string> characters(std::string_view text) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t size = i + 1 < text.size() && is_lead(text[i]) && is_trail(text[i + 1]) ? 2 : 1;
    out.emplace_back(text.substr(i, size));
    i += size;
  }
  return out;
}

// The first characters of the text that fit in `bytes`.
std::string cut_to(std::string_view text, std::size_t bytes) {
  std::string out;
  for (const std::string& c : characters(text)) {
    if (out.size() + c.size() > bytes) break;
    out += c;
  }
  return out;
}

}  // namespace

std::size_t rescanning_next_gbk(std::string& text, std::string& out_utf8, std::size_t capacity) {
  out_utf8.clear();
  std::replace_if(
      text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
  while (!text.empty() && text.back() == ' ') text.pop_back();
  text.erase(0, std::min(text.find_first_not_of(' '), text.size()));
  if (text.empty()) return 0;
  if (text[0] == '|') {
    text.erase(0, 1);
    if (!text.empty() && text[0] == '|') return 0;
  }
  std::size_t end = 0;
  for (const std::string& c : characters(text)) {
    if (c == "|") break;
    end += c.size();
  }
  if (end == 0) return 0;
  const std::vector<std::string> raw = characters(cut_to(std::string_view(text).substr(0, end), 4095));
  std::string decoded;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] != "^") {
      decoded += raw[i];
    } else if (i + 1 < raw.size()) {
      const std::string_view from = "^cejnrstx", to = "^$&#\n\r \t*";
      const std::string& next = raw[++i];
      const auto k = next.size() == 1 ? from.find(next[0]) : std::string_view::npos;
      if (k != std::string_view::npos) decoded += to[k];
    }
  }
  std::string lower = decoded;
  for (char& c : lower) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  if (lower != "null") out_utf8 = wire::gbk_to_utf8(cut_to(decoded, capacity == 0 ? 0 : capacity - 1));
  text.erase(0, end);
  return end;
}

}  // namespace brindle::testing
