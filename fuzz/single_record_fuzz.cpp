// Arbitrary bytes as reply lines (split at line feeds), read as a single-record reply.
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
  brindle::wire::SingleRecordReply reply(lines);
  if (reply.success() != (reply.result_code() == 1)) std::abort();
  std::size_t consumed = 0;
  for (std::size_t k = 0; k < size + 2; ++k) {
    std::string out;
    consumed += reply.fields().next(out, brindle::wire::SingleRecordReply::kFieldCapacity);
    if (out.size() > 3 * brindle::wire::SingleRecordReply::kFieldCapacity) std::abort();
  }
  if (consumed > size) std::abort();
  return 0;
}
