// Arbitrary bytes as the upgrade log. Whatever the client reads it writes back so that it reads the
// same again: no entry split, merged or renamed, no header field changed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/app/upgrade_log.h"
#include "wire/gbk.h"

using brindle::app::UpgradeLogContents;

namespace {

bool same(const UpgradeLogContents& a, const UpgradeLogContents& b) {
  if (a.header.complete != b.header.complete || a.header.version != b.header.version ||
      a.header.text3 != b.header.text3 || a.header.text4 != b.header.text4 ||
      a.entries.size() != b.entries.size()) {
    return false;
  }
  for (auto i = a.entries.begin(), j = b.entries.begin(); i != a.entries.end(); ++i, ++j) {
    const auto& x = i->second;
    const auto& y = j->second;
    if (i->first != j->first || x.state != y.state || x.name != y.name || x.number3 != y.number3 ||
        x.number4 != y.number4 || x.target_folder != y.target_folder || x.number6 != y.number6) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const UpgradeLogContents read = brindle::app::parse_upgrade_log(bytes);
  for (const auto& [name, entry] : read.entries) {
    if (name != entry.name) std::abort();
  }
  // Bytes that are not GBK read as U+FFFD and are written as "?": only a GBK log must come back
  // exactly.
  const UpgradeLogContents again = brindle::app::parse_upgrade_log(brindle::app::format_upgrade_log(read));
  if (brindle::wire::is_valid_gbk(bytes) && !same(read, again)) std::abort();
  return 0;
}
