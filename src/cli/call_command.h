#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace brindle::net {
struct ClientContext;
class Transport;
}  // namespace brindle::net

namespace brindle::cli {

// call OPERATION [ARGS...]: runs one operation of the request catalogue by its readable name and
// prints one JSON object: {"ok", "message", the records, "context": the changed figures}. Signs in
// first when the operation sends the context numbers. 0 on success, 1 on failure, 2 on bad words.
int run_call_command(net::ClientContext& context, net::Transport& transport,
                     const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int run_call_command(net::ClientContext& context, const std::vector<std::string>& args, std::ostream& out,
                     std::ostream& err);

// parlay quote PRICE,... MASK:STAKE,... [CURRENCY]: the parlay ticket's two total lines for those
// legs and stakes, and the over-limit notice when a combination pays beyond the limit. 0 on
// success, 2 on bad words.
int run_parlay_command(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// help: every operation's name, SubjectID and arguments.
int run_help_command(std::ostream& out);

}  // namespace brindle::cli
