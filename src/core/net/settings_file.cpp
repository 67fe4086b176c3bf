#include "core/net/settings_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <optional>
#include <system_error>
#include <vector>

#include "wire/gbk.h"

namespace brindle::net {

namespace {

constexpr bool is_blank(char c) {
  // 0x1A is the old end-of-file mark that editors sometimes leave behind; the profile functions
  // skip it like a blank. None of these bytes can be a GBK trail byte.
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f' || c == '\x1a';
}

std::string_view trim(std::string_view text) {
  while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
  return text;
}

std::size_t gbk_char_length(std::string_view text, std::size_t pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  if (wire::is_gbk_lead(lead) && pos + 1 < text.size() &&
      wire::is_gbk_trail(static_cast<unsigned char>(text[pos + 1]))) {
    return 2;
  }
  return 1;
}

char ascii_lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Compares two GBK names character by character so that a trail byte that happens to be an ASCII
// letter is never folded.
bool names_equal(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  std::size_t i = 0;
  while (i < a.size()) {
    const std::size_t len = gbk_char_length(a, i);
    if (len != gbk_char_length(b, i)) return false;
    if (len == 1) {
      if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
    } else if (a[i] != b[i] || a[i + 1] != b[i + 1]) {
      return false;
    }
    i += len;
  }
  return true;
}

struct Line {
  std::string text;  // GBK bytes without the line end
  std::string eol;   // "\r\n", "\n", or empty for a last line without one
};

enum class LineKind { other, section, key };

struct LineView {
  LineKind kind = LineKind::other;
  std::string_view name;        // trimmed section or key name
  std::string_view value;       // trimmed value of a key line
  std::size_t value_start = 0;  // where a rewritten value goes
  bool has_equals = false;
};

LineView classify(std::string_view line) {
  LineView view;
  std::size_t pos = 0;
  while (pos < line.size() && is_blank(line[pos])) ++pos;
  if (pos == line.size() || line[pos] == ';') return view;

  if (line[pos] == '[') {
    // "]" can be a GBK trail byte, so the closing bracket is found character by character.
    std::optional<std::size_t> close;
    for (std::size_t i = pos + 1; i < line.size(); i += gbk_char_length(line, i)) {
      if (line[i] == ']') close = i;
    }
    if (!close) return view;
    view.kind = LineKind::section;
    view.name = trim(line.substr(pos + 1, *close - pos - 1));
    return view;
  }

  view.kind = LineKind::key;
  const std::size_t equals = line.find('=', pos);  // "=" is never a GBK trail byte
  if (equals == std::string_view::npos) {
    view.name = trim(line.substr(pos));
    view.value_start = pos + view.name.size();
    return view;
  }
  view.has_equals = true;
  view.name = trim(line.substr(pos, equals - pos));
  std::size_t value_pos = equals + 1;
  while (value_pos < line.size() && is_blank(line[value_pos])) ++value_pos;
  view.value_start = value_pos;
  view.value = trim(line.substr(value_pos));
  return view;
}

enum class ReadStatus { ok, missing, failed };

ReadStatus read_bytes(const std::filesystem::path& path, std::string& out) {
  out.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? ReadStatus::missing : ReadStatus::failed;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return ReadStatus::failed;
  }
  char buffer[8192];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      ::close(fd);
      out.clear();
      return ReadStatus::failed;
    }
    if (got == 0) break;
    out.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fd);
  return ReadStatus::ok;
}

std::vector<Line> split_lines(std::string_view bytes) {
  std::vector<Line> lines;
  while (!bytes.empty()) {
    const std::size_t newline = bytes.find('\n');
    if (newline == std::string_view::npos) {
      lines.push_back({std::string(bytes), {}});
      break;
    }
    std::string_view text = bytes.substr(0, newline);
    std::string eol = "\n";
    if (!text.empty() && text.back() == '\r') {
      text.remove_suffix(1);
      eol = "\r\n";
    }
    lines.push_back({std::string(text), std::move(eol)});
    bytes.remove_prefix(newline + 1);
  }
  return lines;
}

