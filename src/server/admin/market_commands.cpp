#include "server/admin/market_commands.h"

#include <array>
#include <charconv>
#include <chrono>
#include <ostream>
#include <string>
#include <system_error>
#include <utility>

#include "server/admin/admin_database.h"
#include "server/market/market_clock.h"
#include "server/market/match_result.h"
#include "server/services.h"

namespace brindle::server::admin {
namespace {

constexpr std::string_view kDataDir = "--data-dir";
constexpr std::array<std::string_view, 2> kValueOptions{kDataDir, kDatabaseOption};

constexpr std::string_view kPostResultUsage =
    "usage: brindle-server post-result --data-dir DIR [--database URL] MATCH HOME AWAY\n"
    "\n"
    "Records the final score of match MATCH (HOME goals or points for the home team, AWAY for the\n"
    "away team), finishes it and closes its lines; its bets are then settled. For an outright event\n"
    "give the winning selection's place (1-44) as HOME and 0 as AWAY. Posting the same result again\n"
    "changes nothing; a different result for a decided match is refused.\n";

constexpr std::string_view kAdvanceUsage =
    "usage: brindle-server advance --data-dir DIR [--database URL] MINUTES\n"
    "\n"
    "Puts the market clock MINUTES forward (a whole number, 0 or more): matches whose time has come\n"
    "kick off, running matches play on with their scores and in-play lines, finished ones get their\n"
    "result and are settled. A running server follows within a second.\n";

int bad_line(CommandContext& context, const std::string& text, std::string_view usage) {
  return usage_error(context, usage, text);
}

int failed(CommandContext& context, const std::string& text) {
  context.err << "brindle-server: " << text << '\n';
  return 1;
}

std::optional<int> whole_number(std::string_view text) {
  int value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc{} || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

// Settles what the command decided, in this process; what fails stays queued for the server.
void deliver(CommandContext& context, const SettlerFactory& settler,
             const std::shared_ptr<storage::Database>& db) {
  if (!settler) return;
  auto delivered = market::deliver_finished_matches(*db, settler(db));
  if (!delivered) {
    context.err << "brindle-server: settlement deferred: " << delivered.error() << '\n';
  } else if (delivered.value() > 0) {
    context.out << "settled " << delivered.value() << " match(es)\n";
  }
}

int post_result_command(std::span<const std::string_view> args, CommandContext& context,
                        const SettlerFactory& settler) {
  auto options = parse_options(args, kValueOptions);
  if (!options) return bad_line(context, options.error(), kPostResultUsage);
  if (!options->value(kDataDir) || options->positional.size() != 3) {
    return bad_line(context, "post-result wants --data-dir, a match number and two scores", kPostResultUsage);
  }
  const auto match = whole_number(options->positional[0]);
  const auto home = whole_number(options->positional[1]);
  const auto away = whole_number(options->positional[2]);
  if (!match || *match <= 0) return bad_line(context, "MATCH must be a match number", kPostResultUsage);
  if (!home || !away || *home < 0 || *away < 0) {
    return bad_line(context, "HOME and AWAY must be whole numbers, 0 or more", kPostResultUsage);
  }
  auto db = open_admin_database(options.value());
  if (!db) return failed(context, db.error());
  if (auto posted = market::post_result(*db.value(), *match, *home, *away); !posted) {
    return failed(context, posted.error());
  }
  context.out << "match " << *match << ": result " << *home << ":" << *away << '\n';
  deliver(context, settler, db.value());
  return 0;
}

int advance_command(std::span<const std::string_view> args, CommandContext& context,
                    const SettlerFactory& settler) {
  auto options = parse_options(args, kValueOptions);
  if (!options) return bad_line(context, options.error(), kAdvanceUsage);
  if (!options->value(kDataDir) || options->positional.size() != 1) {
    return bad_line(context, "advance wants --data-dir and a number of minutes", kAdvanceUsage);
  }
  const auto minutes = whole_number(options->positional[0]);
  if (!minutes || *minutes < 0 || *minutes > market::kMaxAdvanceMinutes) {
    return bad_line(context,
                    "MINUTES must be a whole number from 0 to " + std::to_string(market::kMaxAdvanceMinutes),
                    kAdvanceUsage);
  }
  auto db = open_admin_database(options.value());
  if (!db) return failed(context, db.error());
  auto report = market::advance_clock(*db.value(), std::chrono::minutes(*minutes));
  if (!report) return failed(context, report.error());
  context.out << "market clock advanced " << *minutes << " minute(s): " << report->started.size()
              << " started, " << report->finished.size() << " finished\n";
  deliver(context, settler, db.value());
  return 0;
}

}  // namespace

Result<void> add_market_commands(SubcommandTable& table, SettlerFactory settler) {
  auto added = table.add(Subcommand{
      "post-result", "record a match's final score (or an outright's winner)", std::string(kPostResultUsage),
      [settler](std::span<const std::string_view> args, CommandContext& context) {
        return post_result_command(args, context, settler);
      }});
  if (!added) return added;
  return table.add(Subcommand{"advance", "put the market clock forward", std::string(kAdvanceUsage),
                              [settler](std::span<const std::string_view> args, CommandContext& context) {
                                return advance_command(args, context, settler);
                              }});
}

}  // namespace brindle::server::admin
