#include "upgrader/upgrader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <system_error>

#include "core/app/upgrade_log.h"

namespace brindle::upgrader {
namespace {

constexpr std::string_view kFailed = "升级失败：";

std::string read_whole(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Written and flushed to disk before it is renamed, so that a power cut leaves the old file or the
// new one, never a part.
bool write_durably(const std::filesystem::path& path, std::string_view bytes, unsigned mode) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
  if (fd < 0) return false;
  bool ok = ::fchmod(fd, mode) == 0;
  for (std::size_t done = 0; ok && done < bytes.size();) {
    const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (written < 0 && errno == EINTR) continue;
    ok = written > 0;
    if (ok) done += static_cast<std::size_t>(written);
  }
  ok = ::fsync(fd) == 0 && ok;
  return ::close(fd) == 0 && ok;
}

app::UpgradeLogEntry log_entry(const ReleaseFile& file) {
  app::UpgradeLogEntry entry;
  entry.name = file.name;
  entry.number3 = static_cast<int>(file.mode);
  entry.target_folder = file.folder;
  return entry;
}

bool is_upgrader(const ReleaseFile& file) { return file.name == app::kUpgraderName; }

}  // namespace

std::string UpgradeRequest::file_url(const ReleaseFile& file) const {
  return manifest_url() + "/" + (file.folder.empty() ? std::string() : file.folder + "/") + file.name;
}

Result<UpgradeRequest> parse_upgrade_request(std::string_view argument) {
  using Failure = Result<UpgradeRequest>;
  const std::size_t bar = argument.find('|');
  if (bar == std::string_view::npos)
    return Failure::failure("expected ADDRESS|CLIENT, got '" + std::string(argument) + "'");
  std::string_view address = argument.substr(0, bar);
  const std::string_view client = argument.substr(bar + 1);
  bool web_address = false;
  for (const std::string_view scheme : {"http://", "https://"}) {
    if (address.starts_with(scheme)) {
      address.remove_prefix(scheme.size());
      web_address = true;
      break;
    }
  }
  if (!web_address) return Failure::failure("'" + std::string(address) + "' is no http:// address");
  const std::size_t slash = address.find('/');
  const std::string_view host = address.substr(0, slash);
  const std::string_view path = slash == std::string_view::npos ? std::string_view{} : address.substr(slash);
  if (host.empty() || host.find_first_of(" @?#\\") != std::string_view::npos)
    return Failure::failure("no server in '" + std::string(argument.substr(0, bar)) + "'");
  if (path != kManifestPath)
    return Failure::failure("the address does not end in " + std::string(kManifestPath));
  const std::filesystem::path client_path(client);
  if (!client_path.is_absolute() || !client_path.has_filename())
    return Failure::failure("the client '" + std::string(client) + "' is not a full path");
  UpgradeRequest request;
  request.origin = "https://" + std::string(host);
  request.client = client_path;
  request.program_directory = client_path.parent_path();
  return request;
}

bool file_matches(const std::filesystem::path& path, const ReleaseFile& file) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec) || std::filesystem::file_size(path, ec) != file.size || ec)
    return false;
  return sha256_hex(read_whole(path)) == file.sha256;
}

Result<void> install_file(const std::filesystem::path& source, const std::filesystem::path& target,
                          unsigned mode) {
  std::error_code ec;
  std::filesystem::create_directories(target.parent_path(), ec);
  if (ec) return Result<void>::failure(target.parent_path().string() + ": " + ec.message());
  std::ifstream in(source, std::ios::binary);
  if (!in) return Result<void>::failure(source.string() + ": cannot be read");
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::filesystem::path beside = target.string() + ".new";
  if (!write_durably(beside, bytes, mode)) {
    std::filesystem::remove(beside, ec);
    return Result<void>::failure(beside.string() + ": cannot be written");
  }
  std::filesystem::rename(beside, target, ec);
  if (ec) {
    const std::string error = target.string() + ": " + ec.message();
    std::filesystem::remove(beside, ec);
    return Result<void>::failure(error);
  }
  return {};
}

