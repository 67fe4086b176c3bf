#include "server/operations/log.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>

namespace brindle::server::operations::log {
namespace {

constexpr std::string_view kLevelVariable = "BRINDLE_LOG_LEVEL";

std::string_view plain_prefix(Level level) {
  switch (level) {
    case Level::error:
      return "error: ";
    case Level::warning:
      return "warning: ";
    case Level::info:
      return "info: ";
    case Level::debug:
      return "debug: ";
  }
  return "";
}

// JOURNAL_STREAM is inherited by children whose stderr may point elsewhere, so it counts only when
// it names the very file fd is.
bool connected_to_journal(int fd) {
  const char* stream = std::getenv("JOURNAL_STREAM");
  if (stream == nullptr) return false;
  std::string_view text(stream);
  const auto colon = text.find(':');
  if (colon == std::string_view::npos) return false;
  unsigned long long device = 0, inode = 0;
  auto parse = [](std::string_view digits, unsigned long long& value) {
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return !digits.empty() && ec == std::errc{} && end == digits.data() + digits.size();
  };
  if (!parse(text.substr(0, colon), device) || !parse(text.substr(colon + 1), inode)) return false;
  struct stat st {};
  if (fstat(fd, &st) != 0) return false;
  return static_cast<unsigned long long>(st.st_dev) == device &&
         static_cast<unsigned long long>(st.st_ino) == inode;
}

}  // namespace

std::optional<Level> parse_level(std::string_view name) {
  if (name == "debug") return Level::debug;
  if (name == "info") return Level::info;
  if (name == "warning") return Level::warning;
  if (name == "error") return Level::error;
  return std::nullopt;
}

Logger::Logger(int fd) : fd_(fd), minimum_(Level::info), journal_(connected_to_journal(fd)) {
  const char* wanted = std::getenv(kLevelVariable.data());
  if (wanted == nullptr || *wanted == '\0') return;
  if (auto level = parse_level(wanted)) {
    minimum_ = *level;
  } else {
    write(Level::warning, std::string(kLevelVariable) + "=" + wanted +
                              " is not debug, info, warning or error; logging from info");
  }
}

std::string Logger::line(Level level, std::string_view message, bool journal) {
  // The line break callers habitually end with is not part of the message.
  if (message.ends_with('\n')) message.remove_suffix(1);
  std::string out;
  out.reserve(message.size() + 12);
  if (journal) {
    out += '<';
    out += static_cast<char>('0' + static_cast<int>(level));
    out += '>';
  } else {
    out += plain_prefix(level);
  }
  for (char c : message) {
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else {
      out += c;
    }
  }
  out += '\n';
  return out;
}

void Logger::write(Level level, std::string_view message) {
  if (!enabled(level)) return;
  const auto text = line(level, message, journal_);
  std::lock_guard lock(mutex_);
  std::string_view rest = text;
  while (!rest.empty()) {
    const auto written = ::write(fd_, rest.data(), rest.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return;  // nowhere left to say so
    }
    rest.remove_prefix(static_cast<std::size_t>(written));
  }
}

Logger& standard_error() {
  static Logger logger(STDERR_FILENO);
  return logger;
}

}  // namespace brindle::server::operations::log
