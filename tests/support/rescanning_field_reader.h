#pragma once

#include <cstddef>
#include <string>

namespace brindle::testing {

// The field reader as first written, kept literal so that the cursor reader can be checked and
// measured against it: every call rewrites line breaks in, and trims, the whole remaining text, and
// scans bytes without regard to double-byte characters (so it is the reference for ASCII texts).
// Removes the next field from the front of `text`; returns its length as it stood there.
std::size_t rescanning_next(std::string& text, std::string& out, std::size_t capacity);

// The same reader walking the text one character at a time, a double-byte character (a lead byte
// and a valid trail byte) being one: the reference for GBK texts. Cuts fall between characters and
// the value is handed out in UTF-8.
std::size_t rescanning_next_gbk(std::string& text, std::string& out_utf8, std::size_t capacity);

}  // namespace brindle::testing
