// Where brindle-cli keeps what it learns, run from a copy of the program in a folder of the test's.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace {

using brindle::testing::read_file;
using brindle::testing::TempDir;
using brindle::testing::write_file;

const std::string kKey = std::string(43, 'A') + "=";

class CliStateFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(program_);
    std::filesystem::copy_file(BRINDLE_CLI_PATH, program_ / "brindle-cli");
    ::chmod((program_ / "brindle-cli").c_str(), 0755);
    write_file(program_ / "Vantora.ini", "[SERVER]\r\nCurrent Server=operator.test\r\n");
  }
  void TearDown() override { ::chmod(program_.c_str(), 0755); }

  int trust() {
    const std::string command = "XDG_CONFIG_HOME=" + config_.string() + " " +
                                (program_ / "brindle-cli").string() + " trust a.test:443 " + kKey + " >" +
                                (dir_ / "out.txt").string() + " 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  TempDir dir_;
  std::filesystem::path program_ = dir_ / "program";
  std::filesystem::path config_ = dir_ / "config";
};

TEST_F(CliStateFolder, WritableProgramDirectoryKeepsTheKeysBesideTheProgram) {
  ASSERT_EQ(trust(), 0) << read_file(dir_ / "out.txt");
  EXPECT_NE(read_file(program_ / "known_keys.txt").find(kKey), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(config_));
}

TEST_F(CliStateFolder, UnwritableProgramDirectoryKeepsThemInTheUsersFolder) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes into any folder whatever its mode";
  ::chmod(program_.c_str(), 0555);
  ASSERT_EQ(trust(), 0) << read_file(dir_ / "out.txt");
  EXPECT_NE(read_file(config_ / "brindle" / "known_keys.txt").find(kKey), std::string::npos);
  EXPECT_EQ(read_file(config_ / "brindle" / "Vantora.ini"), "[SERVER]\r\nCurrent Server=operator.test\r\n");
  EXPECT_FALSE(std::filesystem::exists(program_ / "known_keys.txt"));
}

}  // namespace
