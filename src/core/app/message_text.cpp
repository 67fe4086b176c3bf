#include "core/app/message_text.h"

#include "wire/gbk.h"

namespace brindle::app {

namespace {
constexpr int kBytesPerLine = 38;  // the 38th byte after a break starts another line

// Length in bytes of the UTF-8 sequence that starts with `lead`.
std::size_t utf8_sequence_length(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 1;
}
}  // namespace

MessageText layout_message_text(std::string_view utf8_text) {
  MessageText result;
  result.text.reserve(utf8_text.size());
  int bytes_since_break = 0;
  for (std::size_t i = 0; i < utf8_text.size();) {
    const auto lead = static_cast<unsigned char>(utf8_text[i]);
    std::size_t length = utf8_sequence_length(lead);
    if (i + length > utf8_text.size()) length = utf8_text.size() - i;
    const std::string_view ch = utf8_text.substr(i, length);
    i += length;
    if (ch == "#" || ch == "\n") {
      result.text += '\n';
      ++result.line_count;
      bytes_since_break = 0;
      continue;
    }
    result.text += ch;
    const auto width = static_cast<int>(length == 1 ? 1 : wire::gbk_byte_length(ch));
    for (int b = 0; b < width; ++b) {
      if (++bytes_since_break == kBytesPerLine) {
        ++result.line_count;
        bytes_since_break = 0;
      }
    }
  }
  return result;
}

}  // namespace brindle::app