struct Location {
  std::optional<std::size_t> section;  // the header line of the first matching section
  std::size_t insert_after = 0;        // its last key line, or the header when it has none
  std::optional<std::size_t> key;      // the first matching key line in that section
};

// Like the profile functions, only the first section of a name is searched.
Location locate(const std::vector<Line>& lines, std::string_view section, std::string_view key) {
  Location found;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const LineView view = classify(lines[i].text);
    if (view.kind == LineKind::section) {
      if (found.section) break;
      if (names_equal(view.name, section)) {
        found.section = i;
        found.insert_after = i;
      }
      continue;
    }
    if (!found.section || view.kind != LineKind::key) continue;
    found.insert_after = i;
    if (names_equal(view.name, key)) {
      found.key = i;
      break;
    }
  }
  return found;
}

std::optional<std::string> find_value(const std::filesystem::path& path, std::string_view section,
                                      std::string_view key) {
  std::string bytes;
  if (read_bytes(path, bytes) != ReadStatus::ok) return std::nullopt;
  return profile_value(bytes, section, key);
}

bool has_line_break(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

bool acceptable_names(std::string_view section, std::string_view key, std::string_view value) {
  if (has_line_break(section) || has_line_break(key) || has_line_break(value)) return false;
  if (section.find(']') != std::string_view::npos) return false;
  const std::string_view trimmed_key = trim(key);
  if (trimmed_key.empty() || trimmed_key != key) return false;
  if (key.find('=') != std::string_view::npos || key.front() == ';' || key.front() == '[') return false;
  return !section.empty() && trim(section) == section;
}

}  // namespace

std::optional<std::string> profile_value(std::string_view gbk_bytes, std::string_view section,
                                         std::string_view key) {
  // A name GBK cannot hold would be looked for as "?", which is another name.
  bool unmappable = false;
  const std::string section_gbk = wire::utf8_to_gbk(section, &unmappable);
  const std::string key_gbk = wire::utf8_to_gbk(key, &unmappable);
  if (unmappable) return std::nullopt;
  const std::vector<Line> lines = split_lines(gbk_bytes);
  const Location where = locate(lines, section_gbk, key_gbk);
  if (!where.key) return std::nullopt;
  std::string_view value = classify(lines[*where.key].text).value;
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  value = value.substr(0, wire::gbk_prefix_length(value, SettingsFile::kValueCapacity - 1));
  return wire::gbk_to_utf8(value);
}

std::optional<std::string> with_profile_value(std::string_view gbk_bytes, std::string_view section,
                                              std::string_view key, std::string_view value) {
  if (!acceptable_names(section, key, value)) return std::nullopt;
  bool unmappable = false;
  const std::string section_gbk = wire::utf8_to_gbk(section, &unmappable);
  const std::string key_gbk = wire::utf8_to_gbk(key, &unmappable);
  const std::string value_gbk = wire::utf8_to_gbk(value, &unmappable);
  // Writing "?" in place of a character GBK cannot hold would silently change the setting.
  if (unmappable) return std::nullopt;

  std::vector<Line> lines = split_lines(gbk_bytes);
  const std::string eol = !lines.empty() && !lines.front().eol.empty() ? lines.front().eol : "\r\n";
  const Location where = locate(lines, section_gbk, key_gbk);

  auto insert_line = [&](std::size_t index, std::string text) {
    if (index > 0 && lines[index - 1].eol.empty()) lines[index - 1].eol = eol;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(index), Line{std::move(text), eol});
  };

  if (where.key) {
    Line& line = lines[*where.key];
    const LineView view = classify(line.text);
    std::string rewritten = line.text.substr(0, view.value_start);
    if (!view.has_equals) rewritten += '=';
    line.text = rewritten + value_gbk;
  } else if (where.section) {
    insert_line(where.insert_after + 1, key_gbk + "=" + value_gbk);
  } else {
    if (!lines.empty() && !trim(lines.back().text).empty()) insert_line(lines.size(), std::string());
    insert_line(lines.size(), "[" + section_gbk + "]");
    insert_line(lines.size(), key_gbk + "=" + value_gbk);
  }

  std::string out;
  out.reserve(gbk_bytes.size() + key_gbk.size() + value_gbk.size() + section_gbk.size() + 8);
  for (const Line& line : lines) {
    out += line.text;
    out += line.eol;
  }
  return out;
}

