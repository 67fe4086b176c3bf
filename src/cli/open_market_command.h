#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace brindle::net {
struct ClientContext;
class Transport;
}  // namespace brindle::net

namespace brindle::cli {

// open-market KIND MATCH STAKE CODE:ODDS,... [--dry-run]: the open-market window's flow without
// the window. Signs in, lists the kind's openable matches (4016) and the match's offers (4032),
// checks the offer as "现在开盘" does, prints the confirmation text and, unless --dry-run, opens
// the market (3008) and prints the serial number. 0 on success, 1 on a refusal or failure (the
// window's message on stderr), 2 on bad words.
int run_open_market_command(net::ClientContext& context, net::Transport& transport,
                            const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int run_open_market_command(net::ClientContext& context, const std::vector<std::string>& args,
                            std::ostream& out, std::ostream& err);

}  // namespace brindle::cli
