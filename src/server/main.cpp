#include <iostream>
#include <string_view>
#include <vector>

#include "server/admin/account_commands.h"
#include "server/admin/copy_command.h"
#include "server/admin/fingerprint_command.h"
#include "server/admin/market_commands.h"
#include "server/admin/member_commands.h"
#include "server/admin/release_commands.h"
#include "server/admin/serve_command.h"
#include "server/admin/subcommand.h"
#include "server/betting/match_settlement.h"

namespace {

int run(int argc, char** argv) {
  namespace admin = brindle::server::admin;
  admin::SubcommandTable table;
  // A result posted or a match finished by the admin commands is settled at once, in the same
  // process, rather than waiting for the running server to notice it.
  const admin::SettlerFactory settle_on = [](std::shared_ptr<brindle::server::storage::Database> db) {
    return brindle::server::betting::match_settler(db);
  };
  // Each group registers its own commands here.
  for (auto added : {admin::add_serve_command(table), admin::add_account_commands(table),
                     admin::add_market_commands(table, settle_on), admin::add_member_commands(table),
                     admin::add_release_commands(table), admin::add_copy_command(table),
                     admin::add_fingerprint_command(table)}) {
    if (!added) {
      std::cerr << "brindle-server: " << added.error() << '\n';
      return 1;
    }
  }
  table.set_version("brindle-server " BRINDLE_VERSION);
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  admin::CommandContext context{std::cout, std::cerr, &std::cin};
  return table.run(args, context);
}

}  // namespace

int main(int argc, char** argv) { return run(argc, argv); }