UpgradeOutcome run_upgrade(const UpgradeRequest& request, std::string_view public_key_base64,
                           Fetcher& fetcher) {
  UpgradeOutcome outcome;
  const auto fail = [&](std::string text) {
    outcome.ok = false;
    outcome.message = std::string(kFailed) + std::move(text);
    return outcome;
  };

  const auto signed_text = fetcher.fetch(request.manifest_url(), kManifestLimit);
  if (!signed_text) return fail("无法取得升级文件列表（" + signed_text.error() + "），没有安装任何文件。");
  const auto manifest = verify_manifest(signed_text.value(), public_key_base64);
  if (!manifest) return fail("升级文件列表未通过验证（" + manifest.error() + "），没有安装任何文件。");
  outcome.version = manifest->version;

  app::UpgradeLog log(request.program_directory);
  std::error_code ec;
  std::filesystem::create_directories(log.folder(), ec);
  if (ec || !log.read()) return fail("无法写入升级记录 " + log.path().string() + "。");

  // A log of another release (or none) starts afresh; one of this release is carried on.
  const std::string release = sha256_hex(signed_text.value());
  if (log.contents.header.text3 != release || log.contents.header.version != manifest->version) {
    log.contents = {};
    log.contents.header.version = manifest->version;
    log.contents.header.text3 = release;
  }
  for (const ReleaseFile& file : manifest->files) {
    if (!log.contents.entries.contains(file.name)) log.contents.entries.emplace(file.name, log_entry(file));
  }
  log.contents.header.complete = 0;
  if (!log.write()) return fail("无法写入升级记录 " + log.path().string() + "。");

  std::vector<std::string> problems;
  for (const ReleaseFile& file : manifest->files) {
    const std::filesystem::path staged = log.folder() / file.name;
    int state = log.contents.entries[file.name].state;
    if (state != app::kUpgradeNotFetched && state != app::kUpgradeFetched) continue;  // in place already

    // A fetched file is checked again before it is trusted: the folder is the user's to change.
    if (!file_matches(staged, file)) {
      state = app::kUpgradeNotFetched;
      const auto bytes = fetcher.fetch(request.file_url(file), file.size);
      if (!bytes) {
        problems.push_back("无法下载 " + file.name + "（" + bytes.error() + "）");
        log.set_entry_state(file.name, state);
        continue;
      }
      if (bytes->size() != file.size || sha256_hex(bytes.value()) != file.sha256) {
        problems.push_back(file.name + " 的校验值不符，未安装");
        log.set_entry_state(file.name, state);
        continue;
      }
      // With the release's mode: the client copies the upgrader from here as it is.
      const std::filesystem::path part = staged.string() + ".part";
      if (!write_durably(part, bytes.value(), file.mode | 0600) ||
          (std::filesystem::rename(part, staged, ec), ec)) {
        std::filesystem::remove(part, ec);
        problems.push_back("无法保存 " + file.name);
        continue;
      }
    }
    log.set_entry_state(file.name, app::kUpgradeFetched);
    if (is_upgrader(file)) continue;  // running now: the client puts it in place

    const std::filesystem::path folder = app::upgrade_target_folder(request.program_directory, file.folder);
    const auto installed = install_file(staged, folder / file.name, file.mode);
    if (!installed) {
      problems.push_back("无法安装 " + file.name + "（" + installed.error() + "）");
      continue;
    }
    log.set_entry_state(file.name, app::kUpgradeInstalled);
    std::filesystem::remove(staged, ec);
  }
  if (!problems.empty()) {
    std::string text;
    for (const std::string& problem : problems) text += (text.empty() ? "" : "；") + problem;
    return fail(text + "。");
  }
  outcome.ok = true;
  return outcome;
}

}  // namespace brindle::upgrader
