#pragma once

#include <functional>
#include <iosfwd>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "wire/result.h"

namespace brindle::server::admin {

// What a subcommand runs with besides its arguments.
struct CommandContext {
  std::ostream& out;
  std::ostream& err;
  std::istream* in = nullptr;  // for commands that may read a password; null when there is none
  // PBKDF2 iterations for passwords that commands set; tests lower it.
  unsigned password_iterations = 100'000;
};

// One "brindle-server NAME ..." command. run receives the arguments after NAME (never "--help",
// which the table answers with usage) and returns the process exit code: 0 done, 1 failed, 2 bad
// command line.
struct Subcommand {
  std::string name;
  std::string summary;  // one line for the overview
  std::string usage;    // the whole --help text
  std::function<int(std::span<const std::string_view> args, CommandContext& context)> run;
};

class SubcommandTable final {
 public:
  // Refuses an empty or a taken name.
  Result<void> add(Subcommand command);
  const Subcommand* find(std::string_view name) const;

  // "usage: brindle-server COMMAND ..." and one line per command.
  std::string overview() const;

  // args leaves out the program name. No command, or a first argument that starts with "-" and is
  // not --help, runs default_command with all the arguments (so "brindle-server --listen ..."
  // serves). "--help" anywhere among a command's arguments prints its usage.
  int run(std::span<const std::string_view> args, CommandContext& context,
          std::string_view default_command = "serve") const;

  // "--version" prints text; without it there is no --version.
  void set_version(std::string text) { version_ = std::move(text); }

 private:
  std::map<std::string, Subcommand, std::less<>> commands_;
  std::string version_;
};

// A command line a command refuses: "brindle-server: PROBLEM", the usage lines of usage (up to its
// first blank line) and where to read the rest. Returns 2, the exit code of a bad command line.
int usage_error(CommandContext& context, std::string_view usage, std::string_view problem);

// "--name VALUE", "--name=VALUE" and bare flags, then positional arguments.
struct ParsedOptions {
  std::map<std::string, std::string, std::less<>> values;
  std::set<std::string, std::less<>> flags;
  std::vector<std::string> positional;

  std::optional<std::string_view> value(std::string_view name) const;
  bool flag(std::string_view name) const { return flags.contains(name); }
};

// value_options and flag_options name the options with their "--". An unknown option, a missing
// or empty value or a flag given a value is refused with a line to print. A value option given twice
// keeps the last value; "--" ends the options.
Result<ParsedOptions> parse_options(std::span<const std::string_view> args,
                                    std::span<const std::string_view> value_options,
                                    std::span<const std::string_view> flag_options = {});

}  // namespace brindle::server::admin
