#include "server/admin/account_commands.h"

#include <charconv>
#include <chrono>
#include <functional>
#include <iomanip>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "server/accounts/account_store.h"
#include "server/accounts/ledger.h"
#include "server/admin/admin_database.h"
#include "server/banker/banker_store.h"
#include "server/market/demo_generator.h"
#include "server/matchinfo/past_results.h"
#include "server/rooms/room_store.h"
#include "server/services.h"
#include "server/storage/money.h"
#include "server/storage/timestamp.h"

namespace brindle::server::admin {
namespace {

using accounts::Currency;
using storage::Cents;

constexpr std::string_view kDataDir = "--data-dir";

std::string_view currency_label(Currency currency) {
  switch (currency) {
    case Currency::none:
      return "none";
    case Currency::rmb:
      return "RMB";
    case Currency::usd:
      return "USD";
    case Currency::hkd:
      return "HKD";
  }
  return "?";
}

Result<Currency> parse_currency(std::string_view text) {
  if (text == "0" || text == "none") return Currency::none;
  if (text == "1" || text == "RMB" || text == "rmb") return Currency::rmb;
  if (text == "2" || text == "USD" || text == "usd") return Currency::usd;
  if (text == "3" || text == "HKD" || text == "hkd") return Currency::hkd;
  return Result<Currency>::failure("--currency wants 0 (none), 1 (RMB), 2 (USD) or 3 (HKD), not '" +
                                   std::string(text) + "'");
}

int bad_line(CommandContext& context, const std::string& text, const std::string& usage) {
  return usage_error(context, usage, text);
}

int failed(CommandContext& context, const std::string& text) {
  context.err << "brindle-server: " << text << '\n';
  return 1;
}

// The account of a user name, or the refusal the commands print for a name that has none.
Result<accounts::AccountId> account_of(storage::Connection& connection, const std::string& user) {
  auto found = accounts::find_credential(connection, user);
  if (!found) return Result<accounts::AccountId>::failure(found.error());
  if (!found.value()) return Result<accounts::AccountId>::failure(std::string(accounts::kNoSuchAccountText));
  return found.value()->identity.id;
}

void print_balances(std::ostream& out, std::string_view user, const accounts::Balances& b) {
  out << user << ": balance " << storage::money_text(b.available) << ", frozen "
      << storage::money_text(b.frozen) << ", credit " << storage::money_text(b.credit) << '\n';
}

// Moves a user's money in one transaction and prints the balances after it: the tail of credit and
// credit-line.
int move_money(
    CommandContext& context, const ParsedOptions& options, const std::string& user,
    const std::function<Result<accounts::Balances>(storage::Connection&, accounts::AccountId)>& move) {
  auto database = open_admin_database(options);
  if (!database) return failed(context, database.error());
  auto after =
      database.value()->transaction([&](storage::Connection& connection) -> Result<accounts::Balances> {
        auto account = account_of(connection, user);
        if (!account) return Result<accounts::Balances>::failure(account.error());
        return move(connection, account.value());
      });
  if (!after) return failed(context, user + ": " + after.error());
  print_balances(context.out, user, after.value());
  return 0;
}

// ---- seed

struct DemoAccount {
  std::string_view user_name;
  std::string_view password;
  std::string_view withdrawal_password;  // 提彩密码, asked for by transfers and super cash-out
  Currency currency;
  Cents funds;
  Cents credit;
  bool star;
  bool frozen;
  std::string_view role;
  std::string_view nickname;  // what the bankers' hall shows for his markets
};

constexpr DemoAccount kDemoAccounts[] = {
    {"demo_rmb", "rmb12345", "tc111111", Currency::rmb, 1'000'000, 0, false, false, "funded RMB member",
     "人民币会员"},
    {"demo_usd", "usd12345", "tc222222", Currency::usd, 500'000, 0, false, false, "funded USD member",
     "美元会员"},
    {"demo_hkd", "hkd12345", "tc333333", Currency::hkd, 2'000'000, 0, false, false, "funded HKD member",
     "港元会员"},
    {"demo_new", "new12345", "tc444444", Currency::none, 0, 0, false, false, "never bought credit", "新会员"},
    {"demo_frozen", "frz12345", "tc555555", Currency::rmb, 100'000, 0, false, true, "frozen account",
     "冻结会员"},
    {"demo_star", "star1234", "tc666666", Currency::rmb, 5'000'000, 1'000'000, true, false, "star member",
     "星级庄家"},
};

constexpr std::string_view kDemoRoomName = "星光俱乐部";

constexpr std::string_view kSeedUsage =
    "usage: brindle-server seed --data-dir DIR [--database URL]\n"
    "\n"
    "Creates the demo accounts (funded RMB, USD and HKD members, an account that never bought\n"
    "credit, a frozen account and a star member) and prints their user names, passwords and\n"
    "withdrawal passwords; a demo account without a withdrawal password gets its own. The star\n"
    "member gets a private room, whose number and password are printed.\n"
    "Then fills an empty market with the demo leagues, matches, lines and outright events.\n"
    "Accounts and a market that already exist are left as they are, so running it again is harmless.\n";

int seed(std::span<const std::string_view> args, CommandContext& context) {
  const std::string_view values[] = {kDataDir, kDatabaseOption};
  auto options = parse_options(args, values);
  if (!options) return bad_line(context, options.error(), std::string(kSeedUsage));
  if (!options->value(kDataDir) || !options->positional.empty()) {
    return bad_line(context, "seed wants --data-dir and nothing else", std::string(kSeedUsage));
  }
  auto database = open_admin_database(options.value());
  if (!database) return failed(context, database.error());
  const accounts::PasswordHasher hasher(context.password_iterations);

  context.out << std::left << std::setw(14) << "user" << std::setw(12) << "password" << std::setw(10)
              << "currency" << std::setw(12) << "withdrawal" << std::setw(14) << "balance"
              << "account\n";
  for (const auto& demo : kDemoAccounts) {
    auto made = database.value()->transaction([&](storage::Connection& connection) -> Result<bool> {
      auto existing = accounts::find_credential(connection, demo.user_name);
      if (!existing) return Result<bool>::failure(existing.error());
      if (existing.value()) {
        // Seeded before accounts had withdrawal passwords: give it its demo one.
        const auto id = existing.value()->identity.id;
        auto hash = accounts::withdrawal_password_hash(connection, id);
        if (!hash) return Result<bool>::failure(hash.error());
        if (hash->empty()) {
          auto set = accounts::set_withdrawal_password(connection, hasher, id, demo.withdrawal_password);
          if (!set) return Result<bool>::failure(set.error());
        }
        return false;
      }
      accounts::NewAccount account;
      account.user_name = std::string(demo.user_name);
      account.password = std::string(demo.password);
      account.withdrawal_password = std::string(demo.withdrawal_password);
      account.credit = demo.credit;
      account.star_member = demo.star;
      account.frozen = demo.frozen;
      account.login_text1 = "欢迎您，" + std::string(demo.user_name);
      account.login_text3 = "祝您好运！";
      account.member_texts[0] = std::string(demo.nickname);
      account.member_texts[1] = std::string(demo.user_name) + "@example.com";
      auto id = accounts::create_account(connection, hasher, account);
      if (!id) return Result<bool>::failure(id.error());
      if (demo.funds > 0) {
        auto bought = accounts::credit(connection, id.value(), demo.funds, demo.currency, "演示帐户开户买彩");
        if (!bought) return Result<bool>::failure(bought.error());
      }
      return true;
    });
    if (!made) return failed(context, std::string(demo.user_name) + ": " + made.error());
    context.out << std::setw(14) << demo.user_name << std::setw(12) << demo.password << std::setw(10)
                << currency_label(demo.currency) << std::setw(12) << demo.withdrawal_password << std::setw(14)
                << storage::money_text(demo.funds) << demo.role
                << (made.value() ? "" : " (already there, left unchanged)") << '\n';
  }

  // The market from a fixed seed, so every demo shows the same leagues and matches.
  constexpr std::uint64_t kDemoMarketSeed = 20261207;
  auto market = market::seed_market(*database.value(), std::chrono::system_clock::now(), kDemoMarketSeed);
  if (market) {
    context.out << market::seed_report_text(market.value()) << '\n';
    // Finished matches and earlier prices, so the history and trend windows are not empty either.
    auto past = matchinfo::seed_past_results(*database.value(), storage::now_unix_seconds(), kDemoMarketSeed);
    if (!past) return failed(context, "past results: " + past.error());
    context.out << "past results: " << past.value().matches << " finished matches, "
                << past.value().line_points << " earlier prices\n";
    // A few markets by the star member, so the bankers' hall is not empty on first look.
    auto offers = database.value()->transaction([](storage::Connection& connection) -> Result<int> {
      auto star = accounts::find_credential(connection, "demo_star");
      if (!star) return Result<int>::failure(star.error());
      if (!star.value()) return 0;
      return banker::seed_demo_markets(connection, star.value()->identity, storage::now_unix_seconds());
    });
    if (!offers) return failed(context, "banker markets: " + offers.error());
    context.out << "banker markets: " << offers.value() << " opened by demo_star\n";
  } else if (market.error() == "the market already holds matches") {
    context.out << "market: already seeded, left unchanged\n";
  } else {
    return failed(context, "market: " + market.error());
  }

  // A private room of the star member, so the room list is not empty on first look.
  auto room = database.value()->transaction([](storage::Connection& connection) -> Result<rooms::Room> {
    using R = Result<rooms::Room>;
    auto star = accounts::find_credential(connection, "demo_star");
    if (!star) return R::failure(star.error());
    if (!star.value()) return R::failure("demo_star is missing");
    auto existing = rooms::list_rooms(connection);
    if (!existing) return R::failure(existing.error());
    for (const auto& r : existing.value()) {
      if (r.owner == star.value()->identity.id) return r;
    }
    const ServerConfig defaults;
    const auto& position = defaults.room_positions.front();
    return rooms::create_room(connection, star.value()->identity.id, kDemoRoomName, position.number,
                              position.text, storage::now_unix_seconds());
  });
  if (!room) return failed(context, "room: " + room.error());
  context.out << "room: " << room->name << " of demo_star, number " << room->number << ", password "
              << room->password << '\n';
  return 0;
}

// ---- add-user

constexpr std::string_view kAddUserUsage =
    "usage: brindle-server add-user --data-dir DIR [--database URL] USER PASSWORD [--currency N] [--credit "
    "AMOUNT]\n"
    "                               [--withdrawal-password TEXT] [--star] [--frozen] [--in-play-web]\n"
    "\n"
    "Adds an account. PASSWORD \"-\" reads the password from the first line of standard input.\n"
    "  --currency N     0 none (never bought credit, the default), 1 RMB, 2 USD, 3 HKD; a currency\n"
    "                   is fixed by the first buy-in (see credit)\n"
    "  --credit AMOUNT  credit line (受信彩金), e.g. 5000 or 5000.00\n"
    "  --withdrawal-password TEXT\n"
    "                   the 提彩密码 that transfers ask for; without one the account cannot transfer\n"
    "  --star           star member\n"
    "  --frozen         frozen account: may sign in, may not bet\n"
    "  --in-play-web    in-play betting through the web page\n";

int add_user(std::span<const std::string_view> args, CommandContext& context, std::istream* input) {
  const std::string usage(kAddUserUsage);
  const std::string_view values[] = {kDataDir, kDatabaseOption, "--currency", "--credit",
                                     "--withdrawal-password"};
  const std::string_view flags[] = {"--star", "--frozen", "--in-play-web"};
  auto options = parse_options(args, values, flags);
  if (!options) return bad_line(context, options.error(), usage);
  if (!options->value(kDataDir) || options->positional.size() != 2) {
    return bad_line(context, "add-user wants --data-dir, a user name and a password", usage);
  }
  accounts::NewAccount account;
  account.user_name = options->positional[0];
  account.password = options->positional[1];
  if (account.password == "-" && input != nullptr) std::getline(*input, account.password);
  if (auto currency = options->value("--currency")) {
    auto parsed = parse_currency(*currency);
    if (!parsed) return bad_line(context, parsed.error(), usage);
    account.currency = parsed.value();
  }
  if (auto credit = options->value("--credit")) {
    auto parsed = storage::parse_amount(*credit);
    if (!parsed) return bad_line(context, "--credit: " + parsed.error(), usage);
    account.credit = parsed.value();
  }
  account.withdrawal_password = std::string(options->value("--withdrawal-password").value_or(""));
  account.star_member = options->flag("--star");
  account.frozen = options->flag("--frozen");
  account.in_play_web_mode = options->flag("--in-play-web");

  auto database = open_admin_database(options.value());
  if (!database) return failed(context, database.error());
  const accounts::PasswordHasher hasher(context.password_iterations);
  auto id = database.value()->transaction(
      [&](storage::Connection& connection) { return accounts::create_account(connection, hasher, account); });
  if (!id) return failed(context, account.user_name + ": " + id.error());
  context.out << "added " << account.user_name << " (account " << id.value() << ", currency "
              << currency_label(account.currency) << ")\n";
  return 0;
}

// ---- withdrawal-password

constexpr std::string_view kWithdrawalPasswordUsage =
    "usage: brindle-server withdrawal-password --data-dir DIR [--database URL] USER PASSWORD\n"
    "\n"
    "Sets the withdrawal password (提彩密码) that transfers and super cash-out ask for; an account\n"
    "without one cannot transfer. PASSWORD \"-\" reads it from the first line of standard input.\n";

int withdrawal_password(std::span<const std::string_view> args, CommandContext& context) {
  const std::string usage(kWithdrawalPasswordUsage);
  const std::string_view values[] = {kDataDir, kDatabaseOption};
  auto options = parse_options(args, values);
  if (!options) return bad_line(context, options.error(), usage);
  if (!options->value(kDataDir) || options->positional.size() != 2) {
    return bad_line(context, "withdrawal-password wants --data-dir, a user name and a password", usage);
  }
  const std::string user = options->positional[0];
  std::string password = options->positional[1];
  if (password == "-" && context.in != nullptr) std::getline(*context.in, password);
  auto database = open_admin_database(options.value());
  if (!database) return failed(context, database.error());
  const accounts::PasswordHasher hasher(context.password_iterations);
  auto set = database.value()->transaction([&](storage::Connection& connection) -> Result<void> {
    auto account = account_of(connection, user);
    if (!account) return Result<void>::failure(account.error());
    return accounts::set_withdrawal_password(connection, hasher, account.value(), password);
  });
  if (!set) return failed(context, user + ": " + set.error());
  context.out << "withdrawal password of " << user << " set\n";
  return 0;
}

// ---- in-play-web

constexpr std::string_view kInPlayWebUsage =
    "usage: brindle-server in-play-web --data-dir DIR [--database URL] USER on|off\n"
    "\n"
    "Turns the in-play web mode of an account on or off: with it on, the in-play button of every\n"
    "hall opens the in-play web page in the client's 走地 window instead of the in-play hall. The\n"
    "client reads it at sign-in.\n";

int in_play_web(std::span<const std::string_view> args, CommandContext& context) {
  const std::string usage(kInPlayWebUsage);
  const std::string_view values[] = {kDataDir, kDatabaseOption};
  auto options = parse_options(args, values);
  if (!options) return bad_line(context, options.error(), usage);
  const auto& words = options->positional;
  if (!options->value(kDataDir) || words.size() != 2 || (words[1] != "on" && words[1] != "off")) {
    return bad_line(context, "in-play-web wants --data-dir, a user name and on or off", usage);
  }
  const std::string user = words[0];
  const bool on = words[1] == "on";
  auto database = open_admin_database(options.value());
  if (!database) return failed(context, database.error());
  auto set = database.value()->transaction([&](storage::Connection& connection) -> Result<void> {
    auto account = account_of(connection, user);
    if (!account) return Result<void>::failure(account.error());
    return accounts::set_in_play_web_mode(connection, account.value(), on);
  });
  if (!set) return failed(context, user + ": " + set.error());
  context.out << "in-play web mode of " << user << ": " << words[1] << '\n';
  return 0;
}

// ---- agent

constexpr std::string_view kAgentUsage =
    "usage: brindle-server agent --data-dir DIR [--database URL] USER ID [NAME]\n"
    "\n"
    "Gives a star member an agent: ID from 1 to 99 and its NAME. His private rooms are then placed\n"
    "with that agent only, and the room list groups them under its name. ID 0 removes the agent, and\n"
    "his new rooms take the configured positions again.\n";

int agent(std::span<const std::string_view> args, CommandContext& context) {
  const std::string usage(kAgentUsage);
  const std::string_view values[] = {kDataDir, kDatabaseOption};
  auto options = parse_options(args, values);
  if (!options) return bad_line(context, options.error(), usage);
  const auto& words = options->positional;
  int id = -1;
  if (words.size() >= 2) {
    auto [end, ec] = std::from_chars(words[1].data(), words[1].data() + words[1].size(), id);
    if (ec != std::errc{} || end != words[1].data() + words[1].size()) id = -1;
  }
  if (!options->value(kDataDir) || words.size() < 2 || words.size() > 3 || id < 0 || id > 99 ||
      (id > 0) != (words.size() == 3)) {
    return bad_line(context, "agent wants --data-dir, a user name, an id from 1 to 99 and a name, or 0",
                    usage);
  }
  const std::string user = words[0];
  const std::string name = words.size() == 3 ? words[2] : std::string();
  auto database = open_admin_database(options.value());
  if (!database) return failed(context, database.error());
  auto set = database.value()->transaction([&](storage::Connection& connection) -> Result<void> {
    auto account = account_of(connection, user);
    if (!account) return Result<void>::failure(account.error());
    return accounts::set_agent(connection, account.value(), id, name);
  });
  if (!set) return failed(context, user + ": " + set.error());
  context.out << (id == 0 ? "agent of " + user + " removed\n" : "agent of " + user + ": " + name + "\n");
  return 0;
}

// ---- credit

constexpr std::string_view kCreditUsage =
    "usage: brindle-server credit --data-dir DIR [--database URL] USER AMOUNT [--currency N] [--memo TEXT]\n"
    "\n"
    "Books a buy-in (买彩, statement type 1) of AMOUNT, e.g. 1000 or 1000.50; a negative AMOUNT is\n"
    "a withdrawal (提彩) and never takes more than the available balance.\n"
    "  --currency N  the currency an account that never bought credit gets: 1 RMB (default), 2 USD,\n"
    "                3 HKD; an account with a currency keeps it\n"
    "  --memo TEXT   the statement entry's content\n";

int credit(std::span<const std::string_view> args, CommandContext& context) {
  const std::string usage(kCreditUsage);
  const std::string_view values[] = {kDataDir, kDatabaseOption, "--currency", "--memo"};
  auto options = parse_options(args, values);
  if (!options) return bad_line(context, options.error(), usage);
  if (!options->value(kDataDir) || options->positional.size() != 2) {
    return bad_line(context, "credit wants --data-dir, a user name and an amount", usage);
  }
  const std::string user = options->positional[0];
  auto amount = storage::parse_signed_amount(options->positional[1]);
  if (!amount) return bad_line(context, "AMOUNT: " + amount.error(), usage);
  if (amount.value() == 0) return bad_line(context, "AMOUNT must not be 0", usage);
  Currency currency = Currency::rmb;
  if (auto text = options->value("--currency")) {
    auto parsed = parse_currency(*text);
    if (!parsed) return bad_line(context, parsed.error(), usage);
    currency = parsed.value();
  }
  const std::string memo(options->value("--memo").value_or(amount.value() > 0 ? "柜台买彩" : "柜台提彩"));

  return move_money(context, options.value(), user,
                    [&](storage::Connection& connection, accounts::AccountId account) {
                      return accounts::credit(connection, account, amount.value(), currency, memo);
                    });
}

// ---- credit-line

constexpr std::string_view kCreditLineUsage =
    "usage: brindle-server credit-line --data-dir DIR [--database URL] USER CHANGE [--memo TEXT]\n"
    "\n"
    "Raises the credit line (受信彩金) by CHANGE, e.g. 500 or 500.50, and lends that much: the\n"
    "balance grows by it under a statement entry of type 23 (增加受信). A negative CHANGE lowers\n"
    "the line and takes the money back (减少受信), never below 0 and never more than the available\n"
    "balance.\n"
    "  --memo TEXT   the statement entry's content\n";

int credit_line(std::span<const std::string_view> args, CommandContext& context) {
  const std::string usage(kCreditLineUsage);
  const std::string_view values[] = {kDataDir, kDatabaseOption, "--memo"};
  auto options = parse_options(args, values);
  if (!options) return bad_line(context, options.error(), usage);
  if (!options->value(kDataDir) || options->positional.size() != 2) {
    return bad_line(context, "credit-line wants --data-dir, a user name and a change", usage);
  }
  const std::string user = options->positional[0];
  auto change = storage::parse_signed_amount(options->positional[1]);
  if (!change) return bad_line(context, "CHANGE: " + change.error(), usage);
  if (change.value() == 0) return bad_line(context, "CHANGE must not be 0", usage);
  const std::string memo(options->value("--memo").value_or("credit line"));

  return move_money(context, options.value(), user,
                    [&](storage::Connection& connection, accounts::AccountId account) {
                      return accounts::change_credit(connection, account, change.value(), memo);
                    });
}

// ---- check-ledger

constexpr std::string_view kCheckLedgerUsage =
    "usage: brindle-server check-ledger --data-dir DIR [--database URL]\n"
    "\n"
    "Checks every account: balance + frozen equals the sum of its statement entries, and each\n"
    "entry's balance before equals the sum of the entries before it. Exit code 0 when all agree,\n"
    "1 with one line per account that does not.\n";

int check_ledger(std::span<const std::string_view> args, CommandContext& context) {
  const std::string usage(kCheckLedgerUsage);
  const std::string_view values[] = {kDataDir, kDatabaseOption};
  auto options = parse_options(args, values);
  if (!options) return bad_line(context, options.error(), usage);
  if (!options->value(kDataDir) || !options->positional.empty()) {
    return bad_line(context, "check-ledger wants --data-dir and nothing else", usage);
  }
  auto database = open_admin_database(options.value());
  if (!database) return failed(context, database.error());
  auto mismatches = database.value()->read(
      [](storage::Connection& connection) { return accounts::check_ledger(connection); });
  if (!mismatches) return failed(context, mismatches.error());
  for (const auto& m : mismatches.value())
    context.out << m.user_name << " (account " << m.account << "): " << m.problem << '\n';
  if (!mismatches->empty()) return 1;
  context.out << "ledger consistent\n";
  return 0;
}

}  // namespace

Result<void> add_account_commands(SubcommandTable& table) {
  const Subcommand commands[] = {
      {"seed", "create the demo accounts and print their passwords", std::string(kSeedUsage), seed},
      {"add-user", "add an account", std::string(kAddUserUsage),
       [](std::span<const std::string_view> args, CommandContext& context) {
         return add_user(args, context, context.in);
       }},
      {"withdrawal-password", "set the withdrawal password that transfers ask for",
       std::string(kWithdrawalPasswordUsage), withdrawal_password},
      {"agent", "give a star member an agent for his rooms", std::string(kAgentUsage), agent},
      {"in-play-web", "turn an account's in-play web mode on or off", std::string(kInPlayWebUsage),
       in_play_web},
      {"credit", "book a buy-in (or, negative, a withdrawal)", std::string(kCreditUsage), credit},
      {"credit-line", "raise (or, negative, lower) a credit line, lending the money",
       std::string(kCreditLineUsage), credit_line},
      {"check-ledger", "check every account against its statement", std::string(kCheckLedgerUsage),
       check_ledger},
  };
  for (const auto& command : commands) {
    if (auto added = table.add(command); !added) return added;
  }
  return {};
}

}  // namespace brindle::server::admin
