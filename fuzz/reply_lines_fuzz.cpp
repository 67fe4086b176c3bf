// Reply bytes fed to the line splitter in chunks of arbitrary sizes: the lines must not depend on
// where the network cut the bytes, and must equal those of a plain model that walks the whole reply
// character by character. Every line is non-empty, at most 4,095 bytes, free of CR and LF and of
// blanks at either end, and never ends in the first half of a double-byte character.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/net/reply_lines.h"

using brindle::net::ReplyLineSplitter;

namespace {

constexpr std::size_t kMax = ReplyLineSplitter::kMaxLineBytes;

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }
bool is_lead(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
bool is_trail(unsigned char b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }

// The size of the character at i of a line, as a reader walking the line from its start sees it.
std::size_t char_size(std::string_view line, std::size_t i) {
  return i + 1 < line.size() && is_lead(static_cast<unsigned char>(line[i])) &&
                 is_trail(static_cast<unsigned char>(line[i + 1]))
             ? 2
             : 1;
}

void keep_trimmed(std::string_view piece, std::vector<std::string>& out) {
  while (!piece.empty() && is_blank(piece.front())) piece.remove_prefix(1);
  while (!piece.empty() && is_blank(piece.back())) piece.remove_suffix(1);
  if (!piece.empty()) out.emplace_back(piece);
}

// Lines end at CR or LF; a longer line is cut before the first character that would not fit.
std::vector<std::string> model(std::string_view bytes) {
  std::vector<std::string> out;
  while (true) {
    const std::size_t end = bytes.find_first_of("\r\n");
    const std::string_view line = bytes.substr(0, end);
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < line.size()) {
      const std::size_t size = char_size(line, i);
      if (i + size - start > kMax) {
        keep_trimmed(line.substr(start, i - start), out);
        start = i;
      }
      i += size;
    }
    keep_trimmed(line.substr(start), out);
    if (end == std::string_view::npos) return out;
    bytes.remove_prefix(end + 1);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  // The first byte drives the chunk sizes, the second how often the rest is repeated, so that
  // small inputs still make lines beyond the limit.
  std::uint32_t state = data[0] * 2654435761u + 1;
  const std::size_t repeats = 1 + data[1] % 8;
  const std::string_view rest(reinterpret_cast<const char*>(data + 2), size - 2);
  std::string bytes;
  for (std::size_t r = 0; r < repeats; ++r) bytes += rest;

  std::vector<std::string> lines;
  ReplyLineSplitter splitter([&lines](std::string line) { lines.push_back(std::move(line)); });
  std::string_view left(bytes);
  while (!left.empty()) {
    state = state * 1103515245u + 12345u;
    const std::size_t chunk = 1 + (state >> 16) % (data[0] % 2 == 0 ? 7 : 5000);
    const std::size_t n = chunk < left.size() ? chunk : left.size();
    splitter.feed(left.substr(0, n));
    left.remove_prefix(n);
  }
  splitter.finish();

  for (const std::string& line : lines) {
    if (line.empty() || line.size() > kMax) std::abort();
    if (line.find_first_of("\r\n") != std::string::npos) std::abort();
    if (is_blank(line.front()) || is_blank(line.back())) std::abort();
  }
  if (lines != model(bytes)) std::abort();
  return 0;
}
