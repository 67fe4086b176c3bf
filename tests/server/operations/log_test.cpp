#include "server/operations/log.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_dir.h"

namespace brindle::server::operations::log {
namespace {

// A file standing in for standard error.
struct LogFile {
  testing::TempDir dir;
  int fd = ::open((dir / "stderr").c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  ~LogFile() { ::close(fd); }
  std::string text() const { return testing::read_file(dir / "stderr"); }
  std::string stream_name() const {
    struct stat st {};
    ::fstat(fd, &st);
    return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
  }
};

TEST(Log, OneCallIsOneLineWithItsLevel) {
  LogFile plain_file, journal_file;
  Logger plain(plain_file.fd, Level::info, false);
  plain.write(Level::error, "market feed: step failed\nat line 3\r\n");
  plain.write(Level::warning, "pool exhausted");
  plain.write(Level::debug, "not shown below info");
  EXPECT_EQ(plain_file.text(), "error: market feed: step failed\\nat line 3\\r\nwarning: pool exhausted\n");

  Logger journal(journal_file.fd, Level::debug, true);
  for (auto level : {Level::error, Level::warning, Level::info, Level::debug}) journal.write(level, "a\nb");
  EXPECT_EQ(journal_file.text(), "<3>a\\nb\n<4>a\\nb\n<6>a\\nb\n<7>a\\nb\n");
}

TEST(Log, PrioritiesOnlyWhenJournalStreamNamesThisVeryFileAndTheLevelFromTheEnvironment) {
  LogFile file, elsewhere;
  ::setenv("BRINDLE_LOG_LEVEL", "warning", 1);
  ::setenv("JOURNAL_STREAM", file.stream_name().c_str(), 1);
  Logger(file.fd).write(Level::info, "quiet");
  Logger(file.fd).write(Level::warning, "loud");
  // Inherited by a child whose stderr went elsewhere, or not the journal's at all.
  for (auto stream : {elsewhere.stream_name(), std::string("12"), std::string("x:y"), std::string("1:2:3")}) {
    ::setenv("JOURNAL_STREAM", stream.c_str(), 1);
    EXPECT_FALSE(Logger(file.fd).journal()) << stream;
  }
  ::setenv("BRINDLE_LOG_LEVEL", "verbose", 1);
  EXPECT_EQ(Logger(file.fd).minimum(), Level::info);
  ::unsetenv("BRINDLE_LOG_LEVEL");
  ::unsetenv("JOURNAL_STREAM");
  EXPECT_EQ(file.text(),
            "<4>loud\n"
            "warning: BRINDLE_LOG_LEVEL=verbose is not debug, info, warning or error; logging from info\n");
}

TEST(Log, LinesFromManyThreadsStayWhole) {
  LogFile file;
  Logger logger(file.fd, Level::info, false);
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
