// brindle-cli's own command line: the global options, the command word, and its usage errors.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "cli_run.h"
#include "support/temp_dir.h"

namespace {

using brindle::testing::read_file;
using brindle::testing::TempDir;

using brindle::testing::CommandResult;

CommandResult run(const TempDir& dir, const std::string& arguments) {
  return brindle::testing::run_cli(dir, arguments);
}

TEST(CliCommandLine, UsageErrorsNameTheProblemThenShowTheUsage) {
  TempDir dir;
  const std::pair<const char*, const char*> cases[] = {
      {"", "no command given"},
      {"--bogus help", "unknown option '--bogus'"},
      {"--ini", "--ini needs a value"},
      {"frob", "unknown command 'frob'"},
      {"--odds-format x help", "--odds-format takes decimal, hongkong, malay or indonesian, not \"x\""},
  };
  for (const auto& [arguments, problem] : cases) {
    const auto result = run(dir, arguments);
    EXPECT_EQ(result.exit_code, 2) << arguments;
    EXPECT_EQ(
        result.err.rfind(std::string("brindle-cli: ") + problem + "\n\nusage: brindle-cli [--ini PATH]", 0),
        0u)
        << arguments << ": " << result.err;
    EXPECT_EQ(result.out, "") << arguments;
  }
}

TEST(CliCommandLine, EveryWordAfterTheCommandIsTheCommands) {
  TempDir dir;
  const auto result = run(dir, "--ini " + (dir / "Vantora.ini").string() + " explain --version");
  EXPECT_EQ(result.exit_code, 2);
  EXPECT_NE(result.err.find("unknown explain command \"--version\""), std::string::npos) << result.err;
  EXPECT_EQ(result.out, "");
}

TEST(CliCommandLine, HelpSetsTheFormatParagraphApartFromTheCommands) {
  TempDir dir;
  const auto result = run(dir, "--help");
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_NE(result.out.find("own prices\n\n  request SUBJECT_ID"), std::string::npos) << result.out;
}

}  // namespace
