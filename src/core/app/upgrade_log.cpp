#include "core/app/upgrade_log.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <system_error>

#include "core/net/settings_file.h"
#include "core/ports/message_port.h"
#include "wire/field_reader.h"
#include "wire/gbk.h"

namespace brindle::app {

namespace {

constexpr std::size_t kLineCapacity = 1024;

std::string_view trim(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

std::string upper(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); });
  return out;
}

// A text field written so that the Field reader gives it back: a caret or a line break would be
// read as an escape or end the line, and blanks at the end of a line are trimmed before the fields
// are read. Everything else is written as it is, as the upgrader writes it.
std::string log_field(std::string_view text, bool last_on_line) {
  std::size_t kept_end = text.size();
  if (last_on_line) {
    while (kept_end > 0 && (text[kept_end - 1] == ' ' || text[kept_end - 1] == '\t')) --kept_end;
  }
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '^') {
      out += "^^";
    } else if (c == '\n') {
      out += "^n";
    } else if (c == '\r') {
      out += "^r";
    } else if (i >= kept_end) {
      out += c == ' ' ? "^s" : "^t";
    } else {
      out += c;
    }
  }
  return out;
}

// The target folder is trimmed after it is decoded, so a folder named "null" was written with a
// blank in front (" null" is no empty value) and must be again.
std::string target_folder_field(std::string_view folder) {
  std::string out = log_field(folder, false);
  if (out.size() == 4 && upper(out) == "NULL") out.insert(0, "^s");
  return out;
}

// Copies next to the target and renames over it, so a failed copy never leaves half an upgrader.
bool replace_with_copy(const std::filesystem::path& source, const std::filesystem::path& target) {
  std::error_code ec;
  const std::filesystem::path temporary = target.string() + ".new";
  std::filesystem::create_directories(target.parent_path(), ec);
  if (!std::filesystem::copy_file(source, temporary, std::filesystem::copy_options::overwrite_existing, ec)) {
    std::filesystem::remove(temporary, ec);
    return false;
  }
  std::filesystem::rename(temporary, target, ec);
  if (ec) {
    std::filesystem::remove(temporary, ec);
    return false;
  }
  return true;
}

}  // namespace

UpgradeLogContents parse_upgrade_log(std::string_view gbk_text) {
  UpgradeLogContents contents;
  bool header_read = false;
  while (!gbk_text.empty()) {
    const std::size_t end = gbk_text.find('\n');
    const std::string_view line = trim(gbk_text.substr(0, end));
    gbk_text = end == std::string_view::npos ? std::string_view{} : gbk_text.substr(end + 1);
    if (line.empty()) continue;

    wire::FieldReader fields(line, '|');
    if (!header_read) {
      header_read = true;
      contents.header.complete = fields.integer();
      contents.header.version = fields.integer();
      contents.header.text3 = fields.text(kLineCapacity);
      contents.header.text4 = fields.text(kLineCapacity);
      continue;
    }
    UpgradeLogEntry entry;
    entry.state = fields.integer();
    entry.name = fields.text(kLineCapacity);
    entry.number3 = fields.integer();
    entry.number4 = fields.integer();
    entry.target_folder = std::string(trim(fields.text(kLineCapacity)));
    entry.number6 = fields.integer();
    const std::string key = entry.name;
    contents.entries.insert_or_assign(key, std::move(entry));
  }
  return contents;
}

std::string format_upgrade_log(const UpgradeLogContents& contents) {
  const UpgradeLogHeader& h = contents.header;
  std::string text = std::to_string(h.complete) + "|" + std::to_string(h.version) + "|" +
                     log_field(h.text3, false) + "|" + log_field(h.text4, true) + "\n";
  for (const auto& [name, e] : contents.entries) {
    text += std::to_string(e.state) + "|" + log_field(e.name, false) + "|" + std::to_string(e.number3) + "|" +
            std::to_string(e.number4) + "|" + target_folder_field(e.target_folder) + "|" +
            std::to_string(e.number6) + "\n";
  }
  return wire::utf8_to_gbk(text);
}

UpgradeLog::UpgradeLog(std::filesystem::path program_directory)
    : program_directory_(std::move(program_directory)) {}

bool UpgradeLog::read() {
  std::error_code ec;
  if (!std::filesystem::is_directory(folder(), ec)) return false;
  if (!std::filesystem::exists(path(), ec)) {
    if (ec || !std::ofstream(path(), std::ios::binary)) return false;
  }
  std::ifstream in(path(), std::ios::binary);
  if (!in) return false;
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return false;
  contents = parse_upgrade_log(bytes);
  return true;
}

bool UpgradeLog::write() const { return net::replace_file_atomically(path(), format_upgrade_log(contents)); }

bool UpgradeLog::set_entry_state(const std::string& name, int state) {
  const auto it = contents.entries.find(name);
  if (it == contents.entries.end()) return false;
  it->second.state = state;
  return write();
}

std::filesystem::path upgrade_target_folder(const std::filesystem::path& program_directory,
                                            std::string_view target_folder) {
  std::string relative(trim(target_folder));
  std::replace(relative.begin(), relative.end(), '\\', '/');
  const bool has_drive = relative.size() >= 2 && relative[1] == ':';
  if (!relative.empty() && (relative.front() == '/' || has_drive)) return {};
  const std::filesystem::path path(relative);
  for (const auto& segment : path) {
    if (segment == "..") return {};
  }
  return relative.empty() ? program_directory : program_directory / path;
}

bool complete_pending_upgrade(UpgradeLog& log, ports::MessagePort& messages) {
  if (!log.read()) return false;
  if (log.contents.entries.empty()) {
    log.contents.header.complete = 1;
    log.write();
    return true;
  }

  bool complete = true;
  for (const auto& [name, entry] : log.contents.entries) {
    if (entry.state == kUpgradeNotFetched) {
      complete = false;
      continue;
    }
    if (entry.state != kUpgradeFetched) continue;
    if (upper(name) != upper(kUpgraderName)) {
      complete = false;  // the upgrader's own business
      continue;
    }
    const std::filesystem::path folder = upgrade_target_folder(log.program_directory(), entry.target_folder);
    if (folder.empty()) {
      complete = false;
      continue;
    }
    const std::filesystem::path source = log.folder() / name;
    bool copied = replace_with_copy(source, folder / name);
    while (!copied && messages.show_message(kUpgraderCopyQuestion, true) == ports::MessagePort::ok) {
      copied = replace_with_copy(source, folder / name);
    }
    if (!copied) {
      complete = false;
      continue;
    }
    std::error_code ec;
    std::filesystem::remove(source, ec);
    log.set_entry_state(name, kUpgradeInstalled);
  }

  if (complete) log.contents.header.complete = 1;
  log.write();
  return complete;
}

bool write_upgrade_failure(const std::filesystem::path& program_directory, std::string_view text) {
  std::error_code ec;
  std::filesystem::create_directories(program_directory / kUpgradeFolder, ec);
  return net::replace_file_atomically(program_directory / kUpgradeFolder / kUpgradeFailureName, text);
}

std::optional<std::string> take_upgrade_failure(const std::filesystem::path& program_directory) {
  const std::filesystem::path path = program_directory / kUpgradeFolder / kUpgradeFailureName;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  in.close();
  std::error_code ec;
  std::filesystem::remove(path, ec);
  return text;
}

}  // namespace brindle::app
