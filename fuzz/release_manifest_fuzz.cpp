// Arbitrary bytes as the body of a release list (what a signature would cover). What is read is
// written back to the same text, and no file it names can leave the Program directory.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "upgrader/release_manifest.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace up = brindle::upgrader;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto manifest = up::parse_manifest_body(bytes);
  if (!manifest) return 0;
  for (const up::ReleaseFile& file : manifest->files) {
    if (!up::valid_folder(file.folder) || !up::valid_file_name(file.name)) std::abort();
  }
  const auto again = up::parse_manifest_body(up::format_manifest_body(manifest.value()));
  if (!again || again->version != manifest->version || again->files != manifest->files) std::abort();
  return 0;
}