SettingsSnapshot SettingsSnapshot::read(const std::filesystem::path& path) {
  std::string bytes;
  if (read_bytes(path, bytes) != ReadStatus::ok) bytes.clear();
  return SettingsSnapshot(std::move(bytes));
}

std::string SettingsSnapshot::read_text(std::string_view section, std::string_view key,
                                        std::string_view default_value) const {
  if (auto value = profile_value(bytes_, section, key)) return std::move(*value);
  return std::string(default_value);
}

int SettingsSnapshot::read_int(std::string_view section, std::string_view key, int default_value) const {
  const auto value = profile_value(bytes_, section, key);
  if (!value) return default_value;
  return profile_integer(*value, default_value);
}

std::string SettingsFile::read_text(std::string_view section, std::string_view key,
                                    std::string_view default_value) const {
  if (auto value = find_value(path_, section, key)) return std::move(*value);
  return std::string(default_value);
}

int SettingsFile::read_int(std::string_view section, std::string_view key, int default_value) const {
  const auto value = find_value(path_, section, key);
  if (!value) return default_value;
  return profile_integer(*value, default_value);
}

bool SettingsFile::write_text(std::string_view section, std::string_view key, std::string_view value) const {
  std::string bytes;
  if (read_bytes(path_, bytes) == ReadStatus::failed) return false;
  const auto written = with_profile_value(bytes, section, key, value);
  return written && replace_file_atomically(path_, *written);
}

bool SettingsFile::write_int(std::string_view section, std::string_view key, int value) const {
  return write_text(section, key, std::to_string(value));
}

int profile_integer(std::string_view value, int default_value) {
  if (value.empty()) return default_value;
  std::size_t i = 0;
  while (i < value.size() && is_blank(value[i])) ++i;
  bool negative = false;
  if (i < value.size() && (value[i] == '+' || value[i] == '-')) {
    negative = value[i] == '-';
    ++i;
  }
  // Saturate rather than wrap: a huge refresh period must not turn negative.
  constexpr std::int64_t kLimit = static_cast<std::int64_t>(std::numeric_limits<int>::max()) + 1;
  std::int64_t magnitude = 0;
  for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + (value[i] - '0');
    if (magnitude > kLimit) magnitude = kLimit;
  }
  const std::int64_t signed_value = negative ? -magnitude : magnitude;
  if (signed_value > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  return static_cast<int>(signed_value);
}

bool replace_file_atomically(const std::filesystem::path& path, std::string_view bytes) {
  std::error_code ec;
  std::filesystem::path target = path;
  if (std::filesystem::is_symlink(path, ec)) {
    auto resolved = std::filesystem::weakly_canonical(path, ec);
    if (!ec) target = std::move(resolved);
  }
  std::filesystem::path folder = target.parent_path();
  if (folder.empty()) folder = ".";

  std::string temp_name = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
  const int fd = ::mkstemp(temp_name.data());
  if (fd < 0) return false;

  bool ok = true;
  std::size_t written = 0;
  while (ok && written < bytes.size()) {
    const ssize_t put = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) {
      ok = false;
    } else {
      written += static_cast<std::size_t>(put);
    }
  }
  struct stat info {};
  const mode_t mode = ::stat(target.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0644;
  if (ok) ok = ::fchmod(fd, mode) == 0;
  if (ok) ok = ::fsync(fd) == 0;
  if (::close(fd) != 0) ok = false;
  if (ok) ok = ::rename(temp_name.c_str(), target.c_str()) == 0;
  if (!ok) {
    ::unlink(temp_name.c_str());
    return false;
  }
  // The rename itself is durable only once the folder is flushed; failing that loses nothing.
  const int dir_fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir_fd >= 0) {
    ::fsync(dir_fd);
    ::close(dir_fd);
  }
  return true;
}

}  // namespace brindle::net
