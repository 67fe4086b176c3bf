// brindle-cli: a scriptable front over the client core.

#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/call_command.h"
#include "cli/client_transport.h"
#include "cli/export_command.h"
#include "cli/lists_command.h"
#include "cli/notation_commands.h"
#include "cli/open_market_command.h"
#include "cli/request_command.h"
#include "core/app/program_directory.h"
#include "core/app/state_directory.h"
#include "core/net/client_context.h"
#include "core/net/odds_format_setting.h"
#include "core/net/settings.h"
#include "server/parse_errors.h"

namespace {

constexpr const char* kUsage =
    "usage: brindle-cli [--ini PATH] [--user NAME] [--password PASS] [--odds-format FORMAT] COMMAND ...\n"
    "  FORMAT: decimal, hongkong, malay or indonesian, how prices are printed (the settings file's\n"
    "  choice by default); what is sent keeps the service's own prices\n"
    "\n"
    "  request SUBJECT_ID [TXTPARA]   send one request to the current server, print the reply lines\n"
    "  request --records SUBJECT_ID [TXTPARA]   the same, printing the reply's records as JSON\n"
    "  lists fetch                    fetch the server and proxy lists, write their caches\n"
    "  notation WHAT ARGS...          print a text of the service's notation\n"
    "  explain asian|basketball|totals ARGS...   print a bet explanation\n"
    "  call OPERATION [ARGS...]       run one catalogue operation, print its records as JSON\n"
    "  parlay quote PRICE,... MASK:STAKE,... [CURRENCY]   print a parlay's total stake and payout\n"
    "  open-market KIND MATCH STAKE CODE:ODDS,... [--dry-run]   open a market as banker\n"
    "  export statement START END     print the statement window's list as CSV\n"
    "  export records TAB [START END]  print a records window tab's list as CSV\n"
    "  trust HOST:PORT FINGERPRINT    hold that server to this key from now on (after checking it)\n"
    "  help                           list the catalogue's operations\n";

// The commands; each checks its own arguments.
constexpr std::array<std::string_view, 10> kCommands{"request", "lists",  "notation",    "explain", "call",
                                                     "parlay",  "export", "open-market", "trust",   "help"};

int usage_error(std::string_view problem) {
  std::cerr << "brindle-cli: " << problem << "\n\n" << kUsage;
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace brindle;
  net::ClientContext context;
  if (auto directory = app::program_directory(argc > 0 ? argv[0] : "")) {
    context.program_directory = directory.value();
  } else {
    std::cerr << "brindle-cli: " << directory.error() << "\n";
    return 1;
  }

  // The global options come before the command; the command word and every word after it are left
  // to the command, options included.
  CLI::App parser{"", "brindle-cli"};
  parser.set_help_flag("-h,--help");
  parser.prefix_command();
  std::string ini, user_name, password, odds_name;
  const auto take_last = CLI::MultiOptionPolicy::TakeLast;
  parser.add_option("--ini", ini)->multi_option_policy(take_last);
  parser.add_option("--user", user_name)->multi_option_policy(take_last);
  parser.add_option("--password", password)->multi_option_policy(take_last);
  parser.add_option("--odds-format", odds_name)->multi_option_policy(take_last);
  parser.add_flag("--version")->disable_flag_override();
  try {
    parser.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    std::cout << kUsage;
    return 0;
  } catch (const CLI::ParseError& error) {
    return usage_error(server::parse_problem(error, parser));
  }
  if (parser.count("--version") > 0) {
    std::cout << "brindle-cli " BRINDLE_VERSION "\n";
    return 0;
  }
  if (parser.count("--ini") > 0) {
    context.settings_file = ini;
    context.state_directory = std::filesystem::absolute(context.settings_file).parent_path();
  }
  if (parser.count("--user") > 0) context.user_name = user_name;
  if (parser.count("--password") > 0) context.password = password;
  std::optional<net::OddsFormat> odds_format;  // the command line's, over the settings file's
  if (parser.count("--odds-format") > 0) {
    odds_format = net::parse_odds_format(odds_name);
    if (!odds_format) {
      return usage_error("--odds-format takes decimal, hongkong, malay or indonesian, not \"" + odds_name +
                         "\"");
    }
  }
  const std::vector<std::string> words = parser.remaining();
  if (words.empty()) return usage_error("no command given");
  const std::string& command = words.front();
  if (command.starts_with('-')) return usage_error("unknown option '" + command + "'");
  if (std::find(kCommands.begin(), kCommands.end(), command) == kCommands.end())
    return usage_error("unknown command '" + command + "'");
  const std::vector<std::string> rest(words.begin() + 1, words.end());

  if (context.state_directory.empty()) {
    if (auto settled = app::settle_state_directory(context); !settled)
      std::cerr << "brindle-cli: " << settled.error() << "\n";
  }
  if (command == "notation") return cli::run_notation_command(rest, std::cout, std::cerr);
  if (command == "explain") return cli::run_explain_command(rest, std::cout, std::cerr);
  if (command == "help") return cli::run_help_command(std::cout);
  if (command == "parlay") {
    if (!odds_format) net::odds_format_load(context);
    return cli::run_parlay_command(rest, std::cout, std::cerr, odds_format.value_or(context.odds_format));
  }
  if (command == "trust") return cli::run_trust_command(context, rest, std::cout, std::cerr);

  // The commands that talk to a server read the settings first.
  (void)net::settings_load(context);
  if (odds_format) context.odds_format = *odds_format;
  if (command == "request") return cli::run_request_command(context, rest, std::cout, std::cerr);
  if (command == "lists") return cli::run_lists_command(context, rest, std::cout, std::cerr);
  if (command == "call") return cli::run_call_command(context, rest, std::cout, std::cerr);
  if (command == "open-market") return cli::run_open_market_command(context, rest, std::cout, std::cerr);
  return cli::run_export_command(context, rest, std::cout, std::cerr);
}
