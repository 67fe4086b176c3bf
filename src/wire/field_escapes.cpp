#include "wire/field_escapes.h"

#include <cstddef>
#include <string>
#include <string_view>

#include "wire/gbk.h"

namespace brindle::wire {
namespace {

constexpr char kEscape = '^';

bool is_pair_at(std::string_view s, std::size_t i) {
  return i + 1 < s.size() && is_gbk_lead(static_cast<unsigned char>(s[i])) &&
         is_gbk_trail(static_cast<unsigned char>(s[i + 1]));
}

// The character an escape stands for, or 0 when the escape is unknown.
char unescaped(char c) {
  const auto letter = static_cast<unsigned char>(c);
  return letter < kFieldEscapeValues.size() ? kFieldEscapeValues[letter] : 0;
}

// The escape letter for a character, or 0 when it travels as it is.
char escape_letter(char c) {
  switch (c) {
    case '^':
      return '^';
    case '$':
      return 'c';
    case '&':
      return 'e';
    case '#':
      return 'j';
    case '\n':
      return 'n';
    case '\r':
      return 'r';
    case ' ':
      return 's';
    case '\t':
      return 't';
    case '*':
      return 'x';
    default:
      return 0;
  }
}

bool is_valid_utf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t len = 0;
    if (b < 0x80) {
      ++i;
      continue;
    }
    if (b >= 0xC2 && b <= 0xDF) {
      len = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
      len = 3;
    } else if (b >= 0xF0 && b <= 0xF4) {
      len = 4;
    } else {
      return false;
    }
    if (i + len > s.size()) return false;
    for (std::size_t k = 1; k < len; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    }
    i += len;
  }
  return true;
}

constexpr std::string_view kFullWidthBarUtf8 = "\xEF\xBD\x9C";  // U+FF5C
constexpr std::string_view kFullWidthBarGbk = "\xA3\xFC";

}  // namespace

void append_decoded_field(std::string_view gbk, std::string& out, bool line_breaks_as_spaces) {
  const std::size_t n = gbk.size();
  std::size_t i = 0;
  while (i < n) {
    const char c = gbk[i];
    if (static_cast<unsigned char>(c) >= 0x80) {
      if (is_pair_at(gbk, i)) {
        out.append(gbk.data() + i, 2);
        i += 2;
      } else {
        out.push_back(c);
        ++i;
      }
      continue;
    }
    if (c != kEscape) {
      out.push_back(line_breaks_as_spaces && (c == '\r' || c == '\n') ? ' ' : c);
      ++i;
      continue;
    }
    if (i + 1 >= n) break;  // a "^" at the end goes with nothing
    if (is_pair_at(gbk, i + 1)) {
      i += 3;
      continue;
    }
    const char decoded = unescaped(gbk[i + 1]);
    if (decoded != 0) out.push_back(decoded);
    i += 2;
  }
}

std::string decode_field_escapes(std::string_view gbk) {
  std::string out;
  out.reserve(gbk.size());
  append_decoded_field(gbk, out, false);
  return out;
}

std::string escape_field(std::string_view utf8_or_gbk) {
  const bool utf8 = is_valid_utf8(utf8_or_gbk);
  std::string out;
  out.reserve(utf8_or_gbk.size() + utf8_or_gbk.size() / 8);
  std::size_t i = 0;
  while (i < utf8_or_gbk.size()) {
    const char c = utf8_or_gbk[i];
    if (!utf8 && is_pair_at(utf8_or_gbk, i)) {
      out.append(utf8_or_gbk.data() + i, 2);
      i += 2;
      continue;
    }
    ++i;
    if (c == '|') {
      out.append(utf8 ? kFullWidthBarUtf8 : kFullWidthBarGbk);
      continue;
    }
    const char letter = escape_letter(c);
    if (letter != 0) {
      out.push_back(kEscape);
      out.push_back(letter);
    } else {
      out.push_back(c);
    }
  }
  return out;
}

std::string reply_field(std::string_view utf8_or_gbk) {
  if (utf8_or_gbk.empty()) return "null";
  return escape_field(utf8_or_gbk);
}

}  // namespace brindle::wire
