#include "server/admin/release_commands.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <fstream>
#include <iterator>
#include <ostream>

#include "server/storage/private_files.h"
#include "server/web/release_files.h"
#include "upgrader/release_manifest.h"

namespace brindle::server::admin {
namespace {

constexpr char kUsage[] =
    "usage: brindle-server sign-release --data-dir DIR RELEASE_DIR VERSION\n\n"
    "Lists every file under RELEASE_DIR (its place below the folder is its place below the client's\n"
    "folder) with its size, SHA-256 and mode, signs the list with the operator's Ed25519 key and\n"
    "writes it to RELEASE_DIR/release.signed, which a server with release_dir = RELEASE_DIR offers\n"
    "at /Download/Upgrader. Set the server's version to VERSION to send the clients to it.\n\n"
    "The key is DIR/release-signing.key, made on first use and readable by its owner only. The\n"
    "public key printed at the end is the one brindle-upgrader must be built with:\n"
    "  cmake -DBRINDLE_UPGRADE_PUBLIC_KEY=FILE   (FILE holding that line)\n";

int bad_line(CommandContext& context, const std::string& error) {
  return usage_error(context, kUsage, error);
}

int failed(CommandContext& context, const std::string& error) {
  context.err << "brindle-server sign-release: " << error << '\n';
  return 1;
}

std::string read_whole(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The operator's key, made when missing. A key others could read is refused rather than used:
// whoever holds it can install programs on every client.
Result<std::string> signing_key(const std::filesystem::path& data_dir, std::ostream& out) {
  using Failure = Result<std::string>;
  if (auto made = storage::make_private_directory(data_dir); !made) return Failure::failure(made.error());
  const std::filesystem::path path = data_dir / kReleaseKeyName;
  struct stat info {};
  if (::lstat(path.c_str(), &info) == 0) {
    if (!S_ISREG(info.st_mode)) return Failure::failure(path.string() + " is not a file");
    if (info.st_uid != ::geteuid() || (info.st_mode & 077) != 0)
      return Failure::failure(path.string() +
                              " is readable by others than its owner; chmod 600 it, or replace the key");
    return read_whole(path);
  }
  auto pem = upgrader::generate_private_key_pem();
  if (!pem) return pem;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return Failure::failure(path.string() + " cannot be created");
  const bool written =
      ::write(fd, pem->data(), pem->size()) == static_cast<ssize_t>(pem->size()) && ::fsync(fd) == 0;
  if (::close(fd) != 0 || !written) {
    ::unlink(path.c_str());
    return Failure::failure(path.string() + " cannot be written");
  }
  out << "made a new signing key " << path.string() << '\n';
  return pem;
}

Result<upgrader::ReleaseManifest> list_release(const std::filesystem::path& release_dir, int version) {
  using Failure = Result<upgrader::ReleaseManifest>;
  std::error_code ec;
  if (!std::filesystem::is_directory(release_dir, ec))
    return Failure::failure(release_dir.string() + " is no folder");
  upgrader::ReleaseManifest manifest;
  manifest.version = version;
  for (auto it = std::filesystem::recursive_directory_iterator(release_dir, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    const std::filesystem::path relative = it->path().lexically_relative(release_dir);
    if (it->is_symlink(ec))
      return Failure::failure(relative.string() + " is a link; copy the file in instead");
    if (it->is_directory(ec)) continue;
    if (relative.string().starts_with(web::kReleaseListName)) continue;  // the list and its half-written copy
    if (!it->is_regular_file(ec)) return Failure::failure(relative.string() + " is not a plain file");
    upgrader::ReleaseFile file;
    file.folder = relative.parent_path().generic_string();
    file.name = relative.filename().string();
    if (!upgrader::valid_folder(file.folder) || !upgrader::valid_file_name(file.name))
      return Failure::failure(relative.string() +
                              ": a name with a blank, \\ | ^ : or a control character, or "
                              "in a folder named upgrade, cannot be installed");
    const std::string bytes = read_whole(it->path());
    file.size = bytes.size();
    file.sha256 = upgrader::sha256_hex(bytes);
    file.mode = static_cast<unsigned>(it->status(ec).permissions() & std::filesystem::perms::all);
    for (const auto& other : manifest.files) {
      if (other.name == file.name)
        return Failure::failure("two files are named " + file.name + "; names must differ");
    }
    manifest.files.push_back(std::move(file));
  }
  if (ec) return Failure::failure(release_dir.string() + ": " + ec.message());
  std::sort(manifest.files.begin(), manifest.files.end(), [](const auto& a, const auto& b) {
    return std::tie(a.folder, a.name) < std::tie(b.folder, b.name);
  });
  return manifest;
}

int sign_release(std::span<const std::string_view> args, CommandContext& context) {
  const std::string_view values[] = {"--data-dir"};
  auto options = parse_options(args, values);
  if (!options) return bad_line(context, options.error());
  if (!options->value("--data-dir") || options->positional.size() != 2)
    return bad_line(context, "sign-release wants --data-dir, a release folder and a version");
  int version = 0;
  const std::string& version_text = options->positional[1];
  const auto [end, error] =
      std::from_chars(version_text.data(), version_text.data() + version_text.size(), version);
  if (error != std::errc{} || end != version_text.data() + version_text.size() || version < 0)
    return bad_line(context, "the version must be a whole number, not '" + version_text + "'");

  const std::filesystem::path release_dir = options->positional[0];
  auto manifest = list_release(release_dir, version);
  if (!manifest) return failed(context, manifest.error());
  auto key = signing_key(std::string(*options->value("--data-dir")), context.out);
  if (!key) return failed(context, key.error());
  auto signed_text = upgrader::sign_manifest(manifest.value(), key.value());
  if (!signed_text) return failed(context, signed_text.error());

  const std::filesystem::path list = release_dir / web::kReleaseListName;
  const std::filesystem::path beside = list.string() + ".new";
  {
    std::ofstream out(beside, std::ios::binary | std::ios::trunc);
    out << signed_text.value();
    if (!out.flush()) return failed(context, beside.string() + " cannot be written");
  }
  std::error_code ec;
  std::filesystem::rename(beside, list, ec);
  if (ec) return failed(context, list.string() + ": " + ec.message());
  context.out << "signed version " << version << ", " << manifest->files.size()
              << " file(s): " << list.string()
              << "\npublic key: " << upgrader::public_key_base64(key.value()).value() << '\n';
  return 0;
}

}  // namespace

Result<void> add_release_commands(SubcommandTable& table) {
  return table.add(
      Subcommand{"sign-release", "sign a client release folder for the upgrader", kUsage, sign_release});
}

}  // namespace brindle::server::admin
