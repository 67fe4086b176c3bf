#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace brindle::server::operations::log {

// The syslog priorities, as journald reads them from a "<N>" line prefix.
enum class Level { error = 3, warning = 4, info = 6, debug = 7 };

// "debug", "info", "warning" or "error".
std::optional<Level> parse_level(std::string_view name);

// Whole lines to one file descriptor. Under systemd, stderr is a stream to the journal, which names it
// in JOURNAL_STREAM ("device:inode"); lines there carry their priority as "<3>", elsewhere as
// "error: ". A message's own line breaks are shown as \n so that one message is one line, written
// with one write(2), never interleaved with another thread's.
class Logger {
 public:
  Logger(int fd, Level minimum, bool journal) : fd_(fd), minimum_(minimum), journal_(journal) {}
  // The minimum level from BRINDLE_LOG_LEVEL (default info), the prefix from JOURNAL_STREAM.
  explicit Logger(int fd);

  bool enabled(Level level) const { return static_cast<int>(level) <= static_cast<int>(minimum_); }
  void write(Level level, std::string_view message);
  Level minimum() const { return minimum_; }
  bool journal() const { return journal_; }

  static std::string line(Level level, std::string_view message, bool journal);

 private:
  int fd_;
  Level minimum_;
  bool journal_;
  std::mutex mutex_;  // a line that write(2) takes only in part is finished before the next begins
};

// The process's logger on standard error, set up from the environment at first use.
Logger& standard_error();

inline void error(std::string_view message) { standard_error().write(Level::error, message); }
inline void warning(std::string_view message) { standard_error().write(Level::warning, message); }
inline void info(std::string_view message) { standard_error().write(Level::info, message); }
inline void debug(std::string_view message) { standard_error().write(Level::debug, message); }
inline bool enabled(Level level) { return standard_error().enabled(level); }

}  // namespace brindle::server::operations::log
