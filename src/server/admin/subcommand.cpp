#include "server/admin/subcommand.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstddef>
#include <ostream>
#include <utility>

#include "server/parse_errors.h"

namespace brindle::server::admin {

Result<void> SubcommandTable::add(Subcommand command) {
  if (command.name.empty() || command.name.starts_with('-') || !command.run) {
    return Result<void>::failure("a subcommand needs a name and something to run");
  }
  const std::string name = command.name;
  if (!commands_.emplace(name, std::move(command)).second) {
    return Result<void>::failure("the subcommand '" + name + "' is registered twice");
  }
  return {};
}

const Subcommand* SubcommandTable::find(std::string_view name) const {
  auto found = commands_.find(name);
  return found == commands_.end() ? nullptr : &found->second;
}

std::string SubcommandTable::overview() const {
  std::string text =
      "usage: brindle-server COMMAND [OPTIONS]   (brindle-server COMMAND --help for more)\n\ncommands:\n";
  std::size_t width = 0;
  for (const auto& [name, command] : commands_) width = std::max(width, name.size());
  for (const auto& [name, command] : commands_) {
    text += "  " + name + std::string(width - name.size() + 2, ' ') + command.summary + "\n";
  }
  text += "\noptions:\n  --help     show this text; COMMAND --help shows the command's\n";
  if (!version_.empty()) text += "  --version  print the version\n";
  return text;
}

int SubcommandTable::run(std::span<const std::string_view> args, CommandContext& context,
                         std::string_view default_command) const {
  CLI::App app{"", "brindle-server"};
  app.set_help_flag("-h,--help");
  app.add_subcommand("help")->group("");
  if (!version_.empty()) app.add_flag("--version");
  // Each command parses its own arguments: the table only picks the command.
  for (const auto& [name, command] : commands_) {
    app.add_subcommand(name, command.summary)->prefix_command()->set_help_flag();
  }
  std::vector<std::string> words(args.begin(), args.end());
  const bool named = !words.empty() && (!words.front().starts_with('-') || words.front() == "--help" ||
                                        words.front() == "-h" || words.front() == "--version");
  if (!named) {
    if (find(default_command) == nullptr) {
      context.err << overview();
      return 2;
    }
    words.insert(words.begin(), std::string(default_command));
  }
  std::reverse(words.begin(), words.end());  // CLI11 takes them last first
  try {
    app.parse(words);
  } catch (const CLI::CallForHelp&) {
    context.out << overview();
    return 0;
  } catch (const CLI::ParseError& error) {
    const auto rest = app.remaining();
    if (dynamic_cast<const CLI::ExtrasError*>(&error) != nullptr && !rest.empty() &&
        !rest.front().starts_with('-')) {
      context.err << "brindle-server: unknown command '" << rest.front() << "'\n\n" << overview();
    } else {
      context.err << "brindle-server: " << parse_problem(error, app) << "\n\n" << overview();
    }
    return 2;
  }
  if (!version_.empty() && app.count("--version") > 0) {
    context.out << version_ << '\n';
    return 0;
  }
  const auto chosen = app.get_subcommands();
  if (chosen.empty() || chosen.front()->get_name() == "help") {
    context.out << overview();
    return 0;
  }
  const Subcommand& command = *find(chosen.front()->get_name());
  const std::vector<std::string> rest = chosen.front()->remaining();
  if (std::any_of(rest.begin(), rest.end(), [](std::string_view a) { return a == "--help" || a == "-h"; })) {
    context.out << command.usage;
    return 0;
  }
  // The command's words as the caller's own: the tail of `args`, which outlives the command (a runner
  // may keep them), rather than CLI11's copies, which go with this call.
  std::vector<std::string_view> rest_views;
  if (rest.size() <= args.size() &&
      std::equal(rest.begin(), rest.end(), args.end() - static_cast<std::ptrdiff_t>(rest.size()))) {
    rest_views.assign(args.end() - static_cast<std::ptrdiff_t>(rest.size()), args.end());
  } else {
    rest_views.assign(rest.begin(), rest.end());
  }
  return command.run(rest_views, context);
}

int usage_error(CommandContext& context, std::string_view usage, std::string_view problem) {
  // The usage lines, up to the first blank line, and the command's name from the first of them.
  const auto synopsis = usage.substr(0, std::min(usage.find("\n\n"), usage.size()));
  std::string_view command = synopsis.substr(std::min(synopsis.find(' ') + 1, synopsis.size()));
  const auto name_end = command.find(' ');
  const auto next = command.find_first_not_of(' ', name_end);
  const bool named = next != std::string_view::npos && command[next] != '[' && command[next] != '-';
  command = command.substr(0, named ? command.find(' ', next) : name_end);
  context.err << "brindle-server: " << problem << '\n'
              << synopsis << "\n(" << command << " --help for more)\n";
  return 2;
}

std::optional<std::string_view> ParsedOptions::value(std::string_view name) const {
  auto found = values.find(name);
  if (found == values.end()) return std::nullopt;
  return std::string_view(found->second);
}

Result<ParsedOptions> parse_options(std::span<const std::string_view> args,
                                    std::span<const std::string_view> value_options,
                                    std::span<const std::string_view> flag_options) {
  ParsedOptions parsed;
  CLI::App app{"", "brindle-server"};
  app.set_help_flag();  // the table answers --help
  std::map<std::string, std::string> values;
  std::map<std::string, bool> flags;
  for (const auto name : value_options) {
    app.add_option(std::string(name), values[std::string(name)])
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  }
  for (const auto name : flag_options)
    app.add_flag(std::string(name), flags[std::string(name)])->disable_flag_override();
  app.add_option("arguments", parsed.positional);
  std::vector<std::string> words(args.rbegin(), args.rend());  // CLI11 takes them last first
  try {
    app.parse(words);
  } catch (const CLI::ParseError& error) {
    return Result<ParsedOptions>::failure(server::parse_problem(error, app));
  }
  for (const auto name : value_options) {
    if (app.count(std::string(name)) > 0) parsed.values.emplace(name, values[std::string(name)]);
  }
  for (const auto& [name, given] : flags) {
    if (given) parsed.flags.insert(name);
  }
  return parsed;
}

}  // namespace brindle::server::admin
