#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace brindle::server::web {

// The signed release list that `sign-release` writes into a release folder.
inline constexpr char kReleaseListName[] = "release.signed";

struct ReleaseDownload {
  unsigned status = 200;
  std::string content_type;
  std::string body;  // for a refusal, UTF-8 words
};

// Answers "/Download/Upgrader" with the release folder's signed list and
// "/Download/Upgrader/FOLDER/NAME" with a file the list names, nothing else from the folder; no
// answer for other paths. Read from disk on every request, so a new release needs no restart.
std::optional<ReleaseDownload> release_download(const std::filesystem::path& release_dir,
                                                std::string_view path);

}  // namespace brindle::server::web
