#pragma once

#include <array>
#include <string>
#include <string_view>

namespace brindle::wire {

// Field escapes: "^" and one character stand for a character that the framing would otherwise eat
// or that the service reserves ("^^" ^, "^c" $, "^e" &, "^j" #, "^n" LF, "^r" CR, "^s" space,
// "^t" tab, "^x" *). A "^" before any other character, or at the end, is dropped with that
// character (a whole double-byte character when one follows).

// What an ASCII letter after "^" stands for, indexed by the letter; 0 for a letter that is no escape.
inline constexpr std::array<char, 128> kFieldEscapeValues = [] {
  std::array<char, 128> to{};
  to['^'] = '^';
  to['c'] = '$';
  to['e'] = '&';
  to['j'] = '#';
  to['n'] = '\n';
  to['r'] = '\r';
  to['s'] = ' ';
  to['t'] = '\t';
  to['x'] = '*';
  return to;
}();

// Decodes the escapes of a GBK field. Double-byte aware: a GBK trail byte 0x5E is not an escape.
std::string decode_field_escapes(std::string_view gbk);

// decode_field_escapes appending to `out`; with line_breaks_as_spaces, raw CR and LF bytes of the
// field become spaces first, as the reader sees them.
void append_decoded_field(std::string_view gbk, std::string& out, bool line_breaks_as_spaces);

// Escapes a text for a reply field, the server's side of decode_field_escapes. A "|" cannot be
// carried at all; it becomes the full-width "｜" so that the text keeps its look and its fields.
// The text may be UTF-8 or GBK: valid UTF-8 is treated as UTF-8 (a GBK text with a low trail
// byte is never valid UTF-8, so its trail bytes are never escaped).
std::string escape_field(std::string_view utf8_or_gbk);

// A reply field: "null" for the empty text, else the escaped text. A text that is itself "null" in
// any case reads back as empty: no escape spells a letter.
std::string reply_field(std::string_view utf8_or_gbk);

}  // namespace brindle::wire
