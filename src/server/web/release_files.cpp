#include "server/web/release_files.h"

#include <fstream>
#include <iterator>

#include "upgrader/release_manifest.h"

namespace brindle::server::web {
namespace {

std::optional<std::string> read_whole(const std::filesystem::path& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in && !in.eof()) return std::nullopt;
  return bytes;
}

ReleaseDownload not_found() { return {404, "text/plain; charset=utf-8", "404 没有可下载的版本"}; }

}  // namespace

std::optional<ReleaseDownload> release_download(const std::filesystem::path& release_dir,
                                                std::string_view path) {
  const std::string_view prefix = upgrader::kManifestPath;
  if (!path.starts_with(prefix)) return std::nullopt;
  std::string_view rest = path.substr(prefix.size());
  if (!rest.empty() && !rest.starts_with('/')) return std::nullopt;
  if (release_dir.empty()) return not_found();

  const auto list = read_whole(release_dir / kReleaseListName);
  if (!list) return not_found();
  if (rest.empty()) return ReleaseDownload{200, "text/plain; charset=utf-8", *list};

  rest.remove_prefix(1);
  const auto manifest = upgrader::parse_manifest_body(upgrader::signed_body(*list));
  if (!manifest) return not_found();
  for (const upgrader::ReleaseFile& file : manifest->files) {
    if ((file.folder.empty() ? file.name : file.folder + "/" + file.name) != rest) continue;
    const auto bytes = read_whole(release_dir / file.folder / file.name);
    if (!bytes) return not_found();
    return ReleaseDownload{200, "application/octet-stream", *bytes};
  }
  return not_found();
}

}  // namespace brindle::server::web
