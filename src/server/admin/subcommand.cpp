#include "server/admin/subcommand.h"

#include <algorithm>
#include <ostream>
#include <utility>

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
  return text;
}

int SubcommandTable::run(std::span<const std::string_view> args, CommandContext& context,
                         std::string_view default_command) const {
  if (!args.empty() && (args.front() == "--help" || args.front() == "-h" || args.front() == "help")) {
    context.out << overview();
    return 0;
  }
  const Subcommand* command = nullptr;
  auto rest = args;
  if (args.empty() || args.front().starts_with('-')) {
    command = find(default_command);
  } else {
    command = find(args.front());
    rest = args.subspan(1);
    if (command == nullptr) {
      context.err << "brindle-server: unknown command '" << args.front() << "'\n\n" << overview();
      return 2;
    }
  }
  if (command == nullptr) {
    context.err << overview();
    return 2;
  }
  if (std::any_of(rest.begin(), rest.end(), [](std::string_view a) { return a == "--help" || a == "-h"; })) {
    context.out << command->usage;
    return 0;
  }
  return command->run(rest, context);
}

std::optional<std::string_view> ParsedOptions::value(std::string_view name) const {
  auto found = values.find(name);
  if (found == values.end()) return std::nullopt;
  return std::string_view(found->second);
}

Result<ParsedOptions> parse_options(std::span<const std::string_view> args,
                                    std::span<const std::string_view> value_options,
                                    std::span<const std::string_view> flag_options) {
  using R = Result<ParsedOptions>;
  auto known = [](std::span<const std::string_view> list, std::string_view name) {
    return std::find(list.begin(), list.end(), name) != list.end();
  };
  ParsedOptions parsed;
  bool options_ended = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const auto arg = args[i];
    if (options_ended || !arg.starts_with("--")) {
      parsed.positional.emplace_back(arg);
      continue;
    }
    if (arg == "--") {
      options_ended = true;
      continue;
    }
    std::string_view name = arg;
    std::optional<std::string_view> value;
    if (auto equals = arg.find('='); equals != std::string_view::npos) {
      name = arg.substr(0, equals);
      value = arg.substr(equals + 1);
    }
    if (known(flag_options, name)) {
      if (value) return R::failure(std::string(name) + " takes no value");
      parsed.flags.emplace(name);
      continue;
    }
    if (!known(value_options, name)) return R::failure("unknown option '" + std::string(arg) + "'");
    if (!value) {
      if (i + 1 >= args.size()) return R::failure(std::string(name) + " needs a value");
      value = args[++i];
    }
    parsed.values.insert_or_assign(std::string(name), std::string(*value));
  }
  return parsed;
}

}  // namespace brindle::server::admin
