// Reads every field of arbitrary bytes, each as a text of arbitrary capacity, an integer, a decimal
// or skipped. The fields must equal those of the literal rescanning readers: the byte-wise one for
// ASCII texts, the character-wise one for every text, double-byte characters included; a number
// must equal the conversion of the text that reader hands out with the default capacity.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "support/rescanning_field_reader.h"
#include "wire/field_reader.h"

using brindle::testing::rescanning_next;
using brindle::testing::rescanning_next_gbk;
using brindle::wire::FieldReader;

namespace {

bool same(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // Small capacities cut fields; the four largest choices are those of real reads, where a field
  // is decoded in one pass.
  constexpr std::size_t kLargeCapacities[] = {257, 1024, 4096, 8192};
  const std::size_t choice = data[0] % 32;
  const std::size_t capacity = choice < 28 ? choice : kLargeCapacities[choice - 28];
  // The first byte's top bits pick how the fields are read: 0 every one as a text, else the four
  // ways in turn from a different one.
  const unsigned pattern = data[0] >> 5;
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  const bool ascii =
      std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });

  FieldReader reader(text);
  std::string remaining(text);
  std::string remaining_gbk(text);
  std::size_t consumed = 0;
  for (std::size_t k = 0; k < text.size() + 2; ++k) {
    const unsigned way = pattern == 0 ? 0 : static_cast<unsigned>((k + pattern) % 4);
    if (way != 0) {
      std::string expected;
      (void)rescanning_next_gbk(remaining_gbk, expected, FieldReader::kDefaultCapacity);
      if (ascii) {
        std::string literal;
        (void)rescanning_next(remaining, literal, FieldReader::kDefaultCapacity);
      }
      if (way == 1 && reader.integer() != brindle::wire::to_integer(expected)) std::abort();
      if (way == 2 && !same(reader.decimal(), brindle::wire::to_decimal(expected))) std::abort();
      if (way == 3) reader.skip();
      continue;
    }
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
