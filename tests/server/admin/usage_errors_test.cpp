#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "server/admin/account_commands.h"
#include "server/admin/copy_command.h"
#include "server/admin/fingerprint_command.h"
#include "server/admin/market_commands.h"
#include "server/admin/member_commands.h"
#include "server/admin/release_commands.h"
#include "server/admin/serve_command.h"
#include "server/admin/subcommand.h"

namespace brindle::server::admin {
namespace {

// The table brindle-server runs, every command in it.
class UsageErrorsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (auto added :
         {add_serve_command(table_), add_account_commands(table_), add_market_commands(table_, {}),
          add_member_commands(table_), add_release_commands(table_), add_copy_command(table_),
          add_fingerprint_command(table_)}) {
      ASSERT_TRUE(added.ok()) << added.error();
    }
    table_.set_version("brindle-server 9.9");
  }

  int run(std::vector<std::string_view> args) {
    out_.str({});
    err_.str({});
    CommandContext context{out_, err_, nullptr, 1000};
    return table_.run(args, context);
  }

  std::vector<std::string> names() {
    run({"--help"});
    std::vector<std::string> found;
    std::istringstream lines(out_.str().substr(out_.str().find("commands:\n") + 10));
    for (std::string line; std::getline(lines, line) && line.starts_with("  ");)
      found.push_back(line.substr(2, line.find(' ', 2) - 2));
    return found;
  }

  SubcommandTable table_;
  std::ostringstream out_, err_;
};

TEST_F(UsageErrorsTest, EveryCommandRefusesABadLineTheSameWayWithExitCode2) {
  const auto commands = names();
  ASSERT_GE(commands.size(), 17u);
  for (const auto& name : commands) {
    const std::string command = "brindle-server " + name;
    ASSERT_EQ(run({name, "--no-such-option"}), 2) << name;
    const std::string err = err_.str();
    EXPECT_TRUE(err.starts_with("brindle-server: unknown option '--no-such-option'\nusage: " + command))
        << err;
    EXPECT_TRUE(err.ends_with("\n(" + command + " --help for more)\n")) << err;
    EXPECT_EQ(err.find("\n\n"), std::string::npos) << "the usage lines alone, not the whole help: " << err;
    if (name == "copy-database") continue;  // its --data-dir is optional, so --from comes first
    EXPECT_EQ(run({name, "--data-dir"}), 2) << name;
    EXPECT_TRUE(err_.str().starts_with("brindle-server: --data-dir needs a value\n")) << err_.str();

    ASSERT_EQ(run({name, "--help"}), 0) << name;
    EXPECT_TRUE(out_.str().starts_with("usage: " + command)) << out_.str();
  }
}

TEST_F(UsageErrorsTest, TheTableAnswersVersionAndHelpAndServesOptionsWithoutACommand) {
  EXPECT_EQ(run({"--version"}), 0);
  EXPECT_EQ(out_.str(), "brindle-server 9.9\n");
  EXPECT_EQ(run({"help"}), 0);
  EXPECT_NE(out_.str().find("  --version"), std::string::npos) << out_.str();
  // Options first go to serve, whose problems name serve.
  EXPECT_EQ(run({"--data-dir", "d", "--port", "1"}), 2);
  EXPECT_TRUE(err_.str().starts_with("brindle-server: unknown option '--port'\nusage: brindle-server serve"))
      << err_.str();
  EXPECT_TRUE(err_.str().ends_with("(brindle-server serve --help for more)\n")) << err_.str();
}

}  // namespace
}  // namespace brindle::server::admin
