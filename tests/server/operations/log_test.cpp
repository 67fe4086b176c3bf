#include "server/operations/log.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_dir.h"

namespace brindle::server::operations::log {
namespace {

// A file standing in for standard error, read back whole.
class LogFile {
 public:
  LogFile() : fd_(::open((dir_ / "stderr").c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600)) {}
  ~LogFile() { ::close(fd_); }
  int fd() const { return fd_; }
  std::string text() const { return testing::read_file(dir_ / "stderr"); }
  std::string stream_name() const {
    struct stat st {};
    ::fstat(fd_, &st);
    return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
  }

 private:
  testing::TempDir dir_;
  int fd_;
};

// Sets a variable for one test, putting back what was there.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~ScopedVariable() {
    if (old_) {
      ::setenv(name_, old_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(Log, OneCallIsOneLineWithItsLevel) {
  LogFile file;
  Logger plain(file.fd(), Level::info, false);
  plain.write(Level::error, "market feed: step failed\nat line 3\r\n");
  plain.write(Level::warning, "pool exhausted");
  plain.write(Level::info, "listening on https://127.0.0.1:47443");
  plain.write(Level::debug, "not shown below info");
  EXPECT_EQ(file.text(),
            "error: market feed: step failed\\nat line 3\\r\n"
            "warning: pool exhausted\n"
            "info: listening on https://127.0.0.1:47443\n");

  LogFile journal_file;
  Logger journal(journal_file.fd(), Level::debug, true);
  journal.write(Level::error, "a\nb");
  journal.write(Level::warning, "w");
  journal.write(Level::info, "i");
  journal.write(Level::debug, "d");
  EXPECT_EQ(journal_file.text(), "<3>a\\nb\n<4>w\n<6>i\n<7>d\n");
}

TEST(Log, PrioritiesOnlyWhenJournalStreamNamesThisVeryFile) {
  LogFile file, elsewhere;
  ScopedVariable no_level("BRINDLE_LOG_LEVEL", nullptr);
  {
    ScopedVariable stream("JOURNAL_STREAM", file.stream_name().c_str());
    Logger logger(file.fd());
    EXPECT_TRUE(logger.journal());
    EXPECT_EQ(logger.minimum(), Level::info);
  }
  {
    // Inherited by a child whose stderr went elsewhere.
    ScopedVariable stream("JOURNAL_STREAM", elsewhere.stream_name().c_str());
    EXPECT_FALSE(Logger(file.fd()).journal());
  }
  for (const char* garbage : {"", "12", "x:y", "1:2:3"}) {
    ScopedVariable stream("JOURNAL_STREAM", garbage);
    EXPECT_FALSE(Logger(file.fd()).journal()) << garbage;
  }
}

TEST(Log, MinimumLevelFromTheEnvironment) {
  LogFile file;
  ScopedVariable stream("JOURNAL_STREAM", nullptr);
  {
    ScopedVariable level("BRINDLE_LOG_LEVEL", "warning");
    Logger logger(file.fd());
    logger.write(Level::info, "quiet");
    logger.write(Level::warning, "loud");
  }
  {
    ScopedVariable level("BRINDLE_LOG_LEVEL", "verbose");
    Logger logger(file.fd());
    EXPECT_EQ(logger.minimum(), Level::info);
  }
  EXPECT_EQ(file.text(),
            "warning: loud\n"
            "warning: BRINDLE_LOG_LEVEL=verbose is not debug, info, warning or error; logging from info\n");
}

TEST(Log, LinesFromManyThreadsStayWhole) {
  LogFile file;
  Logger logger(file.fd(), Level::info, false);
  constexpr int kThreads = 8, kLines = 400;
  const std::string filler(300, 'x');
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kLines; ++i) logger.write(Level::info, std::to_string(t) + " " + filler);
    });
  }
  for (auto& thread : threads) thread.join();
  std::istringstream lines(file.text());
  std::map<std::string, int> per_thread;
  for (std::string line; std::getline(lines, line);) {
    ASSERT_TRUE(line.starts_with("info: ") && line.ends_with(" " + filler)) << line;
    ++per_thread[line.substr(6, line.size() - 6 - filler.size() - 1)];
  }
  ASSERT_EQ(per_thread.size(), std::size_t{kThreads});
  for (const auto& [thread, count] : per_thread) EXPECT_EQ(count, kLines) << thread;
}

}  // namespace
}  // namespace brindle::server::operations::log
