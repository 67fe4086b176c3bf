#include "core/app/program_directory.h"

#include <errno.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace brindle::app {
namespace {

TEST(ProgramDirectory, IsTheExecutablesFolderFromAnyWorkingDirectory) {
  const auto here = program_directory();
  ASSERT_TRUE(here.ok()) << here.error();
  EXPECT_TRUE(here->is_absolute());
  EXPECT_TRUE(std::filesystem::exists(here.value() / program_invocation_short_name));

  const auto original = std::filesystem::current_path();
  testing::TempDir elsewhere;
  std::filesystem::current_path(elsewhere.path());
  const auto there = program_directory();
  std::filesystem::current_path(original);
  ASSERT_TRUE(there.ok());
  EXPECT_EQ(there.value(), here.value());
}

TEST(ProgramDirectory, FallsBackOnArgv0) {
  testing::TempDir dir;
  std::filesystem::create_directories(dir / "b");
  testing::write_file(dir / "b" / "brindle", "#!/bin/sh\n");
  ::chmod((dir / "b" / "brindle").c_str(), 0755);
  std::filesystem::create_directories(dir / "a");
  testing::write_file(dir / "a" / "brindle", "not executable");

  EXPECT_EQ(program_directory_from_argv0("/opt/x/brindle", "/home/u", "").value(), "/opt/x");
  EXPECT_EQ(program_directory_from_argv0("./bin/brindle", "/home/u", "").value(), "/home/u/bin");
  EXPECT_EQ(program_directory_from_argv0("../x/brindle", "/home/u", "").value(), "/home/x");
  EXPECT_EQ(program_directory_from_argv0("brindle", dir.path(), "a:b").value(), dir / "b");
  EXPECT_FALSE(program_directory_from_argv0("brindle", dir.path(), "a").ok());
  EXPECT_FALSE(program_directory_from_argv0("", dir.path(), "b").ok());
}

// An installation's bin/brindle is a link into lib/brindle, where the skin and the settings are.
TEST(ProgramDirectory, FallbackFollowsALinkToTheProgramFile) {
  testing::TempDir dir;
  std::filesystem::create_directories(dir / "lib" / "brindle");
  testing::write_file(dir / "lib" / "brindle" / "brindle", "#!/bin/sh\n");
  ::chmod((dir / "lib" / "brindle" / "brindle").c_str(), 0755);
  std::filesystem::create_directories(dir / "bin");
  std::filesystem::create_symlink("../lib/brindle/brindle", dir / "bin" / "brindle");
  std::filesystem::create_symlink("bin", dir / "links");
  const auto real = std::filesystem::canonical(dir / "lib" / "brindle");

  EXPECT_EQ(program_directory_from_argv0("bin/brindle", dir.path(), "").value(), real);
  EXPECT_EQ(program_directory_from_argv0((dir / "links" / "brindle").string(), "/", "").value(), real);
  EXPECT_EQ(program_directory_from_argv0("brindle", dir.path(), "nowhere:bin").value(), real);
}

}  // namespace
}  // namespace brindle::app
