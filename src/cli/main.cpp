// brindle-cli: a scriptable front over the client core.

#include <iostream>
#include <optional>
#include <string>
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

namespace {

constexpr const char* kUsage =
    "usage: brindle-cli [--ini PATH] [--user NAME] [--password PASS] [--odds-format FORMAT] COMMAND ...\n"
    "  FORMAT: decimal, hongkong, malay or indonesian, how prices are printed (the settings file's\n"
    "  choice by default); what is sent keeps the service's own prices\n"
    "  request SUBJECT_ID [TXTPARA]   send one request to the current server, print the reply lines\n"
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

int usage(std::ostream& err) {
  err << kUsage;
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

  std::vector<std::string> args(argv + 1, argv + argc);
  std::optional<net::OddsFormat> odds_format;  // the command line's, over the settings file's
  std::size_t i = 0;
  for (; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool has_value = i + 1 < args.size();
    if (a == "--ini" && has_value) {
      context.settings_file = args[++i];
      context.state_directory = std::filesystem::absolute(context.settings_file).parent_path();
    } else if (a == "--user" && has_value) {
      context.user_name = args[++i];
    } else if (a == "--password" && has_value) {
      context.password = args[++i];
    } else if (a == "--odds-format" && has_value) {
      odds_format = net::parse_odds_format(args[++i]);
      if (!odds_format) {
        std::cerr << "brindle-cli: --odds-format takes decimal, hongkong, malay or indonesian, not \""
                  << args[i] << "\"\n";
        return usage(std::cerr);
      }
    } else if (a == "--help" || a == "-h") {
      std::cout << kUsage;
      return 0;
    } else if (a == "--version") {
      std::cout << "brindle-cli " BRINDLE_VERSION "\n";
      return 0;
    } else if (a.rfind("--", 0) == 0) {
      std::cerr << "brindle-cli: unknown or incomplete option " << a << "\n";
      return usage(std::cerr);
    } else {
      break;
    }
  }
  if (i == args.size()) return usage(std::cerr);
  if (context.state_directory.empty()) {
    if (auto settled = app::settle_state_directory(context); !settled)
      std::cerr << "brindle-cli: " << settled.error() << "\n";
  }
  const std::string command = args[i];
  const std::vector<std::string> rest(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
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
  if (command == "export") return cli::run_export_command(context, rest, std::cout, std::cerr);
  std::cerr << "brindle-cli: unknown command " << command << "\n";
  return usage(std::cerr);
}
