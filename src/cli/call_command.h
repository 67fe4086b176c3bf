#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "core/net/odds_format_setting.h"

namespace brindle::net {
struct ClientContext;
class Transport;
}  // namespace brindle::net

namespace brindle::cli {

// call OPERATION [ARGS...]: runs one operation of the request catalogue by its readable name and
// prints one JSON object: {"ok", "message", the records, "context": the changed figures}. Signs in
// first when the operation sends the context numbers. 0 on success, 1 on failure, 2 on bad words.
// In an odds format other than decimal the object also names it ("odds_format") and every price
// member gets its shown figure beside it ("price_shown").
int run_call_command(net::ClientContext& context, net::Transport& transport,
                     const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int run_call_command(net::ClientContext& context, const std::vector<std::string>& args, std::ostream& out,
                     std::ostream& err);

// parlay quote PRICE,... MASK:STAKE,... [CURRENCY]: the parlay ticket's two total lines for those
// legs and stakes, and the over-limit notice when a combination pays beyond the limit; in an odds
// format other than decimal, a first line with the legs' odds in it. 0 on success, 2 on bad words.
int run_parlay_command(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                       net::OddsFormat odds_format = net::OddsFormat::kDecimal);

// help: every operation's name, SubjectID and arguments.
int run_help_command(std::ostream& out);

}  // namespace brindle::cli
