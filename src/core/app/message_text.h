#pragma once

#include <string>
#include <string_view>

namespace brindle::app {

inline constexpr const char* kApplicationTitle = "澜川国际";

// What the Message window shows: every "#" is a line break, and the text box is as many lines high
// as the text needs at 37 bytes a line (a double-byte character counts 2).
struct MessageText {
  std::string text;  // UTF-8, "#" replaced by "\n"
  int line_count = 1;
};

MessageText layout_message_text(std::string_view utf8_text);

}  // namespace brindle::app
