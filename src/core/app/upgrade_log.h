#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace brindle::ports {
class MessagePort;
}

namespace brindle::app {

inline constexpr char kUpgradeFolder[] = "upgrade";
inline constexpr char kUpgradeLogName[] = "upgrade.log";
// The upgrader's file name on this platform (the client's, "brindle", is in the upgrader's address).
inline constexpr char kUpgraderName[] = "brindle-upgrader";
// Why the last upgrade stopped, in UTF-8, written by the upgrader for the client to show.
inline constexpr char kUpgradeFailureName[] = "failure.txt";
inline constexpr char kUpgraderCopyQuestion[] = "不能更新升级程序！请退出升级程序，然后重试或取消更新。";

// File states the upgrader and the client write.
inline constexpr int kUpgradeNotFetched = 0;
inline constexpr int kUpgradeInstalled = 1;
inline constexpr int kUpgradeFetched = 2;  // in the upgrade folder, not yet in place

struct UpgradeLogHeader {
  int complete = 0;   // 1 once every file is in place
  int version = 0;    // becomes SYSTEM / "Version"
  std::string text3;  // carried through
  std::string text4;
};

struct UpgradeLogEntry {
  int state = kUpgradeNotFetched;
  std::string name;
  int number3 = 0;  // carried through
  int number4 = 0;
  std::string target_folder;  // relative to the Program directory
  int number6 = 0;
};

// The upgrader's record of an upgrade: a header and one entry per file name (a later line with the
// same name replaces the earlier one). Written back header first, then the entries in name order.
struct UpgradeLogContents {
  UpgradeLogHeader header;
  std::map<std::string, UpgradeLogEntry> entries;
};

// The log's GBK text, read line by line (trimmed, blank lines skipped), and its written form.
UpgradeLogContents parse_upgrade_log(std::string_view gbk_text);
std::string format_upgrade_log(const UpgradeLogContents& contents);

// "upgrade/upgrade.log" under a Program directory.
class UpgradeLog final {
 public:
  explicit UpgradeLog(std::filesystem::path program_directory);

  // False only when the file cannot be opened or read; a missing log is created empty, a missing
  // upgrade folder is a failure.
  bool read();
  // Rewrites the whole file.
  bool write() const;
  // Changes one entry's state and rewrites the log.
  bool set_entry_state(const std::string& name, int state);
  // The header's version number in decimal.
  std::string version_text() const { return std::to_string(contents.header.version); }

  const std::filesystem::path& program_directory() const { return program_directory_; }
  std::filesystem::path folder() const { return program_directory_ / kUpgradeFolder; }
  std::filesystem::path path() const { return folder() / kUpgradeLogName; }

  UpgradeLogContents contents;

 private:
  std::filesystem::path program_directory_;
};

// The folder under the Program directory that a target folder names; empty when the name would lead
// outside it (absolute, a drive, or a ".." segment), so that a log cannot make the client overwrite
// files elsewhere.
std::filesystem::path upgrade_target_folder(const std::filesystem::path& program_directory,
                                            std::string_view target_folder);

// Puts a fetched upgrader in place (the one file the upgrader cannot replace while it runs), asking
// whether to retry when the copy fails. True when every file of the upgrade is now in place; the
// caller then records the log's version.
bool complete_pending_upgrade(UpgradeLog& log, ports::MessagePort& messages);

// The upgrader leaves why it stopped; the client takes it once (the file is removed) and shows it.
bool write_upgrade_failure(const std::filesystem::path& program_directory, std::string_view text);
std::optional<std::string> take_upgrade_failure(const std::filesystem::path& program_directory);

}  // namespace brindle::app
