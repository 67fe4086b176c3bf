// What the server leaves on disk: a data folder only its owner can read, whatever the umask, and the
// durability the operator asked for.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "server/server.h"
#include "server/server_config.h"
#include "server/storage/database.h"
#include "support/postgresql_schema.h"
#include "support/temp_dir.h"

namespace brindle::server {
namespace {

namespace fs = std::filesystem;

unsigned mode_of(const fs::path& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return 0;
  return info.st_mode & 07777;
}

// Sets the process's umask for one scope; the server's threads start and end inside it.
class Umask {
 public:
  explicit Umask(mode_t mask) : saved_(::umask(mask)) {}
  ~Umask() { ::umask(saved_); }
  Umask(const Umask&) = delete;
  Umask& operator=(const Umask&) = delete;

 private:
  mode_t saved_;
};

std::unique_ptr<Server> start_in(const fs::path& data_dir, ServerConfig config = {}) {
  ServerOptions options;
  options.data_dir = data_dir;
  options.config = std::move(config);
  options.password_iterations = 1;
  auto started = Server::start(std::move(options));
  EXPECT_TRUE(started.ok()) << started.error();
  return started.ok() ? std::move(started).value() : nullptr;
}

const std::vector<std::string> kPrivateFiles = {"brindle.db", "brindle.db-wal", "brindle.db-shm", "cert.pem",
                                                "key.pem"};

void expect_private(const fs::path& data_dir, const std::string& context) {
  EXPECT_EQ(mode_of(data_dir), 0700u) << context;
  for (const auto& name : kPrivateFiles) {
    ASSERT_TRUE(fs::exists(data_dir / name)) << context << ": " << name;
    EXPECT_EQ(mode_of(data_dir / name), 0600u) << context << ": " << name;
  }
}

TEST(DataFolder, IsTheOwnersAloneWhateverTheUmask) {
  if (testing::on_postgresql()) GTEST_SKIP() << "the SQLite file\'s own";
  // 0177 takes the owner's own search right off a new folder, 0 leaves everything to everyone.
  for (mode_t mask : {0000U, 0022U, 0077U, 0177U}) {
    testing::TempDir dir;
    Umask umask(mask);
    auto server = start_in(dir / "data");
    ASSERT_TRUE(server);
    expect_private(dir / "data", "umask " + std::to_string(mask));
  }
}

TEST(DataFolder, ParentsAreMadeAndOnlyTheDataFolderIsRestricted) {
  if (testing::on_postgresql()) GTEST_SKIP() << "the SQLite file\'s own";
  testing::TempDir dir;
  Umask umask(0022);
  auto server = start_in(dir / "srv" / "data");
  ASSERT_TRUE(server);
  EXPECT_EQ(mode_of(dir / "srv"), 0755u);
  expect_private(dir / "srv" / "data", "nested");
}

TEST(DataFolder, WhatAnEarlierVersionLeftReadableIsTightenedOnStart) {
  if (testing::on_postgresql()) GTEST_SKIP() << "the SQLite file\'s own";
  testing::TempDir dir;
  const fs::path data = dir / "data";
  ASSERT_TRUE(start_in(data));
  // As an earlier version left them: the folder and files readable by everyone, a WAL and
  // shared-memory file still there from a process that did not close cleanly.
  ::chmod(data.c_str(), 0755);
  for (const auto& name : kPrivateFiles) {
    if (!fs::exists(data / name)) testing::write_file(data / name, "");
    ::chmod((data / name).c_str(), 0644);
  }
  auto server = start_in(data);
  ASSERT_TRUE(server);
  expect_private(data, "restarted");
}

int synchronous_setting(storage::Database& db, bool writer) {
  auto ask = [](storage::Connection& c) -> Result<int> {
    auto statement = c.prepare("PRAGMA synchronous");
    if (!statement) return Result<int>::failure(statement.error());
    auto row = statement->step();
    if (!row) return Result<int>::failure(row.error());
    return static_cast<int>(statement->column_int64(0));
  };
  auto value = writer ? db.transaction(ask) : db.read(ask);
  EXPECT_TRUE(value.ok()) << value.error();
  return value.ok() ? value.value() : -1;
}

TEST(DataFolder, FullSyncFromTheConfigurationReachesEveryConnection) {
  if (testing::on_postgresql()) GTEST_SKIP() << "the SQLite file\'s own";
  const struct {
    std::string_view config;
    int synchronous;  // SQLite's number: 1 NORMAL, 2 FULL
  } cases[] = {
      {"", 1},
      {"[server]\nfull_sync = 0\n", 1},
      {"[server]\nfull_sync = 1\n", 2},
  };
  for (const auto& c : cases) {
    testing::TempDir dir;
    auto config = parse_server_config(c.config);
    ASSERT_TRUE(config.ok()) << config.error();
    auto server = start_in(dir / "data", std::move(config).value());
    ASSERT_TRUE(server);
    for (bool writer : {true, false}) {
      EXPECT_EQ(synchronous_setting(*server->services().db, writer), c.synchronous) << c.config << writer;
    }
  }
}

}  // namespace
}  // namespace brindle::server
