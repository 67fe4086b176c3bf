// Arbitrary bytes as a server or proxy list cache file. Every record read has a text; writing the
// records again and reading that back gives the same numbers and texts (a text is stripped of its
// outer blanks on writing, and bytes that are not GBK come back as "?").
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/net/list_cache.h"
#include "wire/gbk.h"

using brindle::net::ListEntry;

namespace {

std::string_view strip(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r\n\v\f";
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::vector<ListEntry> entries = brindle::net::decode_list_cache(bytes);
  // At least one record header and one text byte per entry.
  if (entries.size() * 9 > bytes.size()) std::abort();

  std::vector<ListEntry> expected;
  for (const ListEntry& entry : entries) {
    if (entry.text.empty()) std::abort();
    const std::string_view text = strip(entry.text);
    if (text.empty()) continue;
    // What the text is once it has been through GBK: the replacement character becomes "?".
    expected.push_back({brindle::wire::gbk_to_utf8(brindle::wire::utf8_to_gbk(text)), entry.number});
  }
  const std::string written = brindle::net::encode_list_cache(entries);
  const std::vector<ListEntry> again = brindle::net::decode_list_cache(written);
  if (again.size() != expected.size()) std::abort();
  for (std::size_t i = 0; i < again.size(); ++i) {
    if (again[i].number != expected[i].number || again[i].text != expected[i].text) std::abort();
  }
  return 0;
}
