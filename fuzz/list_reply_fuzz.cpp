// Arbitrary bytes as reply lines (split at line feeds), read as a list reply, every field of every
// row.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "wire/framing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start <= bytes.size()) {
    const std::size_t end = std::min(bytes.find('\n', start), bytes.size());
    lines.emplace_back(bytes.substr(start, end - start));
    start = end + 1;
  }
  brindle::wire::ListReply reply(lines);
  if (!reply.success() && reply.row_count() != 0) std::abort();
  if (reply.success() && reply.row_count() != lines.size() - 1) std::abort();
  for (std::size_t r = 0; r <= reply.row_count(); ++r) {  // one past the end on purpose
    brindle::wire::FieldReader row = reply.row(r);
    std::size_t consumed = 0;
    for (std::size_t k = 0; k < 64; ++k) {
      std::string out;
      consumed += row.next(out, 4096);
    }
    const std::size_t line_size = r < reply.row_count() ? lines[r + 1].size() : 0;
    if (consumed > line_size) std::abort();
  }
  return 0;
}
