// Reads every field of arbitrary bytes with arbitrary capacities; for ASCII input the fields must
// equal those of the plain rescanning reader.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "wire/field_escapes.h"
#include "wire/field_reader.h"

namespace {

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
  const std::string decoded =
      brindle::wire::decode_field_escapes(text.substr(0, std::min<std::size_t>(end, 4095)));
  std::string lower = decoded;
  for (char& c : lower) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  if (lower != "null") out = decoded.substr(0, capacity == 0 ? 0 : capacity - 1);
  text.erase(0, end);
  return end;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t capacity = data[0] % 32;
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  const bool ascii =
      std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });

  brindle::wire::FieldReader reader(text);
  std::string remaining(text);
  std::size_t consumed = 0;
  for (std::size_t k = 0; k < text.size() + 2; ++k) {
    std::string out;
    const std::size_t length = reader.next(out, capacity);
    consumed += length;
    if (consumed > text.size()) std::abort();
    if (ascii) {
      std::string expected;
      if (rescanning_next(remaining, expected, capacity) != length || expected != out) std::abort();
    }
  }
  return 0;
}
