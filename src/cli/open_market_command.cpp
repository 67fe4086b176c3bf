#include "cli/open_market_command.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <ostream>

#include "cli/client_transport.h"
#include "core/app/stderr_log_sink.h"
#include "core/betting/open_market.h"
#include "core/net/client_context.h"
#include "core/net/curl_transport.h"
#include "core/net/login_request.h"
#include "core/net/network_card_address.h"
#include "core/ports/progress_sink.h"

namespace brindle::cli {
namespace {

constexpr int kUsageError = 2;
constexpr const char* kUsage =
    "usage: brindle-cli open-market KIND MATCH STAKE CODE:ODDS,... [--dry-run]\n"
    "  KIND 1 (胜平负盘), 2 (大小球), 4 (比分盘), 8 (篮球大小分) or 16 (篮球单双数); MATCH the match "
    "number;\n"
    "  STAKE the banker's stake (a whole number from 0 to 2147483647); CODE the offer's choice code\n"
    "  and ODDS the odds as the window's box would hold them (stake included)\n";

// Answers the window's messages by writing them down, and the confirmation by printing it.
struct PrintingPorts final : ports::MessagePort, ports::ConfirmationPort {
  explicit PrintingPorts(std::ostream& out) : out_(out) {}
  int show_message(const std::string& text, bool) override {
    last = text;
    return ok;
  }
  bool confirm(const ports::ConfirmationRequest& request) override {
    out_ << request.title << "\n" << request.text << "\n";
    return true;
  }
  std::ostream& out_;
  std::string last;
};

// Whole numbers within [low, high]; nothing else.
std::optional<long long> whole_in(const std::string& text, long long low, long long high) {
  long long value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < low || value > high)
    return std::nullopt;
  return value;
}

struct Offer {
  int code = 0;
  std::string odds;  // kept as typed: the checks count its decimals
};

// CODE:ODDS,... with codes of an int and odds a finite number from 0 to 9999.
std::optional<std::vector<Offer>> offers_of(const std::string& text) {
  std::vector<Offer> offers;
  std::size_t at = 0;
  while (at <= text.size()) {
    const std::size_t comma = std::min(text.find(',', at), text.size());
    const std::string item = text.substr(at, comma - at);
    const std::size_t colon = item.find(':');
    if (colon == std::string::npos) return std::nullopt;
    const auto code =
        whole_in(item.substr(0, colon), std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    const std::string odds = item.substr(colon + 1);
    double value = 0.0;
    const auto [end, ec] = std::from_chars(odds.data(), odds.data() + odds.size(), value);
    if (!code || ec != std::errc() || end != odds.data() + odds.size() || !std::isfinite(value) ||
        value < 0 || value > 9999)
      return std::nullopt;
    offers.push_back({static_cast<int>(*code), odds});
    at = comma + 1;
  }
  if (offers.empty()) return std::nullopt;
  return offers;
}

int usage(std::ostream& err, const std::string& problem) {
  err << "brindle-cli: " << problem << "\n" << kUsage;
  return kUsageError;
}

}  // namespace

int run_open_market_command(net::ClientContext& context, net::Transport& transport,
                            const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::vector<std::string> words;
  bool dry_run = false;
  for (const auto& a : args) {
    if (a == "--dry-run")
      dry_run = true;
    else
      words.push_back(a);
  }
  if (words.size() != 4) return usage(err, "open-market takes four words");
  const auto flag = whole_in(words[0], 1, 16);
  if (!flag || betting::open_market_list_code(static_cast<int>(*flag)) == 0 || *flag > 16)
    return usage(err, "KIND must be 1, 2, 4, 8 or 16");
  const auto match = whole_in(words[1], 0, std::numeric_limits<int>::max());
  if (!match) return usage(err, "MATCH must be a whole number from 0 to 2147483647");
  if (!whole_in(words[2], 0, std::numeric_limits<int>::max()))
    return usage(err, "STAKE must be a whole number from 0 to 2147483647");
  const auto offers = offers_of(words[3]);
  if (!offers) return usage(err, "offers must be CODE:ODDS,... with odds from 0 to 9999");

  ports::SilentProgress progress;
  protocol::Session session{transport, progress, context};
  net::LoginReply login;
  std::string error;
  if (!net::login_request(context, transport, progress, context.user_name, context.password,
                          net::kLoginRequestModeMember, net::network_card_address(), login, error)) {
    err << "brindle-cli: " << error << "\n";
    return 1;
  }

  PrintingPorts ports(out);
  const auto kind =
      static_cast<betting::OpenMarketKind>(betting::open_market_tab_of_flag(static_cast<int>(*flag)));
  betting::OpenMarketPage page({session, ports, ports}, kind);
  const auto refuse = [&](const std::string& text) {
    err << text << "\n";
    return 1;
  };
  page.start();
  if (!ports.last.empty()) return refuse(ports.last);
  if (!page.select_match_number(static_cast<int>(*match))) return refuse("该比赛不能开盘！");
  if (!ports.last.empty()) return refuse(ports.last);
  for (const auto& o : *offers) {
    const auto slot = page.slot_of_code(o.code);
    if (!slot) return refuse("该比赛没有选项 " + std::to_string(o.code) + " 的建议赔率！");
    page.mark(*slot, true);
    page.set_odds_text(*slot, o.odds);
  }
  page.set_stake_text(words[2]);
  if (dry_run) {
    if (const auto refusal = page.validate()) return refuse(*refusal);
    ports.confirm(page.confirmation());
    return 0;
  }
  if (page.open_now() != betting::OpenMarketPage::Result::opened) return refuse(page.last_message());
  out << page.serial_number() << "\n";
  return 0;
}

int run_open_market_command(net::ClientContext& context, const std::vector<std::string>& args,
                            std::ostream& out, std::ostream& err) {
  ClientTransport transport(context, err);
  return run_open_market_command(context, *transport, args, out, err);
}

}  // namespace brindle::cli
