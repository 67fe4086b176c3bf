#include "server/admin/copy_command.h"

#include <filesystem>
#include <iomanip>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "server/accounts/ledger.h"
#include "server/admin/admin_database.h"
#include "server/services.h"
#include "server/storage/database_copy.h"

namespace brindle::server::admin {
namespace {

constexpr std::string_view kFrom = "--from";
constexpr std::string_view kTo = "--to";

constexpr std::string_view kCopyUsage =
    "usage: brindle-server copy-database --from URL --to URL [--data-dir DIR]\n"
    "\n"
    "Copies everything the server keeps (accounts, statements, bets, the market, rooms, messages)\n"
    "from one database into another that has no accounts and no matches yet, in one transaction:\n"
    "either all of it arrives or the target is left as it was. Both are brought to this server's\n"
    "schema first. Then the ledger is checked on both sides (see check-ledger). Exit code 0 when the\n"
    "copy is done and both ledgers are consistent, 1 otherwise.\n"
    "What the source gets after the copy has begun is not copied: stop the server first.\n"
    "  URL   sqlite: for the SQLite file of --data-dir, sqlite:FILE for that file, or\n"
    "        postgresql://user@host:port/database\n";

int bad_line(CommandContext& context, const std::string& text) {
  return usage_error(context, kCopyUsage, text);
}

int failed(CommandContext& context, const std::string& text) {
  context.err << "brindle-server: " << text << '\n';
  return 1;
}

// The data folder only matters to the address that names its file; another one is not created.
std::filesystem::path data_dir_for(std::string_view address, const ParsedOptions& options) {
  return address == "sqlite:" ? std::filesystem::path(std::string(*options.value(kDataDirOption)))
                              : std::filesystem::path();
}

// The file a SQLite address names; nullopt for another engine.
std::optional<std::filesystem::path> sqlite_file(std::string_view address, const ParsedOptions& options) {
  if (address == "sqlite:") return data_dir_for(address, options) / storage::kDatabaseFileName;
  if (address.starts_with("sqlite:")) return std::filesystem::path(std::string(address.substr(7)));
  return std::nullopt;
}

// The ledger's disagreements, one line each, named by the side; true when there was none.
bool ledger_consistent(CommandContext& context, storage::Database& database, std::string_view side) {
  auto mismatches =
      database.read([](storage::Connection& connection) { return accounts::check_ledger(connection); });
  if (!mismatches) {
    context.err << "brindle-server: cannot check the " << side << "'s ledger: " << mismatches.error() << '\n';
    return false;
  }
  for (const auto& m : mismatches.value()) {
    context.err << side << ": " << m.user_name << " (account " << m.account << "): " << m.problem << '\n';
  }
  return mismatches->empty();
}

int copy_database(std::span<const std::string_view> args, CommandContext& context) {
  const std::string_view values[] = {kFrom, kTo, kDataDirOption};
  auto options = parse_options(args, values);
  if (!options) return bad_line(context, options.error());
  if (!options->positional.empty())
    return bad_line(context, "copy-database takes no arguments besides its options");
  const auto from = options->value(kFrom);
  const auto to = options->value(kTo);
  if (!from || from->empty() || !to || to->empty()) {
    return bad_line(context, "copy-database wants --from and --to, each a database address");
  }
  if ((*from == "sqlite:" || *to == "sqlite:") && !options->value(kDataDirOption)) {
    return bad_line(context, "sqlite: names the database of --data-dir, which is missing");
  }

  // Opening a SQLite file that is not there makes an empty one, which would copy as nothing.
  if (const auto file = sqlite_file(*from, options.value()); file && !std::filesystem::exists(*file)) {
    return failed(context, "the source " + file->string() + " does not exist");
  }
  auto source = open_server_database(data_dir_for(*from, options.value()), *from);
  if (!source) return failed(context, "the source: " + source.error());
  auto target = open_server_database(data_dir_for(*to, options.value()), *to);
  if (!target) return failed(context, "the target: " + target.error());
  const std::string from_name = source.value()->description();
  const std::string to_name = target.value()->description();

  storage::CopyOptions copy;
  copy.must_be_empty = {"accounts", "market_matches"};
  auto copied = storage::copy_database(*source.value(), *target.value(), copy);
  if (!copied) {
    return failed(context, "nothing was copied from " + from_name + " to " + to_name + ": " + copied.error());
  }

  std::int64_t rows = 0;
  for (const auto& table : copied.value()) rows += table.rows;
  context.out << "copied " << rows << " rows in " << copied->size() << " tables from " << from_name << " to "
              << to_name << '\n';
  for (const auto& table : copied.value()) {
    context.out << "  " << std::left << std::setw(28) << table.name << ' ' << table.rows << '\n';
  }
  // Both checks run, so that the operator sees every disagreement at once.
  const bool source_clean = ledger_consistent(context, *source.value(), "source");
  const bool target_clean = ledger_consistent(context, *target.value(), "target");
  if (!source_clean || !target_clean) {
    return failed(context, "the copy is in " + to_name + ", but the ledger is not consistent");
  }
  context.out << "ledger consistent on both\n";
  return 0;
}

}  // namespace

Result<void> add_copy_command(SubcommandTable& table) {
  return table.add({"copy-database", "copy the whole state into a new, empty database",
                    std::string(kCopyUsage), copy_database});
}

}  // namespace brindle::server::admin
