// Reads every field of arbitrary bytes with arbitrary capacities. The fields must equal those of the
// literal rescanning readers: the byte-wise one for ASCII texts, the character-wise one for every
// text, double-byte characters included.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "support/rescanning_field_reader.h"
#include "wire/field_reader.h"

using brindle::testing::rescanning_next;
using brindle::testing::rescanning_next_gbk;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t capacity = data[0] % 32;
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  const bool ascii =
      std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });

  brindle::wire::FieldReader reader(text);
  std::string remaining(text);
  std::string remaining_gbk(text);
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
    std::string expected_utf8;
    if (rescanning_next_gbk(remaining_gbk, expected_utf8, capacity) != length || expected_utf8 != out)
      std::abort();
  }
  return 0;
}
