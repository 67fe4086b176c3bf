#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace brindle::net {

// One INI file read and written the way the Windows private-profile functions do it, so that a
// file written by an older client reads the same here:
// - a missing file or key gives the default; section and key names match case-insensitively (ASCII);
// - values are trimmed of blanks, one pair of enclosing quotes is dropped, and at most 259 bytes
//   (GBK, cut at a character boundary) of a value are used;
// - the file is GBK on disk; every text in this interface is UTF-8.
// The file is read afresh on every call: other processes may change it and it is tiny.
class SettingsFile final {
 public:
  static constexpr std::size_t kValueCapacity = 260;  // bytes, the terminator included

  explicit SettingsFile(std::filesystem::path path) : path_(std::move(path)) {}

  std::string read_text(std::string_view section, std::string_view key,
                        std::string_view default_value = {}) const;
  // The leading decimal integer of the value (optional sign, leading blanks skipped): a present
  // value without digits reads 0, an absent or empty one the default.
  int read_int(std::string_view section, std::string_view key, int default_value) const;

  // Sets one key, creating the file and the section when needed and keeping every other line as it
  // was. The file is replaced atomically. False when the file could not be written, when the
  // existing file could not be read (writing would lose its other keys), or when a name or value
  // would break the file's structure (a line break, "=" in a key, "]" in a section name).
  bool write_text(std::string_view section, std::string_view key, std::string_view value) const;
  bool write_int(std::string_view section, std::string_view key, int value) const;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// A settings file read once, for a reader that asks many keys of one file: the lookups of
// SettingsFile without going back to the disk. A missing or unreadable file reads as empty.
class SettingsSnapshot final {
 public:
  explicit SettingsSnapshot(std::string gbk_bytes) : bytes_(std::move(gbk_bytes)) {}
  static SettingsSnapshot read(const std::filesystem::path& path);

  std::string read_text(std::string_view section, std::string_view key,
                        std::string_view default_value = {}) const;
  int read_int(std::string_view section, std::string_view key, int default_value) const;

 private:
  std::string bytes_;
};

// The rules of SettingsFile on a file's GBK bytes in memory. The value read_text finds (UTF-8),
// nothing for a missing key; the bytes with one key set as write_text sets it, nothing when the
// names or the value are refused.
std::optional<std::string> profile_value(std::string_view gbk_bytes, std::string_view section,
                                         std::string_view key);
std::optional<std::string> with_profile_value(std::string_view gbk_bytes, std::string_view section,
                                              std::string_view key, std::string_view value);

// How the private-profile functions turn a value into an integer; `value` is already trimmed.
int profile_integer(std::string_view value, int default_value);

// Replaces the file's contents so that a crash leaves either the old or the new file, never a part:
// writes a temporary file in the same folder, flushes it to disk and renames it over the original.
// A symbolic link is followed, so the file it names is the one replaced.
bool replace_file_atomically(const std::filesystem::path& path, std::string_view bytes);

}  // namespace brindle::net
