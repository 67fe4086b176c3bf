#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace brindle::wire {

// Texts are UTF-8 inside the programs and GBK on the wire and in the ANSI files.

// GBK bytes to UTF-8. A byte sequence that is not GBK becomes U+FFFD (visible, never dropped) and
// sets *had_invalid when given.
std::string gbk_to_utf8(std::string_view gbk, bool* had_invalid = nullptr);

// True when gbk_to_utf8 would decode the whole text without a U+FFFD. Allocates nothing.
bool is_valid_gbk(std::string_view gbk);

// gbk_to_utf8 appending to `out`, so that a caller decoding many fields reuses one buffer.
void append_gbk_as_utf8(std::string_view gbk, std::string& out, bool* had_invalid = nullptr);

// UTF-8 to GBK. A character GBK cannot hold (or malformed UTF-8) becomes "?" and sets
// *had_unmappable when given.
std::string utf8_to_gbk(std::string_view utf8, bool* had_unmappable = nullptr);

// How many bytes the UTF-8 text takes in GBK: the measure of every limit counted in bytes.
std::size_t gbk_byte_length(std::string_view utf8);

// The longest prefix of the GBK text of at most max_bytes that ends on a character boundary.
std::size_t gbk_prefix_length(std::string_view gbk, std::size_t max_bytes);

// True for a byte that starts a double-byte GBK character when a valid trail byte follows.
constexpr bool is_gbk_lead(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
constexpr bool is_gbk_trail(unsigned char b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }

}  // namespace brindle::wire
